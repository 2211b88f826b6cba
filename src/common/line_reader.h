#pragma once
// Reads a text file line by line. A line ends at CR LF or at a lone CR, as in the files this
// program writes (work files, copies, scripts); a reader made for files of other programs also
// ends a line at a lone LF, so that any line ends, mixed in any way as files joined from exports
// of different systems hold them, are read. The end marker is not part of the line; a last line
// without a line end is still a line. Reading past the last line is an end-of-data condition,
// distinct from a failure to read. Lines are byte strings (ANSI code
// page); views stay valid until the next call. Memory stays constant: a reader made with a line
// limit keeps only the head of a longer line and reads past the rest.
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace harlowe::io {

enum class ReadResult { Line, EndOfData, Failed };

// The first CR or LF in [from, to), or to when there is none. Inline: it runs once per line.
inline const char* FindLineEnd(const char* from, const char* to) {
#if defined(__SSE2__)
  // Both end bytes in one scan, sixteen bytes at a time.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  const char* p = from;
  for (; to - p >= 16; p += 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, cr), _mm_cmpeq_epi8(w, lf)));
    if (mask != 0) return p + std::countr_zero(static_cast<unsigned>(mask));
  }
  for (; p < to; ++p)
    if (*p == '\r' || *p == '\n') return p;
  return to;
#else
  // The LF first, then a CR only before it: searching the whole rest for a CR would cost a
  // scan of the buffer per line in a file without any.
  const auto n = static_cast<std::size_t>(to - from);
  const auto* lf = static_cast<const char*>(std::memchr(from, '\n', n));
  const char* end = lf ? lf : to;
  const auto* cr =
      static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from)));
  return cr ? cr : end;
#endif
}

// The line limit of the readers of point data: no point line comes near it.
inline constexpr std::size_t kPointLineLimit = std::size_t{1} << 20;

enum class LineEnds {
  CrLfOrCr,  // CR LF or a lone CR; a lone LF stays inside the line
  Any,       // CR LF, a lone LF or a lone CR
};

class LineReader {
 public:
  static constexpr std::size_t kWholeLines = std::numeric_limits<std::size_t>::max();

  // lineLimit: the bytes kept of one line; a longer line is cut (see cut()).
  explicit LineReader(std::size_t bufferSize = 1 << 20, std::size_t lineLimit = kWholeLines,
                      LineEnds ends = LineEnds::CrLfOrCr);
  bool open(const std::string& utf8Path);
  bool isOpen() const { return in_.isOpen(); }
  // True when no character is left (the end-of-file test made before a read). It may refill the
  // buffer, so a line view from next() is not valid after it.
  bool atEnd();
  ReadResult next(std::string_view& line);
  // The last line read was longer than the line limit: its view holds only its first bytes.
  bool cut() const { return cut_; }
  // The length in bytes of the last line read, all of it.
  std::uint64_t length() const { return length_; }
  void close();

 private:
  bool fill();                                 // makes more bytes available; false at the end
  void keep(const char* from, std::size_t n);  // adds to long_ up to the line limit
  InputFile in_;
  std::vector<char> buf_;
  std::size_t limit_;
  LineEnds ends_;
  std::size_t pos_ = 0, len_ = 0;
  std::string long_;  // holds a line that straddles buffer refills
  std::uint64_t length_ = 0;
  bool cut_ = false;
  bool eof_ = false;
};

}  // namespace harlowe::io
