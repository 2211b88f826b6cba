#pragma once
// What the units of the Win32 form host share: the window classes, the property that names a
// control for the test driver, and the text helpers of fitting and painting. Only the form host's
// own .cpp files include this.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace harlowe::win32::detail {

inline constexpr wchar_t kFormClass[] = L"HarloweForm";
inline constexpr wchar_t kPictureClass[] = L"HarlowePicture";
inline constexpr wchar_t kOwnerClass[] = L"HarloweOwner";
inline constexpr wchar_t kNameProperty[] = L"HarloweControlName";

inline HINSTANCE instance() { return GetModuleHandleW(nullptr); }

inline std::wstring windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(n, 0)));
  return s;
}

inline int textWidth(HDC dc, std::wstring_view s) {
  SIZE sz{0, 0};
  if (!s.empty()) GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &sz);
  return sz.cx;
}

// How far a face's ascent reaches above the top of its ideographic em box. The forms were laid
// out for a face whose glyphs fill the cell; a substitute with a taller cell would have its text
// cut off at the bottom of small labels, so labels and frame captions draw it raised by this much.
inline int raisedBy(HDC dc, int em) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return std::max(0, static_cast<int>(tm.tmAscent) - static_cast<int>(std::lround(0.88 * em)));
}

}  // namespace harlowe::win32::detail
