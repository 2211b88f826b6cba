#pragma once
// The Japanese Windows code page (CP932) for the native tests and the benchmark, through iconv.
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace harlowe::test {

class Cp932CodePage : public platform::CodePage {
 public:
  // UTF-8 to CP932; a character CP932 lacks (or a byte that is not UTF-8) becomes "?", as on
  // Windows one for each UTF-16 unit ("??" for a character beyond the BMP).
  std::string toAnsi(std::string_view utf8) const override;
  // CP932 to UTF-8; a byte sequence that is not CP932 becomes "?".
  std::string fromAnsi(std::string_view ansi) const override;
};

}  // namespace harlowe::test
