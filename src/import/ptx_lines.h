#pragma once
// The lines of a PTX file with the positions of their first six blanks, found in the same pass
// as the line end: the pre-pass looks at every line of a scan of millions, and reading each
// line twice (once for its end, once for its blanks) costs more than the rest of its work. A
// line ends at CR LF, a lone CR or a lone LF; the last line needs no end. Memory stays constant
// apart from the longest line.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "common/line_reader.h"

namespace harlowe {

class PtxLineScanner {
 public:
  static constexpr int kBlanks = 6;

  explicit PtxLineScanner(std::size_t bufferSize = 1 << 20)
      : buf_(std::max<std::size_t>(bufferSize, 2)) {}
  bool open(const std::string& utf8Path);
  // The next line; at[0 .. blanks - 1] receive the positions of its first blanks (at most six).
  // The view stays valid until the next call.
  io::ReadResult next(std::string_view& line, std::size_t (&at)[kBlanks], int& blanks);

 private:
  bool fill();  // more bytes behind the current line; false at the end
  io::InputFile in_;
  std::vector<char> buf_;
  std::size_t pos_ = 0, len_ = 0;
  bool eof_ = false;
};

}  // namespace harlowe
