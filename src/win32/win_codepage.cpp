#include "win32/win_codepage.h"

#include <windows.h>

#include <algorithm>

#include "win32/win_text.h"

namespace harlowe::win32 {

namespace {

// Every ANSI code page agrees with ASCII below 0x80, so plain ASCII text needs no conversion.
bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string WinCodePage::toAnsi(std::string_view utf8) const {
  if (isAscii(utf8)) return std::string(utf8);
  const std::wstring wide = widen(utf8);
  // No "best fit" replacements: a character the code page lacks becomes "?", not a look-alike.
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, "?", nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, "?",
                      nullptr);
  return out;
}

std::string WinCodePage::fromAnsi(std::string_view ansi) const {
  if (isAscii(ansi)) return std::string(ansi);
  const int n =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return narrow(wide);
}

}  // namespace harlowe::win32
