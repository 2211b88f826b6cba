#include "common/decimal_text.h"

#include <algorithm>
#include <string>

namespace harlowe::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::int64_t kExponentCap = 1'000'000'000'000;

// One operand of the sum: its digits as one whole number (leading and trailing zeros allowed)
// whose last digit stands at 10^low.
struct Operand {
  std::string_view head, tail;  // the digits, read as head followed by tail
  std::int64_t low = 0;
  bool negative = false;
  std::size_t size() const { return head.size() + tail.size(); }
  char at(std::size_t i) const { return i < head.size() ? head[i] : tail[i - head.size()]; }
  // The digit at 10^position (0 outside the digits).
  int digit(std::int64_t position) const {
    const std::int64_t fromEnd = position - low;
    if (fromEnd < 0 || fromEnd >= static_cast<std::int64_t>(size())) return 0;
    return at(size() - 1 - static_cast<std::size_t>(fromEnd)) - '0';
  }
  // The positions of the highest and the lowest digit that is not 0; false for zero.
  bool extent(std::int64_t& high, std::int64_t& lowest) const {
    std::size_t first = 0, last = size();
    while (first < size() && at(first) == '0') ++first;
    if (first == size()) return false;
    while (at(last - 1) == '0') --last;
    high = low + static_cast<std::int64_t>(size() - 1 - first);
    lowest = low + static_cast<std::int64_t>(size() - last);
    return true;
  }
};

Operand operandOf(const DecimalDigits& d, int shift) {
  return {d.whole, d.fraction, d.exponent + shift - static_cast<std::int64_t>(d.fraction.size()),
          d.negative};
}

// The digits of |k| in buf (at most 20).
Operand operandOf(std::int64_t k, int kExponent, char (&buf)[24]) {
  std::uint64_t m = k < 0 ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
  char* end = buf + sizeof buf;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0);
  return {std::string_view(p, static_cast<std::size_t>(end - p)), {}, kExponent, k < 0};
}

struct Extents {
  bool a = false, b = false;
  std::int64_t aHigh = 0, aLow = 0, bHigh = 0, bLow = 0;
  std::int64_t high() const { return std::max(a ? aHigh : bHigh, b ? bHigh : aHigh); }
  std::int64_t low() const { return std::min(a ? aLow : bLow, b ? bLow : aLow); }
};

Extents extentsOf(const Operand& a, const Operand& b) {
  Extents x;
  x.a = a.extent(x.aHigh, x.aLow);
  x.b = b.extent(x.bHigh, x.bLow);
  return x;
}

}  // namespace

bool ParseDecimalDigits(std::string_view text, DecimalDigits& out) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  const std::string_view t = text.substr(b, e - b);
  std::size_t i = 0;
  out = DecimalDigits{};
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) out.negative = t[i++] == '-';
  const std::size_t wholeFrom = i;
  while (i < t.size() && isDigit(t[i])) ++i;
  out.whole = t.substr(wholeFrom, i - wholeFrom);
  if (i < t.size() && t[i] == '.') {
    const std::size_t fractionFrom = ++i;
    while (i < t.size() && isDigit(t[i])) ++i;
    out.fraction = t.substr(fractionFrom, i - fractionFrom);
  }
  if (out.whole.empty() && out.fraction.empty()) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    const std::size_t digitsFrom = i;
    for (; i < t.size() && isDigit(t[i]); ++i)
      out.exponent = std::min(out.exponent * 10 + (t[i] - '0'), kExponentCap);
    if (i == digitsFrom) return false;
    if (negative) out.exponent = -out.exponent;
  }
  return i == t.size();
}

bool WholeOfDecimal(const DecimalDigits& d, int shift, std::uint64_t& whole, bool& halfOrMore) {
  const Operand a = operandOf(d, shift);
  whole = 0;
  halfOrMore = a.digit(-1) >= 5;
  std::int64_t high = 0, low = 0;
  if (!a.extent(high, low)) return true;
  if (high >= 18) return false;
  for (std::int64_t p = high; p >= 0; --p)
    whole = whole * 10 + static_cast<std::uint64_t>(a.digit(p));
  return true;
}

bool WriteDecimalSum(const DecimalDigits& d, int shift, std::int64_t k, int kExponent,
                     std::string& out) {
  char buf[24];
  Operand a = operandOf(d, shift), b = operandOf(k, kExponent, buf);
  const Extents x = extentsOf(a, b);
  if (!x.a && !x.b) {
    out.assign(1, '0');
    return true;
  }
  // The point itself (10^0) is always written, and a carry may add a digit at the top.
  const std::int64_t low = std::min<std::int64_t>(x.low(), 0);
  const std::int64_t high = std::max<std::int64_t>(x.high(), 0) + 1;
  if (high - low > kDecimalSpanLimit) return false;
  if (!x.a) a.negative = b.negative;
  if (!x.b) b.negative = a.negative;

  // The result's digits from 10^low up, in one pass of carries (same signs) or borrows (the
  // smaller magnitude taken from the larger one).
  const auto count = static_cast<std::size_t>(high - low + 1);
  char small[160];
  std::string large;
  char* digits = small;
  if (count > sizeof small) {
    large.resize(count);
    digits = large.data();
  }
  bool negative = a.negative;
  if (a.negative == b.negative) {
    int carry = 0;
    for (std::int64_t p = low; p <= high; ++p) {
      const int s = a.digit(p) + b.digit(p) + carry;
      digits[p - low] = static_cast<char>(s % 10);
      carry = s / 10;
    }
  } else {
    std::int64_t p = high;
    while (p >= low && a.digit(p) == b.digit(p)) --p;
    if (p < low) {
      out.assign(1, '0');
      return true;
    }
    if (a.digit(p) < b.digit(p)) std::swap(a, b);
    negative = a.negative;
    int borrow = 0;
    for (std::int64_t q = low; q <= high; ++q) {
      int s = a.digit(q) - b.digit(q) - borrow;
      borrow = s < 0;
      digits[q - low] = static_cast<char>(s + 10 * borrow);
    }
  }

  std::int64_t top = high, bottom = low;
  while (top > 0 && digits[top - low] == 0) --top;
  while (bottom < 0 && digits[bottom - low] == 0) ++bottom;
  out.clear();
  if (negative) out += '-';
  for (std::int64_t p = top; p >= 0; --p) out += static_cast<char>('0' + digits[p - low]);
  if (bottom < 0) {
    out += '.';
    for (std::int64_t p = -1; p >= bottom; --p) out += static_cast<char>('0' + digits[p - low]);
  }
  return true;
}

}  // namespace harlowe::text
