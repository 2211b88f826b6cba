#include "win32/win_platform.h"

#include <commdlg.h>

#include <vector>

#include "win32/win_text.h"

namespace harlowe::win32 {

namespace {

// Owned by the active form when there is one, so the box is modal to it; otherwise modal to the
// whole task and kept above our topmost windows.
int showMessageBox(const std::string& text, const std::string& title, UINT type) {
  HWND owner = GetActiveWindow();
  type |= MB_SETFOREGROUND;
  if (owner == nullptr) type |= MB_TASKMODAL | MB_TOPMOST;
  return MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), type);
}

}  // namespace

void WinUi::messageBox(const std::string& text, const std::string& title,
                       platform::MessageIcon icon) {
  UINT type = MB_OK;
  if (icon == platform::MessageIcon::Error) type |= MB_ICONERROR;
  if (icon == platform::MessageIcon::Warning) type |= MB_ICONWARNING;
  showMessageBox(text, title, type);
}

bool WinUi::askYesNo(const std::string& text, const std::string& title) {
  return showMessageBox(text, title, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void WinUi::pumpEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string WinSystem::programFolder() {
  std::vector<wchar_t> buf(32768);
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  std::wstring path(buf.data(), n);
  std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return ".";
  // A drive root keeps its backslash ("C:\"), as the classic program-folder value does.
  if (slash == 2 && path.size() > 1 && path[1] == L':') return narrow(path.substr(0, 3));
  return narrow(path.substr(0, slash));
}

std::uint32_t WinSystem::startHidden(const std::string& commandLine) {
  std::wstring cmd = widen(commandLine);
  std::vector<wchar_t> writable(cmd.begin(), cmd.end());  // CreateProcessW may write into it
  writable.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi)) {
    return 0;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return pi.dwProcessId;
}

platform::Handle WinSystem::openProcess(std::uint32_t access, bool inheritHandle,
                                        std::uint32_t pid) {
  return reinterpret_cast<platform::Handle>(OpenProcess(access, inheritHandle ? TRUE : FALSE, pid));
}

bool WinSystem::getExitCodeProcess(platform::Handle process, std::uint32_t& code) {
  DWORD c = 0;
  if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &c)) return false;
  code = c;
  return true;
}

bool WinSystem::closeHandle(platform::Handle h) {
  return h != 0 && CloseHandle(reinterpret_cast<HANDLE>(h));
}

void WinSystem::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

platform::FileLock WinSystem::lockFile(const std::string& utf8Path) {
  // Read access is enough to hold the file, so a lock file marked read-only still works. No
  // sharing: every other open of the file fails until this handle is closed, which the system
  // does when the process ends, however it ends. The handle is never closed before.
  HANDLE file = CreateFileW(widen(utf8Path).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file != INVALID_HANDLE_VALUE) return platform::FileLock::Held;
  return GetLastError() == ERROR_SHARING_VIOLATION ? platform::FileLock::InUse
                                                   : platform::FileLock::Unavailable;
}

std::string WinSystem::nowText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128] = L"", time[128] = L"";
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128);
  return narrow(date) + " " + narrow(time);
}

void WinSystem::endProgram(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

HWND WinFileDialog::host() {
  if (host_ != nullptr) return host_;
  // Form1: a form that is never shown; it only owns the dialog. Its load step centres it on the
  // screen and makes it topmost, like every form of the program.
  static const wchar_t* kClass = L"HarloweForm1";
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  const int w = 240, h = 180;
  int x = GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2;
  host_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"Form1", WS_POPUP, x, y, w, h, nullptr,
                          nullptr, wc.hInstance, nullptr);
  SetWindowPos(host_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return host_;
}

bool WinFileDialog::showOpen(const platform::OpenDialogSettings& settings) {
  // "desc|pattern|desc|pattern|" becomes the double-NUL-terminated filter list.
  std::wstring filter = widen(settings.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  std::wstring title = widen(settings.title);
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring last = widen(fileName_);
  if (last.size() < file.size()) std::copy(last.begin(), last.end(), file.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = host();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.c_str();
  // The read-only box shows, ticked. The Explorer style is the look the classic dialog
  // control always had; no other behaviour flag is set (a typed name is not checked here).
  ofn.Flags = settings.flags | OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn)) return false;
  fileName_ = narrow(file.data());
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  return true;
}

}  // namespace harlowe::win32
