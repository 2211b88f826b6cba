#include "import/point_helpers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "common/number_text.h"
#include "common/text_util.h"

namespace harlowe {

namespace {

// A colour field as the legacy conversion read it: a number with blanks around it, rounded
// down. Plain digits (the normal case, 0 to 255) skip the general reader.
std::optional<double> colourField(std::string_view t) {
  if (!t.empty() && t.size() <= 9) {
    std::int64_t v = 0;
    bool digits = true;
    for (char c : t) {
      if (c < '0' || c > '9') {
        digits = false;
        break;
      }
      v = v * 10 + (c - '0');
    }
    if (digits) return static_cast<double>(v);
  }
  const auto v = text::parseNumber(t);
  if (!v) return std::nullopt;
  return std::floor(*v);
}

// Plain digits (at most 9, so the sum stays far below 2^53 and the double arithmetic of the
// general path would be exact too): the packed value in integers. False for any other text.
bool packPlainDigits(std::string_view r, std::string_view g, std::string_view b, std::string& out) {
  std::int64_t v[3];
  const std::string_view fields[3] = {r, g, b};
  for (int i = 0; i < 3; ++i) {
    const std::string_view t = fields[i];
    if (t.empty() || t.size() > 9) return false;
    std::int64_t x = 0;
    for (char c : t) {
      if (c < '0' || c > '9') return false;
      x = x * 10 + (c - '0');
    }
    v[i] = x;
  }
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, v[0] * 65536 + v[1] * 256 + v[2]);
  out.assign(buf, res.ptr);
  return true;
}

}  // namespace

bool PackTrueColorFields(std::string_view r, std::string_view g, std::string_view b,
                         std::string& out) {
  if (packPlainDigits(r, g, b, out)) return true;
  const auto rv = colourField(r);
  if (!rv) return false;
  const auto gv = colourField(g);
  if (!gv) return false;
  const auto bv = colourField(b);
  if (!bv) return false;
  const double value = *rv * 65536.0 + *gv * 256.0 + *bv;
  // A sum beyond the double range overflowed in the legacy conversion, which failed there; its
  // text ("1.#INF") would be no number in the script either.
  if (!std::isfinite(value)) return false;
  // Whole values are written with all their digits (10000000, not 1E+07), as the legacy
  // conversion of a double did below 1E+15.
  if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value)) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<std::int64_t>(value));
    out.assign(buf, res.ptr);
  } else {
    out = text::doubleText(value);
  }
  return true;
}

bool PackTrueColor(std::string_view colourText, std::string& out) {
  std::string_view rest = colourText, r, g;
  if (!text::cutAtBlank(rest, r) || !text::cutAtBlank(rest, g)) return false;
  return PackTrueColorFields(r, g, rest, out);
}

float PointDistance(float dx, float dy, float dz) {
  const double x = dx, y = dy, z = dz;
  return static_cast<float>(std::sqrt((x * x + y * y) + z * z));
}

PtxPoint TransformPtxPoint(const PtxMatrix& m, float x, float y, float z) {
  // One rounding per operation: each step is stored in a float before the next one (the
  // build uses ISO C++ mode, so the compiler does not fuse a multiply and an add).
  auto column = [&](int c) {
    float s = x * m(1, c);
    s = s + y * m(2, c);
    s = s + z * m(3, c);
    s = s + m(4, c);
    return s;
  };
  return {column(1), column(2), column(3)};
}

}  // namespace harlowe
