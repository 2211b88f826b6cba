// Entry point of harlowe.exe: wires the Windows implementations into the start procedure.
#include <windows.h>

#include "cadlink/command_delivery.h"
#include "import/converters/converter_set.h"
#include "import/run_import.h"
#include "win32/win_codepage.h"
#include "win32/win_desktop.h"
#include "win32/win_option_forms.h"
#include "win32/win_platform.h"
#include "win32/win_progress_window.h"

using namespace harlowe;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static win32::WinUi ui;
  static win32::WinSystem system;
  static win32::WinFileDialog fileDialog;
  static win32::WinCodePage codePage;
  static auto progress = win32::makeWin32ProgressWindow();
  static auto forms = win32::makeWin32OptionForms(system, codePage);
  static win32::WinDesktop desktop;
  static RunSettings settings;

  static Platform platform{ui, system, fileDialog, *progress, codePage};
  static ConverterSet converters(platform);
  static cadlink::CommandDelivery cadLink(desktop, ui, system, codePage);
  RunSteps steps{*forms, converters, cadLink};
  RunImport(settings, platform, steps);
}
