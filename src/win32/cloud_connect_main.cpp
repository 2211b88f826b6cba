// Entry point of cloud_connect.exe: reads mkscr.ini beside it, runs the CAD search as Harlowe
// does and shows what it found or what is missing, in a box that scrolls when the lists of
// window texts are long. Exit code 0 when a run would reach a CAD.
#include <windows.h>

#include "cadlink/cad_report.h"
#include "win32/win_codepage.h"
#include "win32/win_desktop.h"
#include "win32/win_platform.h"
#include "win32/win_report_box.h"

using namespace harlowe;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  win32::WinSystem system;
  win32::WinCodePage codePage;
  win32::WinDesktop desktop;
  cadlink::CadReport report = cadlink::describeCadSetup({desktop, system, codePage});
  win32::reportBox(report.text, "cloud_connect",
                   report.ready ? platform::MessageIcon::None : platform::MessageIcon::Error);
  return report.ready ? 0 : 1;
}
