#pragma once
// Decimal texts worked out as a person would, with whole numbers and by moving the point: the
// references for tests of coordinates that must keep every digit.
#include <algorithm>
#include <cstdint>
#include <string>

namespace harlowe::test {

// A decimal text (sign, digits, point, digits) plus a whole number of metres, worked out with
// whole numbers and written with as many decimals as the text has: movedText("-0.3819", -35000)
// is "-35000.3819".
inline std::string movedText(const std::string& text, std::int64_t metres) {
  const auto point = text.find('.');
  const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
  std::string digits = text;
  if (point != std::string::npos) digits.erase(point, 1);
  std::int64_t scale = 1;
  for (std::size_t i = 0; i < decimals; ++i) scale *= 10;
  const std::int64_t value = std::stoll(digits) + metres * scale;
  const bool negative = value < 0 || (value == 0 && text[0] == '-');
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  std::string fraction = std::to_string(magnitude % static_cast<std::uint64_t>(scale));
  fraction.insert(0, decimals - (decimals ? fraction.size() : 0), '0');
  if (!decimals) fraction.clear();
  return (negative ? "-" : "") + std::to_string(magnitude / scale) +
         (decimals ? "." + fraction : "");
}

// A decimal text (sign, digits, point, digits) times 1000, by moving its point: no leading or
// trailing zeros, no point for a whole number ("-0.0856" gives "-85.6", "0.0000" gives "0").
inline std::string millimetreText(const std::string& text) {
  const bool negative = text[0] == '-';
  std::string digits = text.substr(negative ? 1 : 0);
  std::size_t point = digits.find('.');
  if (point == std::string::npos) {
    point = digits.size();
  } else {
    digits.erase(point, 1);
  }
  point += 3;
  if (digits.size() < point) digits.append(point - digits.size(), '0');
  std::string whole = digits.substr(0, point), fraction = digits.substr(point);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const std::string out = whole + (fraction.empty() ? "" : "." + fraction);
  return negative && out != "0" ? "-" + out : out;
}

}  // namespace harlowe::test
