// The stand-in CAD's file dialog (getfiled) and program start (startapp).
#include "standin/cad/standin_app.h"
// clang-format off
#include <commdlg.h>  // needs windows.h first
// clang-format on

#include <vector>

#include "win32/win_text.h"

namespace standin {

using harlowe::win32::narrow;
using harlowe::win32::widen;

std::optional<std::string> App::chooseFile(std::string_view title, std::string_view defaultFile,
                                           std::string_view extension) {
  // "exe" offers "*.exe" and, as a second type, every file.
  std::wstring ext = widen(extension);
  std::wstring filter =
      ext.empty() ? L"" : ext + L" (*." + ext + L")" + L'\0' + L"*." + ext + L'\0';
  filter += std::wstring(L"*.*") + L'\0' + L"*.*" + L'\0' + L'\0';
  std::wstring caption = widen(title);
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring start = widen(defaultFile);
  if (start.size() < file.size()) std::copy(start.begin(), start.end(), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = main_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = caption.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return narrow(file.data());
}

bool App::startProgram(std::string_view commandLine) {
  std::wstring cmd = widen(commandLine);
  std::vector<wchar_t> writable(cmd.begin(), cmd.end());  // CreateProcessW may write into it
  writable.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace standin
