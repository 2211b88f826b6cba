#include "window_info.h"

#include <windows.h>

#include "driver_util.h"

namespace driver {

int CmdDescendants(const std::wstring& title) {
  HWND top = WaitFor([&] { return FindTopLevel(title, L""); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  for (HWND c : Descendants(top)) {
    Print(ClassOf(c) + L"\t" + std::to_wstring(GetDlgCtrlID(c)) + L"\t" +
          (IsWindowVisible(c) ? L"1" : L"0") + L"\t" + TextOf(c));
  }
  return 0;
}

int CmdRect(const std::wstring& title, const std::wstring& cls) {
  HWND top = WaitFor([&] { return FindTopLevel(title, cls); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  RECT r{};
  if (!GetWindowRect(top, &r)) return Fail(L"no rectangle for \"" + title + L"\"");
  Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
        std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
  return 0;
}

}  // namespace driver
