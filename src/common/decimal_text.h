#pragma once
// Exact decimal arithmetic on number texts, for coordinates that must keep every digit they were
// written with: a text moved by a power of ten (metres to millimetres) and a text plus a whole
// number (a coordinate put back at its local origin) are written as plain decimals, with no
// rounding, no noise digits and no exponent.
#include <cstdint>
#include <string>
#include <string_view>

namespace harlowe::text {

// A number text taken apart, in the forms parseNumber reads: blanks and tabs around it, a sign,
// digits with at most one ".", and an exponent (e, E, d or D, a sign, digits). Its value is the
// digits of whole and fraction read as one whole number, times 10^(exponent - fraction digits).
struct DecimalDigits {
  bool negative = false;
  std::string_view whole, fraction;  // the digits before and after the point, as written
  std::int64_t exponent = 0;         // saturated far beyond any number a float can hold
};

// False when the text is not one number of that form.
bool ParseDecimalDigits(std::string_view text, DecimalDigits& out);

// The whole part of |value(d)| × 10^shift and whether what it leaves is a half or more; false
// when the whole part reaches 10^18.
bool WholeOfDecimal(const DecimalDigits& d, int shift, std::uint64_t& whole, bool& halfOrMore);

// The most decimal places from the highest to the lowest digit of a sum that is written: texts
// of numbers beyond it (digits thousands of places apart) are absurd as coordinates.
inline constexpr std::int64_t kDecimalSpanLimit = 1200;

// Writes value(d) × 10^shift + k × 10^kExponent exactly as a plain decimal: "-" when negative, no
// leading zeros ("0.25"), no trailing zeros after the point, no point for a whole number, and
// "0" for zero (never "-0"). False, with out unchanged, when the places from the highest digit
// (or the ones place) to the lowest (or the ones place) exceed kDecimalSpanLimit.
bool WriteDecimalSum(const DecimalDigits& d, int shift, std::int64_t k, int kExponent,
                     std::string& out);

}  // namespace harlowe::text
