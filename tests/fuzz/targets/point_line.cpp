// The point-line parsers, the unit scaling of coordinate texts and the packing of the colour, on
// every line of the input (cut at LF), with what each promises checked.
#include <algorithm>
#include <cmath>
#include <string>

#include "common/number_text.h"
#include "import/point_helpers.h"
#include "import/text_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

using namespace harlowe;

bool coordinateText(std::string_view t) {
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e'))
      return false;
  return true;
}

// The digits of a number text's mantissa without the leading and trailing zeros ("-0.0120e5"
// gives "12").
std::string significantDigits(std::string_view t) {
  std::string digits;
  for (char c : t.substr(0, t.find_first_of("eEdD"))) {
    if (c >= '0' && c <= '9') digits += c;
  }
  const auto first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "";
  return digits.substr(first, digits.find_last_not_of('0') + 1 - first);
}

void checkScaling(std::string_view field) {
  std::string out;
  for (const char* unit : {"m", "", "MM"}) {
    if (ScaleCoordinateText(field, unit, out)) {
      FUZZ_CHECK(out == field, "outside mm a coordinate passes unchanged");
      FUZZ_CHECK(coordinateText(out), "a coordinate text holds number characters only");
    }
  }
  if (!ScaleCoordinateText(field, "mm", out)) return;
  FUZZ_CHECK(!out.empty() && coordinateText(out), "a scaled coordinate is a number text");
  const auto value = text::parseNumber(field);
  const auto scaled = text::parseNumber(out);
  FUZZ_CHECK(value && scaled, "only numbers scale, into numbers");
  if (static_cast<float>(*value) == 0) {
    FUZZ_CHECK(out == "0", "a value that is 0 as a float is written 0");
    return;
  }
  if (field.size() > 1000) return;  // digits so far apart are written to 7 digits
  FUZZ_CHECK(out.find_first_of("eE") == std::string::npos, "a scaled coordinate has no exponent");
  FUZZ_CHECK(significantDigits(out) == significantDigits(field),
             "a scaled coordinate keeps the digits of the text, and no other");
  const double expected = *value * 1000.0;
  FUZZ_CHECK(std::fabs(*scaled - expected) <= std::fabs(expected) * 1e-15,
             "the scaled text is the value times 1000");
}

void checkColour(std::string_view colourText, std::string_view r, std::string_view g,
                 std::string_view b) {
  std::string packed, fields;
  const bool ok = PackTrueColor(colourText, packed);
  FUZZ_CHECK(ok == PackTrueColorFields(r, g, b, fields), "both colour entries agree");
  if (!ok) return;
  FUZZ_CHECK(packed == fields, "both colour entries agree");
  FUZZ_CHECK(!packed.empty() && coordinateText(packed), "a packed colour is a number text");
  const auto rv = text::parseNumber(r), gv = text::parseNumber(g), bv = text::parseNumber(b);
  FUZZ_CHECK(rv && gv && bv, "only numbers pack");
  const double expected = std::floor(*rv) * 65536.0 + std::floor(*gv) * 256.0 + std::floor(*bv);
  const auto value = text::parseNumber(packed);
  FUZZ_CHECK(value && std::fabs(*value - expected) <= std::fabs(expected) * 1e-14,
             "the packed colour is R * 65536 + G * 256 + B");
}

void checkLine(std::string_view line) {
  ParsedPoint strict, three, lenient;
  const bool six = ParsePointStrict(line, 6, strict);
  const bool xyz = ParsePointStrict(line, 3, three);
  const std::size_t blanks = static_cast<std::size_t>(std::count(line.begin(), line.end(), ' '));
  FUZZ_CHECK(six == (blanks >= 5) && xyz == (blanks >= 3), "a cut fails only without a blank");
  if (six) {
    FUZZ_CHECK(std::string(strict.x) + " " + std::string(strict.y) + " " + std::string(strict.z) +
                       " " + strict.colourText() ==
                   line,
               "the strict fields put back together give the line");
    FUZZ_CHECK(strict.x == three.x && strict.y == three.y && strict.z == three.z,
               "three and six fields cut X, Y and Z alike");
    checkColour(strict.colourText(), strict.r, strict.g, strict.b);
  }
  if (xyz) {
    for (std::string_view f : {three.x, three.y, three.z}) {
      FUZZ_CHECK(f.find(' ') == std::string_view::npos, "a cut field holds no blank");
      checkScaling(f);
    }
  }
  if (ParsePointLenient(line, lenient)) {
    for (std::string_view f : {lenient.x, lenient.y, lenient.z, lenient.r, lenient.g})
      FUZZ_CHECK(f.find(' ') == std::string_view::npos, "a cut field holds no blank");
    checkScaling(lenient.x);
    checkColour(lenient.colourText(), lenient.r, lenient.g, lenient.b);
  }
}

}  // namespace

HARLOWE_FUZZ_TARGET(point_line, 4 * 1024, "txt ply ptx malformed") {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (int i = 0; i < 64 && !rest.empty(); ++i) {
    const auto lf = rest.find('\n');
    checkLine(rest.substr(0, lf));
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  }
}
