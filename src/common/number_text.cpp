#include "common/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace harlowe::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isExponentMark(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

// Collects the characters of a number in the form std::from_chars reads ("-12.5e+3"). Short
// numbers stay on the stack; only a very long digit run spills to the heap.
class NumberBuffer {
 public:
  void push(char c) {
    if (!spilled_ && size_ < sizeof(small_)) {
      small_[size_++] = c;
      return;
    }
    if (!spilled_) {
      large_.assign(small_, size_);
      spilled_ = true;
    }
    large_ += c;
  }
  std::string_view view() const {
    return spilled_ ? std::string_view(large_) : std::string_view(small_, size_);
  }

 private:
  char small_[64];
  std::size_t size_ = 0;
  bool spilled_ = false;
  std::string large_;
};

// The decimal exponent of the leading significant digit of a well-formed number text
// ("-0.00123e5" gives 2). Only used to tell overflow from underflow after from_chars reports
// a value out of range, so a saturated exponent is good enough.
long long magnitudeOf(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  long long intDigits = 0, leadingFractionZeros = 0;
  bool nonZeroSeen = false;
  for (; i < t.size() && isDigit(t[i]); ++i) {
    if (t[i] != '0') nonZeroSeen = true;
    if (nonZeroSeen) ++intDigits;
  }
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && isDigit(t[i]); ++i) {
      if (!nonZeroSeen) {
        if (t[i] != '0') {
          nonZeroSeen = true;
        } else {
          ++leadingFractionZeros;
        }
      }
    }
  }
  long long exponent = 0;
  if (i < t.size() && isExponentMark(t[i])) {
    ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    for (; i < t.size() && isDigit(t[i]); ++i) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (t[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  long long lead = intDigits > 0 ? intDigits - 1 : -(leadingFractionZeros + 1);
  return lead + exponent;
}

struct Converted {
  double value;
  bool overflow;
};

// Converts a well-formed number text ("-" allowed, "+" not, exponent mark "e").
Converted convert(std::string_view t) {
  double v = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  (void)ptr;
  if (ec == std::errc()) return {v, false};
  const bool negative = !t.empty() && t[0] == '-';
  if (magnitudeOf(t) > 0) {
    double inf = std::numeric_limits<double>::infinity();
    return {negative ? -inf : inf, true};
  }
  return {negative ? -0.0 : 0.0, false};  // too small for a double: it is zero
}

// The classic general format with `precision` significant digits: no trailing zeros, E notation
// (sign and at least two exponent digits) when the exponent is below -4 or reaches `precision`.
std::string generalText(double value, int precision) {
  if (value == 0) return "0";
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";

  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                           precision - 1);
  std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));  // "d.dddde+XX"
  const std::size_t ePos = sci.find('e');
  std::string digits;
  digits.reserve(static_cast<std::size_t>(precision));
  for (char c : sci.substr(0, ePos)) {
    if (c != '.') digits += c;
  }
  int exponent = 0;
  std::string_view expText = sci.substr(ePos + 1);
  if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
  std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out;
  if (value < 0) out += '-';
  if (exponent < -4 || exponent >= precision) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    int absExp = exponent < 0 ? -exponent : exponent;
    if (absExp < 10) out += '0';
    out += std::to_string(absExp);
  } else if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  } else {
    const auto intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      out += digits;
      out.append(intLen - digits.size(), '0');
    } else {
      out.append(digits, 0, intLen);
      out += '.';
      out.append(digits, intLen);
    }
  }
  return out;
}

// ---- Fast paths. Coordinates arrive by the million, nearly all of them plain decimals such as
// "-12.345678"; these routines take that common form with integer arithmetic and hand anything
// else to the general routines above, giving the very same value and text.

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kPowersOfTen[] = {
    1ull,           10ull,           100ull,           1000ull,          10000ull,
    100000ull,      1000000ull,      10000000ull,      100000000ull,     1000000000ull,
    10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull};

