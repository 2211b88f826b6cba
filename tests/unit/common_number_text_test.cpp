#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/number_text.h"

using namespace harlowe::text;

TEST(LeadingNumber, ReadsDecimalsWithSignPointAndExponent) {
  EXPECT_EQ(leadingNumber("12"), 12);
  EXPECT_EQ(leadingNumber("-2.5"), -2.5);
  EXPECT_EQ(leadingNumber("+7"), 7);
  EXPECT_EQ(leadingNumber(".5"), 0.5);
  EXPECT_EQ(leadingNumber("5."), 5);
  EXPECT_EQ(leadingNumber("1e3"), 1000);
  EXPECT_EQ(leadingNumber("1.5E+2"), 150);
  EXPECT_EQ(leadingNumber("25e-1"), 2.5);
  EXPECT_EQ(leadingNumber("1d3"), 1000);
  EXPECT_EQ(leadingNumber("2D-1"), 0.2);
  EXPECT_EQ(leadingNumber("0.1"), 0.1);  // the double nearest 0.1, not a float
}

TEST(LeadingNumber, IgnoresBlanksTabsAndLineFeedsAnywhere) {
  EXPECT_EQ(leadingNumber("1 2 3"), 123);
  EXPECT_EQ(leadingNumber(" 1\t2"), 12);
  EXPECT_EQ(leadingNumber("\n- 1 . 5"), -1.5);
  EXPECT_EQ(leadingNumber("1 e 3"), 1000);
  EXPECT_EQ(leadingNumber("& H 1 0"), 16);
  // A carriage return is not one of them: it ends the number.
  EXPECT_EQ(leadingNumber("1\r2"), 1);
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinue) {
  EXPECT_EQ(leadingNumber("12abc"), 12);
  EXPECT_EQ(leadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(leadingNumber("1e"), 1);
  EXPECT_EQ(leadingNumber("1e+"), 1);
  EXPECT_EQ(leadingNumber("1e3e4"), 1000);
  EXPECT_EQ(leadingNumber("3-4"), 3);
  EXPECT_EQ(leadingNumber("1,5"), 1);
}

TEST(LeadingNumber, NoNumberGivesZero) {
  for (const char* t : {"", "abc", "-", "+", ".", "-.", "e5", "&", "&H", "&Hg", "&O9", "+-1"}) {
    EXPECT_EQ(leadingNumber(t), 0) << t;
  }
}

TEST(LeadingNumber, HexAndOctalAreSixteenBitWhenTheyFitThere) {
  EXPECT_EQ(leadingNumber("&H10"), 16);
  EXPECT_EQ(leadingNumber("&hff"), 255);
  EXPECT_EQ(leadingNumber("&H7FFF"), 32767);
  EXPECT_EQ(leadingNumber("&H8000"), -32768);
  EXPECT_EQ(leadingNumber("&HFFFF"), -1);
  EXPECT_EQ(leadingNumber("&H10000"), 65536);
  EXPECT_EQ(leadingNumber("&HFFFFFFFF"), -1);
  EXPECT_EQ(leadingNumber("&H7FFFFFFF"), 2147483647);
  EXPECT_EQ(leadingNumber("&HFFFFFFFF1"), -1);  // a digit past 32 bits ends the number
  EXPECT_EQ(leadingNumber("&O17"), 15);
  EXPECT_EQ(leadingNumber("&17"), 15);
  EXPECT_EQ(leadingNumber("&o177777"), -1);
  EXPECT_EQ(leadingNumber("&O178"), 15);
  EXPECT_EQ(leadingNumber("&HFFz"), 255);
}

TEST(LeadingNumber, ExtremesStayInDoublePrecision) {
  EXPECT_EQ(leadingNumber("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(leadingNumber("-1e400"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(leadingNumber("1e-400"), 0);
  EXPECT_EQ(leadingNumber("0.000000000000000000001e-400"), 0);
  EXPECT_EQ(leadingNumber("12345678901234567890"), 12345678901234567890.0);
  std::string longText = "1" + std::string(300, '0');
  EXPECT_EQ(leadingNumber(longText), 1e300);
  EXPECT_EQ(leadingNumber(std::string(400, '0') + "7"), 7);
}

TEST(ParseNumber, AcceptsExactlyOneDecimalNumber) {
  EXPECT_EQ(parseNumber("12"), 12);
  EXPECT_EQ(parseNumber("  -35.12345\t"), -35.12345);
  EXPECT_EQ(parseNumber("+1.5"), 1.5);
  EXPECT_EQ(parseNumber(".5"), 0.5);
  EXPECT_EQ(parseNumber("5."), 5);
  EXPECT_EQ(parseNumber("1e3"), 1000);
  EXPECT_EQ(parseNumber("1.5E-1"), 0.15);
  EXPECT_EQ(parseNumber("2d2"), 200);
  EXPECT_EQ(parseNumber("1e-400"), 0);
  for (const char* t : {"", "  ", "abc", "1 2", "1,5", "12abc", "-", ".", "1e", "1e+", "inf", "nan",
                        "0x10", "&H10", "--1", "+-1", "1\n", "1e400", "- 1"}) {
    EXPECT_FALSE(parseNumber(t).has_value()) << t;
  }
}

TEST(RoundToInt, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundToInt16(2.5), 2);
  EXPECT_EQ(roundToInt16(3.5), 4);
  EXPECT_EQ(roundToInt16(-2.5), -2);
  EXPECT_EQ(roundToInt16(-3.5), -4);
  EXPECT_EQ(roundToInt16(0.5), 0);
  EXPECT_EQ(roundToInt16(-0.5), 0);
  EXPECT_EQ(roundToInt16(2.4999999), 2);
  EXPECT_EQ(roundToInt16(2.5000001), 3);
  EXPECT_EQ(roundToInt32(1e9 + 0.5), 1000000000);
  EXPECT_EQ(roundToInt32(-1e9 - 1.5), -1000000002);
}

TEST(RoundToInt, RangeEdges) {
  EXPECT_EQ(roundToInt16(32767.4), 32767);
  EXPECT_EQ(roundToInt16(32766.5), 32766);
  EXPECT_FALSE(roundToInt16(32767.5));
  EXPECT_EQ(roundToInt16(-32768.5), -32768);
  EXPECT_FALSE(roundToInt16(-32769.5));
  EXPECT_FALSE(roundToInt16(-32768.6));
  EXPECT_FALSE(roundToInt16(40000));
  EXPECT_EQ(roundToInt32(2147483647.4), 2147483647);
  EXPECT_FALSE(roundToInt32(2147483647.5));
  EXPECT_EQ(roundToInt32(-2147483648.5), -2147483647 - 1);
  EXPECT_FALSE(roundToInt32(-2147483649.5));
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {inf, -inf, std::nan("")}) {
    EXPECT_FALSE(roundToInt16(v));
    EXPECT_FALSE(roundToInt32(v));
  }
}

TEST(ToFloat32, NearestFloatOrNothing) {
  EXPECT_EQ(toFloat32(0.1), 0.1f);
  EXPECT_EQ(toFloat32(9999.9999), 10000.0f);
  EXPECT_EQ(toFloat32(3.4e38), 3.4e38f);
  EXPECT_FALSE(toFloat32(1e39));
  EXPECT_FALSE(toFloat32(-1e39));
  EXPECT_FALSE(toFloat32(std::nan("")));
  EXPECT_FALSE(toFloat32(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(toFloat32(1e-50), 0.0f);
}

// The coordinate examples: the float of the decimal, times 1000 in float arithmetic.
static float milli(float metres) { return metres * 1000.0f; }

TEST(FloatText, ScaledCoordinateExamples) {
  EXPECT_EQ(floatText(milli(1.5f)), "1500");
  EXPECT_EQ(floatText(milli(12.3456f)), "12345.6");
  EXPECT_EQ(floatText(milli(-35.12345f)), "-35123.45");
  EXPECT_EQ(floatText(milli(1234.5678f)), "1234568");
  EXPECT_EQ(floatText(milli(12345.678f)), "1.234568E+07");
  EXPECT_EQ(floatText(milli(9999.9999f)), "1E+07");
}

TEST(FloatText, PlainValues) {
  EXPECT_EQ(floatText(0.0f), "0");
  EXPECT_EQ(floatText(-0.0f), "0");
  EXPECT_EQ(floatText(2.5f), "2.5");
  EXPECT_EQ(floatText(0.1f), "0.1");
  EXPECT_EQ(floatText(0.25f), "0.25");
  EXPECT_EQ(floatText(-0.5f), "-0.5");
  EXPECT_EQ(floatText(100.0f), "100");
  EXPECT_EQ(floatText(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(floatText(2.0f / 3.0f), "0.6666667");
  EXPECT_EQ(floatText(123456.7f), "123456.7");
}

TEST(FloatText, SevenDigitRoundingAndTheSwitchToENotation) {
  EXPECT_EQ(floatText(9999999.0f), "9999999");
  EXPECT_EQ(floatText(10000000.0f), "1E+07");
  EXPECT_EQ(floatText(-10000000.0f), "-1E+07");
  EXPECT_EQ(floatText(129999.97f), "130000");  // the carry runs through every digit
  EXPECT_EQ(floatText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(floatText(100000000.0f), "1E+08");
  EXPECT_EQ(floatText(3.4028235e38f), "3.402823E+38");
  EXPECT_EQ(floatText(1234567.4f), "1234567");
  EXPECT_EQ(floatText(1234567.5f), "1234568");  // an exact half: to the even digit
  EXPECT_EQ(floatText(1234568.5f), "1234568");
  EXPECT_EQ(floatText(0.1234567891f), "0.1234568");
}

TEST(FloatText, SmallMagnitudes) {
  EXPECT_EQ(floatText(0.0001f), "0.0001");
  EXPECT_EQ(floatText(0.00015f), "0.00015");
  EXPECT_EQ(floatText(0.00001f), "1E-05");
  EXPECT_EQ(floatText(0.000015f), "1.5E-05");
  EXPECT_EQ(floatText(-0.000012345678f), "-1.234568E-05");
  EXPECT_EQ(floatText(1e-30f), "1E-30");
}

TEST(LogNumber, BlankOrMinusInFrontAndOneBlankBehind) {
  EXPECT_EQ(logNumber(100.0f), " 100 ");
  EXPECT_EQ(logNumber(2.5f), " 2.5 ");
  EXPECT_EQ(logNumber(-3.0f), "-3 ");
  EXPECT_EQ(logNumber(0.0f), " 0 ");
  EXPECT_EQ(logNumber(-0.0f), " 0 ");
  EXPECT_EQ(logNumber(std::int64_t{512}), " 512 ");
  EXPECT_EQ(logNumber(std::int64_t{-7}), "-7 ");
  EXPECT_EQ(logNumber(std::int64_t{0}), " 0 ");
}

TEST(Decimal, PlainDigits) {
  EXPECT_EQ(decimal(1234), "1234");
  EXPECT_EQ(decimal(-5), "-5");
  EXPECT_EQ(decimal(0), "0");
  EXPECT_EQ(decimal(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(DoubleText, FifteenSignificantDigits) {
  EXPECT_EQ(doubleText(16744448), "16744448");
  EXPECT_EQ(doubleText(786432), "786432");
  EXPECT_EQ(doubleText(0), "0");
  EXPECT_EQ(doubleText(-65536), "-65536");
  EXPECT_EQ(doubleText(0.1), "0.1");
  EXPECT_EQ(doubleText(2.5), "2.5");
  EXPECT_EQ(doubleText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(doubleText(999999999999999.0), "999999999999999");
  EXPECT_EQ(doubleText(1e15), "1E+15");
  EXPECT_EQ(doubleText(1234567890123456.0), "1.23456789012346E+15");
  EXPECT_EQ(doubleText(0.0001), "0.0001");
  EXPECT_EQ(doubleText(0.00001), "1E-05");
  EXPECT_EQ(doubleText(1e300), "1E+300");
}

// ---- The fast paths for plain decimals and 7-digit float texts, checked against independent
// references over many values: C's printf for the float texts, from_chars for the decimals.

namespace {

// The classic 7-digit text built from printf's correctly rounded "%.6e" of the float's value.
std::string referenceFloatText(float v) {
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6e", std::fabs(static_cast<double>(v)));
  std::string digits;
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  const int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = v < 0 ? "-" : "";
  if (exponent < -4 || exponent >= 7) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out.append(".").append(digits, 1);
    char e[16];
    std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += e;
  } else if (exponent < 0) {
    out.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  } else {
    const auto intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      out.append(digits).append(intLen - digits.size(), '0');
    } else {
      out.append(digits, 0, intLen).append(".").append(digits, intLen);
    }
  }
  return out;
}

float floatOfBits(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace

TEST(FloatText, MatchesTheCorrectlyRoundedTextOverManyFloats) {
  std::mt19937 rng(20261208);
  int checked = 0;
  for (int i = 0; i < 400'000; ++i) {
    const float v = floatOfBits(static_cast<std::uint32_t>(rng()));
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(floatText(v), referenceFloatText(v)) << std::hexfloat << v;
    ++checked;
  }
  EXPECT_GT(checked, 390'000);
  // Millimetre coordinates as scans give them, and the neighbours of every power of ten, where
  // the number of digits changes and a rounding can carry into a new digit.
  for (int i = 0; i < 200'000; ++i) {
    const float v = static_cast<float>(static_cast<double>(rng()) / 4294967296.0 * 2e6 - 1e6);
    ASSERT_EQ(floatText(v * 1000.0f), referenceFloatText(v * 1000.0f)) << std::hexfloat << v;
  }
  for (int k = -12; k <= 25; ++k) {
    const float p = static_cast<float>(std::pow(10.0, k));
    float below = p, above = p;
    for (int step = 0; step < 40; ++step) {
      ASSERT_EQ(floatText(below), referenceFloatText(below)) << std::hexfloat << below;
      ASSERT_EQ(floatText(above), referenceFloatText(above)) << std::hexfloat << above;
      ASSERT_EQ(floatText(-above), referenceFloatText(-above)) << std::hexfloat << above;
      below = std::nextafter(below, 0.0f);
      above = std::nextafter(above, 1e38f);
    }
  }
}

TEST(FloatText, ExactHalvesGoToTheEvenDigitAtEveryMagnitude) {
  EXPECT_EQ(floatText(8388607.5f), "8388608");  // 2^23 - 0.5: 7 is odd, up
  EXPECT_EQ(floatText(8388606.5f), "8388606");  // 6 is even, down
  EXPECT_EQ(floatText(16777215.0f), "1.677722E+07");
  EXPECT_EQ(floatText(0.5f), "0.5");
  EXPECT_EQ(floatText(1.00000005f), "1");
  EXPECT_EQ(floatText(1e19f), "1E+19");  // beyond the integer range of the fast path
  EXPECT_EQ(floatText(-3.4028235e38f), "-3.402823E+38");
  EXPECT_EQ(floatText(1.4e-45f), "1.401298E-45");  // the smallest float
  EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), "1.#INF");
}

TEST(FloatText, FloatTextToWritesTheSameTextIntoABuffer) {
  char buf[kFloatTextMax];
  for (float v : {0.0f, -0.0f, 1500.0f, -35123.45f, 1.234568e7f, 1e-30f, -3.4028235e38f}) {
    const std::size_t n = floatTextTo(v, buf);
    ASSERT_LE(n, kFloatTextMax);
    EXPECT_EQ(std::string(buf, n), floatText(v));
  }
}

TEST(ParseNumber, PlainDecimalsGiveTheCorrectlyRoundedDouble) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 300'000; ++i) {
    std::string t = rng() % 2 ? "-" : "";
    const int digits = 1 + static_cast<int>(rng() % 17);  // past the 15 digits of the fast path
    const int point = static_cast<int>(rng() % static_cast<unsigned>(digits + 2));
    for (int d = 0; d < digits; ++d) {
      if (d == point) t += '.';
      t += static_cast<char>('0' + rng() % 10);
    }
    if (point == digits) t += '.';
    double expected = 0;
    std::from_chars(t.data(), t.data() + t.size(), expected);
    const auto got = parseNumber(t);
    ASSERT_TRUE(got) << t;
    ASSERT_EQ(std::memcmp(&*got, &expected, sizeof expected), 0) << t;  // -0 stays -0
  }
  EXPECT_EQ(parseNumber("+12.5"), 12.5);
  EXPECT_EQ(parseNumber("007"), 7);
  EXPECT_EQ(parseNumber("0.000000000000001"), 1e-15);
  EXPECT_FALSE(parseNumber("1.2.3"));
  EXPECT_FALSE(parseNumber("-"));
  EXPECT_FALSE(parseNumber("."));
  EXPECT_FALSE(parseNumber("-."));
  EXPECT_FALSE(parseNumber("1-2"));
}
