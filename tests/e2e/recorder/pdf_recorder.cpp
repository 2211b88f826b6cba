// pdf_recorder.exe "PATH": stands in for the PDF viewer in the Wine scenarios. The .pdf
// association of the test prefix points at it; it appends the path it was asked to open (UTF-8,
// one line) to opened.txt beside itself and ends.
#include <windows.h>
// clang-format off
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring path = argc > 1 ? argv[1] : L"";
  wchar_t exe[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
  std::wstring log(exe, n);
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"opened.txt";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), nullptr,
                                  0, nullptr, nullptr);
  std::string line(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), line.data(), bytes,
                      nullptr, nullptr);
  line += "\n";
  HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
  return 0;
}
