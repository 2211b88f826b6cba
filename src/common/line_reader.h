#pragma once
// Reads a text file line by line as the legacy line input did: a line ends at CR LF or at a
// lone CR (the end marker is not part of the line); a lone LF stays inside the line; a last line
// without a line end is still a line. Reading past the last line is an end-of-data condition,
// distinct from a failure to read. Lines are byte strings (ANSI code page); views stay valid
// until the next call. Memory stays constant apart from the longest line. A reader made with
// LineEnds::AnyEnd also ends a line at a lone LF, for inputs that other programs write with
// LF line ends.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace harlowe::io {

enum class ReadResult { Line, EndOfData, Failed };

enum class LineEnds {
  CrOrCrLf,  // CR LF or a lone CR; a lone LF stays inside the line
  AnyEnd,    // CR LF, a lone CR or a lone LF
};

class LineReader {
 public:
  explicit LineReader(std::size_t bufferSize = 1 << 20, LineEnds ends = LineEnds::CrOrCrLf);
  bool open(const std::string& utf8Path);
  bool isOpen() const { return in_.isOpen(); }
  // True when no character is left (the end-of-file test made before a read). It may refill the
  // buffer, so a line view from next() is not valid after it.
  bool atEnd();
  ReadResult next(std::string_view& line);
  void close();

 private:
  bool fill();  // makes more bytes available; false at the end
  // The first line-end byte in [from, to), or nullptr.
  const char* findEnd(const char* from, const char* to) const;
  InputFile in_;
  LineEnds ends_;
  std::vector<char> buf_;
  std::size_t pos_ = 0, len_ = 0;
  std::string long_;  // holds a line that straddles buffer refills
  bool eof_ = false;
};

}  // namespace harlowe::io
