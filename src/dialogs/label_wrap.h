#pragma once
// How a label that does not grow with its text breaks it into lines inside its width. Japanese
// text has no blanks, so a line may also break between two characters when either of them is a
// wide (CJK) character, except before closing punctuation. Blanks, the ideographic space
// included, hang at the end of a line: they never push a line over the width, and the next line
// starts after them. A word wider than the label is broken where it overflows; '\n' forces a
// break.
#include <cstddef>
#include <string_view>
#include <vector>

namespace harlowe::dialogs {

struct LineRange {
  std::size_t begin, end;  // [begin, end) without the blanks that hang at the end
};

namespace wrap_detail {

inline bool isSpace(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }
inline bool isWide(char32_t c) { return c >= 0x2E80; }
// Closing punctuation that may not begin a line.
inline constexpr char32_t kNoLineStart[] = {U')',   U',',   U'.',   U'!',   U'?',   U':',   U';',
                                            0x3001, 0x3002, 0x300D, 0x300F, 0x3011, 0x30FB, 0x30FC,
                                            0xFF01, 0xFF09, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B, 0xFF1F,
                                            0xFF61, 0xFF63, 0xFF64, 0xFF65, 0xFF70};
inline bool mayNotStartLine(char32_t c) {
  for (char32_t k : kNoLineStart)
    if (k == c) return true;
  return false;
}

}  // namespace wrap_detail

// measure(begin, end) gives the width of text[begin, end) on one line, in the unit of `width`.
template <class Char, class Measure>
std::vector<LineRange> wrapLines(std::basic_string_view<Char> text, int width, Measure measure) {
  using namespace wrap_detail;
  std::vector<LineRange> lines;
  const std::size_t n = text.size();
  auto at = [&](std::size_t i) { return static_cast<char32_t>(text[i]); };
  std::size_t start = 0;
  while (start < n) {
    std::size_t i = start;
    std::size_t breakEnd = 0, breakNext = 0;
    bool haveBreak = false, broke = false;
    while (i < n && at(i) != U'\n') {
      if (isSpace(at(i))) {
        std::size_t j = i;
        while (j < n && isSpace(at(j))) ++j;
        if (i > start) {
          breakEnd = i;
          breakNext = j;
          haveBreak = true;
        }
        i = j;
        continue;
      }
      if (i > start && measure(start, i + 1) > width) {
        if (haveBreak) {
          lines.push_back({start, breakEnd});
          start = breakNext;
        } else {
          lines.push_back({start, i});
          start = i;
        }
        broke = true;
        break;
      }
      if (i + 1 < n && (isWide(at(i)) || isWide(at(i + 1))) && !isSpace(at(i + 1)) &&
          !mayNotStartLine(at(i + 1))) {
        breakEnd = breakNext = i + 1;
        haveBreak = true;
      }
      ++i;
    }
    if (broke) continue;
    std::size_t end = i;
    while (end > start && isSpace(at(end - 1))) --end;
    lines.push_back({start, end});
    start = i < n ? i + 1 : n;  // past the '\n'
  }
  return lines;
}

}  // namespace harlowe::dialogs
