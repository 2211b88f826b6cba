#pragma once
// UTF-8 <-> UTF-16 and ANSI conversions for the Win32 layer.
#include <windows.h>

#include <string>
#include <string_view>

namespace harlowe::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace harlowe::win32
