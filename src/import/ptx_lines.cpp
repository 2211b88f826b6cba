#include "import/ptx_lines.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace harlowe {

bool PtxLineScanner::open(const std::string& utf8Path) {
  pos_ = len_ = 0;
  eof_ = false;
  return in_.open(utf8Path);
}

bool PtxLineScanner::fill() {
  if (eof_) return false;
  // Keep the current line's bytes at the front; a line that fills the buffer makes it grow.
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
  } else if (len_ == buf_.size()) {
    buf_.resize(buf_.size() * 2);
  }
  const std::size_t got = in_.read(buf_.data() + len_, buf_.size() - len_);
  if (got == 0) eof_ = true;
  len_ += got;
  return got > 0;
}

io::ReadResult PtxLineScanner::next(std::string_view& line, std::size_t (&at)[kBlanks],
                                    int& blanks) {
  line = {};
  blanks = 0;
  if (!in_.isOpen() || in_.failed()) return io::ReadResult::Failed;
  auto take = [&](unsigned mask, std::size_t from) {
    for (; mask != 0 && blanks < kBlanks; mask &= mask - 1)
      at[blanks++] = from + static_cast<std::size_t>(std::countr_zero(mask));
  };
  std::size_t scanned = 0;  // bytes of the line looked at, none of them a line end
  for (;;) {
    const char* base = buf_.data() + pos_;
    const std::size_t avail = len_ - pos_;
    std::size_t i = scanned, end = avail;
    bool found = false;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), blank = _mm_set1_epi8(' ');
    for (; i + 16 <= avail; i += 16) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
      const auto ends = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, cr), _mm_cmpeq_epi8(w, lf))));
      auto blankMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, blank)));
      if (ends != 0) {
        const int e = std::countr_zero(ends);
        take(blankMask & ((1u << e) - 1), i);
        end = i + static_cast<std::size_t>(e);
        found = true;
        break;
      }
      take(blankMask, i);
    }
#endif
    for (; !found && i < avail; ++i) {
      const char c = base[i];
      if (c == '\r' || c == '\n') {
        end = i;
        found = true;
      } else if (c == ' ' && blanks < kBlanks) {
        at[blanks++] = i;
      }
    }
    if (found && !(base[end] == '\r' && end + 1 == avail && !eof_)) {
      line = std::string_view(base, end);
      std::size_t after = end + 1;
      if (base[end] == '\r' && after < avail && base[after] == '\n') ++after;
      pos_ += after;
      return io::ReadResult::Line;
    }
    if (!found && eof_) {
      if (avail == 0) return io::ReadResult::EndOfData;
      line = std::string_view(base, avail);  // the last line has no line end
      pos_ = len_;
      return io::ReadResult::Line;
    }
    // A CR as the last byte read decides nothing before the byte after it is known.
    scanned = found ? end : avail;
    if (!fill() && in_.failed()) return io::ReadResult::Failed;
  }
}

}  // namespace harlowe
