#pragma once
// Number and text rules shared by the whole program: how a leading number is read from a text,
// how values are rounded into 16- and 32-bit integers, and how a 32-bit float is written.
// Nothing here depends on the user's locale: "." is always the decimal point.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harlowe::text {

// The leading number of a text: blanks, tabs and line feeds are ignored wherever they stand,
// "." is the decimal point, an exponent (1e3, 1E+3, 1d3) is understood, "&H" introduces a
// hexadecimal and "&O" (or "&") an octal number; reading stops at the first character that
// cannot continue the number; a text that does not begin with a number gives 0 ("12abc" is 12).
double leadingNumber(std::string_view text);

// A whole text as one decimal number, blanks (and tabs) around it allowed, nothing else:
// nullopt for an empty text, letters, or a second number ("1 2"). Used where the legacy
// conversion raised an error (delay value, colour fields, coordinates to scale).
std::optional<double> parseNumber(std::string_view text);

// Rounding to the nearest integer, a half going to the even neighbour. nullopt when the
// rounded value does not fit the type (or the value is not finite).
std::optional<std::int16_t> roundToInt16(double value);
std::optional<std::int32_t> roundToInt32(double value);

// The nearest 32-bit float of a double; nullopt on overflow to infinity (or a NaN input).
std::optional<float> toFloat32(double value);

// The text of a 32-bit float: at most 7 significant digits, "." as decimal point, a leading "-"
// when negative, no trailing zeros, no decimal point for whole values, and E notation with a
// sign and two exponent digits from 1E+07 upward (1.234568E+07) and below 1E-04 (1.5E-05).
// Zero is "0". Examples: 1500, 12345.6, -35123.45, 1234568, 1.234568E+07, 0.25.
std::string floatText(float value);
// The same text written into out, which holds at least kFloatTextMax characters; returns its
// length. For loops that write millions of numbers without building a string each time.
inline constexpr std::size_t kFloatTextMax = 16;  // "-1.#INF", "-1.234568E+38": 13 at most
std::size_t floatTextTo(float value, char* out);

// The printed-number form of the conversion log: one leading blank (or "-" for a negative value)
// and one trailing blank around the digits: " 100 ", " 2.5 ", "-3 ".
std::string logNumber(float value);
std::string logNumber(std::int64_t value);

// Plain decimal digits of an integer, "-" when negative ("1234").
std::string decimal(std::int64_t value);

// The classic text of a double: at most 15 significant digits, no trailing zeros, E notation
// from 1E+15 upward and below 1E-04 (used for colour numbers, which are whole values in
// practice: 16744448).
std::string doubleText(double value);

}  // namespace harlowe::text
