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
// down; then it must be a colour value from 0 to 255. A value outside would pack into a colour
// the CAD refuses (the point would be lost while counted as drawn) or into a neighbour's bits.
std::optional<int> colourField(std::string_view t) {
  if (!t.empty() && t.size() <= 3) {  // plain digits, the normal case, skip the general reader
    int v = 0;
    bool digits = true;
    for (char c : t) {
      if (c < '0' || c > '9') {
        digits = false;
        break;
      }
      v = v * 10 + (c - '0');
    }
    if (digits) return v <= 255 ? std::optional<int>(v) : std::nullopt;
  }
  const auto v = text::parseNumber(t);
  if (!v) return std::nullopt;
  const double whole = std::floor(*v);
  if (!(whole >= 0 && whole <= 255)) return std::nullopt;
  return static_cast<int>(whole);
}

}  // namespace

bool PackTrueColorFields(std::string_view r, std::string_view g, std::string_view b,
                         std::string& out) {
  const auto rv = colourField(r);
  if (!rv) return false;
  const auto gv = colourField(g);
  if (!gv) return false;
  const auto bv = colourField(b);
  if (!bv) return false;
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, *rv * 65536 + *gv * 256 + *bv);
  out.assign(buf, res.ptr);
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