// A sign, up to 15 digits and at most one "." (as in "-12.345678", "7", ".5", "5."). The digits
// form a whole number below 2^53 and the scale is at most 10^15, both exact in a double, so their
// quotient is the correctly rounded value, as from_chars gives it. nullopt: another form.
std::optional<double> plainDecimal(std::string_view t) {
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  std::uint64_t whole = 0;
  int digits = 0, fractionDigits = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (isDigit(c)) {
      if (++digits > 15) return std::nullopt;
      whole = whole * 10 + static_cast<unsigned>(c - '0');
      fractionDigits += point;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  const double value = static_cast<double>(whole) / kExactPowersOfTen[fractionDigits];
  return negative ? -value : value;
}

// The classic 7-digit text of a float from its exact value: |value| = m × 2^e is scaled by 10^p
// so that its whole part has seven digits, and that whole part is rounded half to even with the
// exact remainder. Everything stays within 64 bits for 1E-05 <= |value| < 2^63; outside that
// (and for zero, infinities and NaN) it returns 0 and generalText takes over. Otherwise it
// returns the length of the text written to out (at most 14 characters).
std::size_t fastFloatText(float value, char* out) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  // Zero, subnormals (below 1.2E-38), infinities and NaN take the general road.
  if (biased == 0 || biased == 0xFF) return 0;
  const std::uint64_t m = (bits & 0x7FFFFFu) | 0x800000u;  // 2^23 <= m < 2^24
  const int e = biased - 150;                              // |value| = m × 2^e
  if (e >= 40 || e < -63) return 0;

  // |value| lies in [2^(e+23), 2^(e+24)): floor((e + 23) × log10 2) is a first guess of its
  // decimal exponent, never more than one too small; the loop corrects it.
  int exponent = ((e + 23) * 78913) >> 18;
  std::uint64_t q = 0;
  bool above = false, tie = false;  // the remainder compared with one half
  for (int attempt = 0;; ++attempt) {
    if (attempt == 3) return 0;  // the guess is never off by more than one; just in case
    const int p = 6 - exponent;
    if (p > 12 || p < -12) return 0;
    if (p >= 0) {
      const std::uint64_t scaled = m * kPowersOfTen[p];  // < 2^24 × 10^12 < 2^64
      if (e >= 0) {
        if (scaled > (~0ull >> e)) return 0;
        q = scaled << e;
        above = tie = false;
      } else {
        const int s = -e;  // 1 to 63
        q = scaled >> s;
        const std::uint64_t rest = scaled & ((1ull << s) - 1);
        const std::uint64_t half = 1ull << (s - 1);
        above = rest > half;
        tie = rest == half;
      }
    } else {
      if (e < 0) return 0;
      const std::uint64_t whole = m << e;  // e < 40: below 2^64
      const std::uint64_t d = kPowersOfTen[-p];
      q = whole / d;
      const std::uint64_t rest = whole % d;
      above = 2 * rest > d;
      tie = 2 * rest == d;
    }
    if (q < 1'000'000) {
      --exponent;
    } else if (q >= 10'000'000) {
      ++exponent;
    } else {
      break;
    }
  }
  if (above || (tie && (q & 1))) ++q;
  if (q == 10'000'000) {  // 9.9999995 and up round to the next power of ten
    q = 1'000'000;
    ++exponent;
  }

  char digits[7];
  for (int i = 6; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + q % 10);
    q /= 10;
  }
  int count = 7;
  while (count > 1 && digits[count - 1] == '0') --count;

  char* o = out;
  if (value < 0) *o++ = '-';
  if (exponent < -4 || exponent >= 7) {
    *o++ = digits[0];
    if (count > 1) {
      *o++ = '.';
      for (int i = 1; i < count; ++i) *o++ = digits[i];
    }
    *o++ = 'E';
    *o++ = exponent < 0 ? '-' : '+';
    const int absExp = exponent < 0 ? -exponent : exponent;  // below 20 here
    *o++ = static_cast<char>('0' + absExp / 10);
    *o++ = static_cast<char>('0' + absExp % 10);
  } else if (exponent < 0) {
    *o++ = '0';
    *o++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *o++ = '0';
    for (int i = 0; i < count; ++i) *o++ = digits[i];
  } else {
    const int intLen = exponent + 1;
    for (int i = 0; i < intLen; ++i) *o++ = i < count ? digits[i] : '0';
    if (count > intLen) {
      *o++ = '.';
      for (int i = intLen; i < count; ++i) *o++ = digits[i];
    }
  }
  return static_cast<std::size_t>(o - out);
}

template <typename T>
std::optional<T> roundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double whole = std::floor(value);
  const double rest = value - whole;  // exact: below 2^52 whole and value share the exponent
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < static_cast<double>(std::numeric_limits<T>::min()) ||
      whole > static_cast<double>(std::numeric_limits<T>::max())) {
    return std::nullopt;
  }
  return static_cast<T>(whole);
}

}  // namespace

