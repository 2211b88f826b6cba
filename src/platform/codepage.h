#pragma once
// The system's ANSI code page (CP932 on Japanese Windows): text files are written and read in
// it, while the program keeps text as UTF-8.
#include <string>
#include <string_view>

namespace harlowe::platform {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // UTF-8 to ANSI bytes; a character the code page cannot hold becomes "?".
  virtual std::string toAnsi(std::string_view utf8) const = 0;
  // ANSI bytes to UTF-8.
  virtual std::string fromAnsi(std::string_view ansi) const = 0;
};

}  // namespace harlowe::platform
