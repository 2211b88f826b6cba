#pragma once
// Reads a text file line by line as the legacy line input did: a line ends at CR LF or at a
// lone CR (the end marker is not part of the line); a lone LF stays inside the line; a last line
// without a line end is still a line. Reading past the last line is an end-of-data condition,
// distinct from a failure to read. Lines are byte strings (ANSI code page); views stay valid
// until the next call. Memory stays constant apart from the longest line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace harlowe::io {

enum class ReadResult { Line, EndOfData, Failed };

class LineReader {
 public:
  explicit LineReader(std::size_t bufferSize = 1 << 20);
  bool open(const std::string& utf8Path);
  bool isOpen() const { return in_.isOpen(); }
  // True when no character is left (the end-of-file test made before a read). It may refill the
  // buffer, so a line view from next() is not valid after it.
  bool atEnd();
  ReadResult next(std::string_view& line);
  void close();

 private:
  bool fill();  // makes more bytes available; false at the end
  InputFile in_;
  std::vector<char> buf_;
  std::size_t pos_ = 0, len_ = 0;
  std::string long_;  // holds a line that straddles buffer refills
  bool eof_ = false;
};

}  // namespace harlowe::io
