// Exact decimal sums of number texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/decimal_text.h"

namespace harlowe::text {
namespace {

struct SumCase {
  const char* text;
  int shift;
  std::int64_t k;
  int kExponent;
  const char* sum;  // nullptr: not written
};

TEST(DecimalText, SumsAreWrittenExactlyAsPlainDecimals) {
  const SumCase cases[] = {
      {"-0.2422", 0, -120, 3, "-120000.2422"},
      {"-0.2422", 0, 120, 3, "119999.7578"},  // borrows through the whole part
      {"-242.2", 0, -120, 6, "-120000242.2"},
      {"1.234568E+07", 0, 35, 3, "12380680"},
      {"1E-05", 0, -120, 3, "-119999.99999"},
      {"999.5", 0, 1, 0, "1000.5"},  // carries into a new digit
      {"-35000.3819", 0, 35, 3, "-0.3819"},
      {"35000", 0, -35, 3, "0"},
      {"-0.000", 0, 0, 0, "0"},
      {"0012.5000", 3, 0, 0, "12500"},
      {"+.5d1", 0, 0, 0, "5"},
      {" 7 ", -2, 0, 0, "0.07"},
      {"1e1300", 0, 0, 0, nullptr},  // digits more than the limit of places apart
      {"1e-1300", 0, -35, 3, nullptr},
  };
  for (const SumCase& c : cases) {
    DecimalDigits d;
    ASSERT_TRUE(ParseDecimalDigits(c.text, d)) << c.text;
    std::string out = "unchanged";
    EXPECT_EQ(WriteDecimalSum(d, c.shift, c.k, c.kExponent, out), c.sum != nullptr) << c.text;
    EXPECT_EQ(out, c.sum ? c.sum : "unchanged") << c.text;
  }
  DecimalDigits d;
  for (const char* bad : {"", ".", "-", "1e", "1.2.3", "e5", "--1", "1 2", "0x10", "inf"})
    EXPECT_FALSE(ParseDecimalDigits(bad, d)) << bad;
}

// The text of N / 10^f plus k × 10^e, worked out with 128-bit whole numbers.
std::string reference(__int128 n, int f, std::int64_t k, int e) {
  __int128 scale = 1;
  for (int i = 0; i < f; ++i) scale *= 10;
  __int128 total = n;
  __int128 addend = k;
  for (int i = 0; i < e + f; ++i) addend *= 10;
  total += addend;
  const bool negative = total < 0;
  if (negative) total = -total;
  auto digits = [](__int128 v) {
    std::string s;
    do {
      s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
      v /= 10;
    } while (v != 0);
    return s;
  };
  std::string fraction = digits(total % scale + scale).substr(1);  // f digits
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  const std::string out = digits(total / scale) + (fraction.empty() ? "" : "." + fraction);
  return negative ? "-" + out : out;
}

TEST(DecimalText, RandomSumsMatchWholeNumberArithmetic) {
  std::mt19937_64 rng(18);
  std::string out;
  for (int i = 0; i < 200'000; ++i) {
    const auto n = static_cast<std::int64_t>(rng() % 1'000'000'000'000'000ull) *
                   (rng() % 2 ? 1 : -1) / static_cast<std::int64_t>(rng() % 1'000'000 + 1);
    const int f = static_cast<int>(rng() % 10);
    const std::int64_t k =
        static_cast<std::int64_t>(rng() % 2'000'000'000'000ull) - 1'000'000'000'000;
    const int e = static_cast<int>(rng() % 7);
    // N / 10^f written plainly, or as digits with an exponent.
    std::string whole = std::to_string(n < 0 ? -n : n);
    std::string text;
    if (rng() % 2) {
      whole.insert(
          0, static_cast<std::size_t>(std::max<int>(0, f + 1 - static_cast<int>(whole.size()))),
          '0');
      text = whole;
      if (f) text.insert(text.size() - static_cast<std::size_t>(f), 1, '.');
    } else {
      text = whole + "e-" + std::to_string(f);
    }
    if (n < 0) text.insert(0, 1, '-');
    DecimalDigits d;
    ASSERT_TRUE(ParseDecimalDigits(text, d)) << text;
    ASSERT_TRUE(WriteDecimalSum(d, 0, k, e, out)) << text;
    ASSERT_EQ(out, reference(n, f, k, e)) << text << " + " << k << "e" << e;
  }
}

}  // namespace
}  // namespace harlowe::text
