#include "import/local_origin.h"

#include "common/decimal_text.h"
#include "common/number_text.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

constexpr std::int64_t kPowersOfTen[19] = {1,
                                           10,
                                           100,
                                           1000,
                                           10000,
                                           100000,
                                           1000000,
                                           10000000,
                                           100000000,
                                           1000000000,
                                           10000000000,
                                           100000000000,
                                           1000000000000,
                                           10000000000000,
                                           100000000000000,
                                           1000000000000000,
                                           10000000000000000,
                                           100000000000000000,
                                           1000000000000000000};
constexpr double kExactPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr std::int64_t k2p53 = 9007199254740992;

// The usual coordinate, [sign] digits [. digits] with at most 15 digits, less km kilometres: the
// difference is a whole number below 2^53 over a power of ten up to 10^15, both exact in a
// double, so their quotient is the nearest double of the exact difference, as the number reader
// gives it for the difference's text. False for any other text or a difference too large.
bool plainLessKilometres(std::string_view t, std::int64_t km, float& out) {
  std::size_t i = 0;
  const bool negative = !t.empty() && t[0] == '-';
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) ++i;
  std::int64_t v = 0;
  int digits = 0, fraction = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return false;
      v = v * 10 + (c - '0');
      fraction += point;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  std::int64_t s = 0, r = 0;
  if (__builtin_mul_overflow(km, kPowersOfTen[3 + fraction], &s) ||
      __builtin_sub_overflow(negative ? -v : v, s, &r) || r <= -k2p53 || r >= k2p53)
    return false;
  out = static_cast<float>(static_cast<double>(r) / kExactPowersOfTen[fraction]);
  return true;
}

// Any other number text less km kilometres: the difference written out in decimal and read as a
// text is read. A text whose digits stand thousands of places apart takes double arithmetic.
float shiftedGeneral(std::string_view text, std::int64_t km, std::string& scratch) {
  text::DecimalDigits d;
  if (text::ParseDecimalDigits(text, d) && text::WriteDecimalSum(d, 0, -km, 3, scratch)) {
    if (const auto difference = text::parseNumber(scratch)) return static_cast<float>(*difference);
  }
  return static_cast<float>(text::parseNumber(text).value_or(0) - static_cast<double>(km) * 1000.0);
}

std::int64_t kilometresAround(std::string_view reference) {
  text::DecimalDigits d;
  std::uint64_t whole = 0;
  bool half = false;
  if (!text::ParseDecimalDigits(reference, d) || !text::WholeOfDecimal(d, -3, whole, half) ||
      whole < 10)
    return 0;
  const auto km = static_cast<std::int64_t>(whole + half);
  return d.negative ? -km : km;
}

// The first three blank-terminated fields of a line, as the thinnings cut them.
bool firstFields(std::string_view line, std::string_view (&fields)[3]) {
  std::size_t at[3];
  if (BlankPositions(line, 3, at) < 3) return false;
  fields[0] = line.substr(0, at[0]);
  fields[1] = line.substr(at[0] + 1, at[1] - at[0] - 1);
  fields[2] = line.substr(at[1] + 1, at[2] - at[1] - 1);
  return true;
}

}  // namespace

LocalOrigin LocalOrigin::Around(std::string_view x, std::string_view y, std::string_view z) {
  LocalOrigin o;
  o.km_ = {kilometresAround(x), kilometresAround(y), kilometresAround(z)};
  return o;
}

LocalOrigin LocalOrigin::AroundLine(std::string_view line) {
  std::string_view fields[3];
  if (!firstFields(line, fields)) return {};
  return Around(fields[0], fields[1], fields[2]);
}

float LocalOrigin::shifted(int axis, std::string_view text, float value,
                           std::string& scratch) const {
  const std::int64_t km = kilometres(axis);
  if (km == 0) return value;
  float out;
  if (plainLessKilometres(text, km, out)) return out;
  return shiftedGeneral(text, km, scratch);
}

bool LocalOrigin::shiftedPlain(int axis, std::string_view text, float& out) const {
  return plainLessKilometres(text, kilometres(axis), out);
}

bool LocalOrigin::restore(int axis, std::string_view text, bool millimetres,
                          std::string& out) const {
  const std::int64_t km = kilometres(axis);
  text::DecimalDigits d;
  // The text of a float spans far fewer places than the sum's limit.
  return km != 0 && text::ParseDecimalDigits(text, d) &&
         text::WriteDecimalSum(d, 0, km, millimetres ? 6 : 3, out);
}

bool ReadShiftedCoordinates(std::string_view line, const LocalOrigin& origin,
                            std::string_view drawUnit, std::array<float, 3>& xyz,
                            LineProblem& problem, std::string& scratch) {
  if (!origin.shifts()) return ReadCoordinates(line, drawUnit, xyz, problem);
  std::string_view fields[3];
  if (!firstFields(line, fields)) {
    problem = LineProblem::TooFewFields;
    return false;
  }
  for (int f = 0; f < 3; ++f) {
    float& value = xyz[static_cast<std::size_t>(f)];
    // A plain decimal of up to 15 digits is drawable in every unit, as ReadCoordinates knows.
    if (origin.shiftedPlain(f, fields[f], value)) continue;
    if (!CoordinateFloat(fields[f], value) || !CoordinateScales(fields[f], value, drawUnit)) {
      problem = LineProblem::NotANumber;
      return false;
    }
    value = origin.shifted(f, fields[f], value, scratch);
  }
  return true;
}

}  // namespace harlowe
