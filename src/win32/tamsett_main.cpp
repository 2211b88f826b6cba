// Entry point of tamsett.exe, the installer: shows Form1 and leaves the rest to its buttons.
#include <objbase.h>
#include <windows.h>

#include "installer/form1.h"
#include "win32/win_form_host.h"
#include "win32/win_platform.h"
#include "win32/win_shell.h"

using namespace harlowe;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The folder browser and Shell.Application need COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  static win32::WinUi ui;
  static win32::WinSystem system;
  static win32::WinShell shell;
  static installer::Form1 form({shell, ui, system});
  win32::Win32Form window(installer::form1Def(), &form);
  window.load();
  form.hWnd = reinterpret_cast<platform::WindowHandle>(window.hwnd());
  // Returns only when the window is closed by its close box: that ends the installer too.
  window.runModal();
  CoUninitialize();
  return 0;
}
