// standin_cad.exe [SETTINGS-FILE]: the stand-in CAD. Without an argument it reads
// standin_cad.ini beside the exe.
#include <windows.h>

#include <filesystem>
#include <string>

#include "standin/cad/standin_app.h"
#include "standin/cad/standin_settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR cmdLine, int show) {
  std::wstring arg = cmdLine ? cmdLine : L"";
  while (!arg.empty() && arg.back() == L' ') arg.pop_back();
  while (!arg.empty() && arg.front() == L' ') arg.erase(0, 1);
  if (arg.size() >= 2 && arg.front() == L'"' && arg.back() == L'"')
    arg = arg.substr(1, arg.size() - 2);

  std::filesystem::path ini;
  if (arg.empty()) {
    std::wstring exe(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    while (n == exe.size()) {
      exe.resize(exe.size() * 2);
      n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    }
    exe.resize(n);
    ini = std::filesystem::path(exe).parent_path() / L"standin_cad.ini";
  } else {
    ini = std::filesystem::absolute(std::filesystem::path(arg));
  }

  standin::App app(instance, standin::ReadSettings(ini));
  if (!app.Create(show)) return 1;
  return app.Run();
}
