#include "common/line_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace harlowe::io {

// A buffer of one byte could never hold a CR together with the byte that follows it.
LineReader::LineReader(std::size_t bufferSize, LineEnds ends)
    : ends_(ends), buf_(std::max<std::size_t>(bufferSize, 2)) {}

const char* LineReader::findEnd(const char* from, const char* to) const {
  const auto n = static_cast<std::size_t>(to - from);
  if (ends_ == LineEnds::CrOrCrLf) return static_cast<const char*>(std::memchr(from, '\r', n));
#if defined(__SSE2__)
  // Both end bytes in one scan, sixteen bytes at a time.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  const char* p = from;
  for (; p + 16 <= to; p += 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, cr), _mm_cmpeq_epi8(w, lf)));
    if (mask != 0) return p + std::countr_zero(static_cast<unsigned>(mask));
  }
  for (; p < to; ++p)
    if (*p == '\r' || *p == '\n') return p;
  return nullptr;
#else
  // The LF first, then a CR only before it: searching the whole rest for a CR would cost a
  // scan of the buffer per line in a file without any.
  const auto* lf = static_cast<const char*>(std::memchr(from, '\n', n));
  const char* end = lf ? lf : to;
  const auto* cr =
      static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from)));
  return cr ? cr : lf;
#endif
}

bool LineReader::open(const std::string& utf8Path) {
  close();
  return in_.open(utf8Path);
}

void LineReader::close() {
  in_.close();
  pos_ = len_ = 0;
  eof_ = false;
  long_.clear();
}

bool LineReader::fill() {
  if (eof_) return false;
  // Keep the unread bytes (the start of the current line) and read behind them.
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
  }
  const std::size_t got = in_.read(buf_.data() + len_, buf_.size() - len_);
  if (got == 0) {
    eof_ = true;
    return false;
  }
  len_ += got;
  return true;
}

bool LineReader::atEnd() {
  if (pos_ < len_) return false;
  if (!in_.isOpen()) return true;
  return !fill();
}

ReadResult LineReader::next(std::string_view& line) {
  line = {};
  if (!in_.isOpen() || in_.failed()) return ReadResult::Failed;

  long_.clear();
  bool spilled = false;     // the head of the line is in long_
  std::size_t scanned = 0;  // bytes after pos_ known to hold no line end
  auto emit = [&](std::size_t from, std::size_t to) {
    if (spilled) {
      long_.append(buf_.data() + from, to - from);
      line = long_;
    } else {
      line = std::string_view(buf_.data() + from, to - from);
    }
    return ReadResult::Line;
  };

  for (;;) {
    char* base = buf_.data();
    const char* hit = findEnd(base + pos_ + scanned, base + len_);
    if (hit && *hit == '\n') {
      const std::size_t from = pos_;
      pos_ = static_cast<std::size_t>(hit - base) + 1;
      return emit(from, pos_ - 1);
    }
    if (hit) {
      const auto cr = static_cast<std::size_t>(hit - base);
      // The byte after the CR decides whether an LF belongs to this line end; when the CR is
      // the last byte read so far, that byte is not known yet (unless the file ends there).
      if (cr + 1 < len_ || eof_) {
        const std::size_t from = pos_;
        pos_ = cr + 1;
        if (pos_ < len_ && base[pos_] == '\n') ++pos_;
        return emit(from, cr);
      }
      scanned = cr - pos_;
    } else {
      scanned = len_ - pos_;
      if (eof_) {
        if (scanned == 0 && !spilled) return ReadResult::EndOfData;
        const std::size_t from = pos_;
        pos_ = len_;
        return emit(from, len_);  // the last line has no line end
      }
    }

    if (pos_ == 0 && len_ == buf_.size()) {
      // The line is longer than the buffer: set its head aside (a CR at the end stays).
      long_.append(base, scanned);
      spilled = true;
      std::memmove(base, base + scanned, len_ - scanned);
      len_ -= scanned;
      scanned = 0;
    }
    if (!fill() && in_.failed()) return ReadResult::Failed;
  }
}

}  // namespace harlowe::io