double leadingNumber(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  // Blanks, tabs and line feeds do not count anywhere in the number.
  auto skip = [&] {
    while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  };

  skip();
  if (i < n && text[i] == '&') {
    ++i;
    skip();
    unsigned base = 8;
    if (i < n && (text[i] == 'H' || text[i] == 'h')) {
      base = 16;
      ++i;
    } else if (i < n && (text[i] == 'O' || text[i] == 'o')) {
      ++i;
    }
    std::uint64_t v = 0;
    bool any = false;
    for (;;) {
      skip();
      if (i >= n) break;
      const char c = text[i];
      unsigned d;
      if (isDigit(c)) {
        d = static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        d = static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        d = static_cast<unsigned>(c - 'A' + 10);
      } else {
        break;
      }
      if (d >= base) break;
      const std::uint64_t next = v * base + d;
      if (next > 0xFFFFFFFFu) break;  // a digit that would leave 32 bits cannot continue
      v = next;
      any = true;
      ++i;
    }
    if (!any) return 0;
    // A value that fits 16 bits is a 16-bit integer (&HFFFF is -1), otherwise a 32-bit one.
    if (v <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }

  NumberBuffer buf;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') buf.push('-');
    ++i;
  }
  bool anyDigit = false;
  // Digits with blanks anywhere between them, as far as they go.
  auto digits = [&] {
    for (;;) {
      skip();
      if (i >= n || !isDigit(text[i])) return;
      buf.push(text[i++]);
      anyDigit = true;
    }
  };
  digits();
  if (i < n && text[i] == '.') {
    buf.push('.');
    ++i;
    digits();
  }
  if (!anyDigit) return 0;

  if (i < n && isExponentMark(text[i])) {
    // The exponent counts only when at least one digit follows the mark (and its sign).
    std::size_t j = i + 1;
    auto skipAt = [&](std::size_t& k) {
      while (k < n && (text[k] == ' ' || text[k] == '\t' || text[k] == '\n')) ++k;
    };
    skipAt(j);
    bool negative = false;
    if (j < n && (text[j] == '-' || text[j] == '+')) {
      negative = text[j] == '-';
      ++j;
      skipAt(j);
    }
    if (j < n && isDigit(text[j])) {
      buf.push('e');
      if (negative) buf.push('-');
      long long exponent = 0;
      while (j < n && isDigit(text[j])) {
        if (exponent < 1'000'000) exponent = exponent * 10 + (text[j] - '0');
        ++j;
        skipAt(j);
      }
      char digits[16];
      auto res = std::to_chars(digits, digits + sizeof digits, exponent);
      for (char* p = digits; p != res.ptr; ++p) buf.push(*p);
    }
  }
  return convert(buf.view()).value;
}

std::optional<double> parseNumber(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  const std::string_view t = text.substr(b, e - b);
  if (const auto plain = plainDecimal(t)) return plain;

  // Check the form first: from_chars alone would also take "inf", "nan" or a prefix like "1e".
  std::size_t i = 0;
  bool plus = false, dExponent = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) plus = t[i++] == '+';
  std::size_t digits = 0;
  while (i < t.size() && isDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && isExponentMark(t[i])) {
    dExponent = t[i] == 'd' || t[i] == 'D';
    ++i;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    std::size_t expDigits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;

  Converted c;
  if (plus || dExponent) {
    NumberBuffer buf;
    for (char ch : t.substr(plus ? 1 : 0)) buf.push(ch == 'd' || ch == 'D' ? 'e' : ch);
    c = convert(buf.view());
  } else {
    c = convert(t);
  }
  if (c.overflow) return std::nullopt;
  return c.value;
}

std::optional<std::int16_t> roundToInt16(double value) {
  return roundHalfEven<std::int16_t>(value);
}

std::optional<std::int32_t> roundToInt32(double value) {
  return roundHalfEven<std::int32_t>(value);
}

std::optional<float> toFloat32(double value) {
  if (std::isnan(value)) return std::nullopt;
  const float f = static_cast<float>(value);
  if (std::isinf(f)) return std::nullopt;
  return f;
}

std::string floatText(float value) {
  char buf[kFloatTextMax];
  const std::size_t n = floatTextTo(value, buf);
  return std::string(buf, n);
}

std::size_t floatTextTo(float value, char* out) {
  if (const std::size_t n = fastFloatText(value, out)) return n;
  const std::string t = generalText(static_cast<double>(value), 7);
  std::memcpy(out, t.data(), t.size());
  return t.size();
}

std::string logNumber(float value) {
  // The sign position holds a blank for values that are not negative.
  std::string s = floatText(value);
  return (value < 0 ? s : " " + s) + " ";
}

std::string logNumber(std::int64_t value) {
  std::string s = decimal(value);
  return (value < 0 ? s : " " + s) + " ";
}

std::string decimal(std::int64_t value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string doubleText(double value) { return generalText(value, 15); }

}  // namespace harlowe::text
