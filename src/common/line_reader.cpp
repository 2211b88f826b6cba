#include "common/line_reader.h"

#include <algorithm>
#include <cstring>

namespace harlowe::io {

// A buffer of one byte could never hold a CR together with the byte that follows it.
LineReader::LineReader(std::size_t bufferSize, std::size_t lineLimit, LineEnds ends)
    : buf_(std::max<std::size_t>(bufferSize, 2)), limit_(lineLimit), ends_(ends) {}

bool LineReader::open(const std::string& utf8Path) {
  close();
  return in_.open(utf8Path);
}

void LineReader::close() {
  in_.close();
  pos_ = len_ = 0;
  eof_ = false;
  long_.clear();
  length_ = 0;
  cut_ = false;
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

void LineReader::keep(const char* from, std::size_t n) {
  length_ += n;
  const std::size_t room = limit_ - std::min(limit_, long_.size());
  if (n > room) {
    n = room;
    cut_ = true;
  }
  long_.append(from, n);
}

ReadResult LineReader::next(std::string_view& line) {
  line = {};
  length_ = 0;
  cut_ = false;
  if (!in_.isOpen() || in_.failed()) return ReadResult::Failed;

  long_.clear();
  bool spilled = false;     // the head of the line is in long_
  std::size_t scanned = 0;  // bytes after pos_ known to hold no line end
  auto emit = [&](std::size_t from, std::size_t to) {
    if (spilled) {
      keep(buf_.data() + from, to - from);
      line = long_;
    } else {
      length_ = to - from;
      cut_ = length_ > limit_;
      line = std::string_view(buf_.data() + from, cut_ ? limit_ : to - from);
    }
    return ReadResult::Line;
  };

  for (;;) {
    char* base = buf_.data();
    const char* hit;
    if (ends_ == LineEnds::Any) {
      hit = FindLineEnd(base + pos_ + scanned, base + len_);
    } else {
      const void* cr = std::memchr(base + pos_ + scanned, '\r', len_ - pos_ - scanned);
      hit = cr ? static_cast<const char*>(cr) : base + len_;
    }
    const auto end = static_cast<std::size_t>(hit - base);
    if (end < len_ && *hit == '\n') {
      const std::size_t from = pos_;
      pos_ = end + 1;
      return emit(from, end);
    }
    if (end < len_) {
      // The byte after the CR decides whether an LF belongs to this line end; when the CR is
      // the last byte read so far, that byte is not known yet (unless the file ends there).
      if (end + 1 < len_ || eof_) {
        const std::size_t from = pos_;
        pos_ = end + 1;
        if (pos_ < len_ && base[pos_] == '\n') ++pos_;
        return emit(from, end);
      }
      scanned = end - pos_;
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
      keep(base, scanned);
      spilled = true;
      std::memmove(base, base + scanned, len_ - scanned);
      len_ -= scanned;
      scanned = 0;
    }
    if (!fill() && in_.failed()) return ReadResult::Failed;
  }
}

}  // namespace harlowe::io
