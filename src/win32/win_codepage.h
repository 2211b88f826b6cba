#pragma once
// The system's ANSI code page (CP_ACP) through the Windows conversion functions.
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace harlowe::win32 {

class WinCodePage : public platform::CodePage {
 public:
  std::string toAnsi(std::string_view utf8) const override;
  std::string fromAnsi(std::string_view ansi) const override;
};

}  // namespace harlowe::win32
