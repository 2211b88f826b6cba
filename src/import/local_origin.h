#pragma once
// A local origin for the 32-bit arithmetic of a scan that lies far from the coordinate origin, as
// point-cloud tools keep float precision with a global shift. Survey coordinates run to hundreds
// of kilometres, where a float steps by centimetres: distances and transforms there are worked
// out on the coordinates less a whole number of kilometres S per axis, taken from a reference
// (the first point of a text file, the translation of a PTX scan).
//
// The difference is taken exactly in decimal from the coordinate's text and rounded once, as a
// text is read (to the nearest double, then to the nearest float), so that a scan moved by whole
// kilometres gives the very floats of the unmoved one. A reference below 10 km gives S = 0 and
// leaves every value as it is.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/conversion_result.h"

namespace harlowe {

class LocalOrigin {
 public:
  LocalOrigin() = default;  // no shift

  // Per axis: a reference of 10,000 m or more in magnitude rounded to whole kilometres, halves
  // away from zero; 0 for a smaller one, and for a reference of 10^21 m or more (no scan is
  // there) or a text that is no number.
  static LocalOrigin Around(std::string_view x, std::string_view y, std::string_view z);
  // The same around the first three blank-terminated fields of a point line.
  static LocalOrigin AroundLine(std::string_view line);

  bool shifts() const { return km_[0] != 0 || km_[1] != 0 || km_[2] != 0; }
  std::int64_t kilometres(int axis) const { return km_[static_cast<std::size_t>(axis)]; }

  // The coordinate text less S along the axis as a float; `value` is the text's own
  // CoordinateFloat, given back as it is along an axis without a shift. scratch is reused.
  float shifted(int axis, std::string_view text, float value, std::string& scratch) const;
  // The same in one pass for the usual form of a coordinate, a plain decimal of up to 15 digits
  // ([sign] digits [. digits]), which is a coordinate in any unit; false for any other text.
  bool shiftedPlain(int axis, std::string_view text, float& out) const;

  // A coordinate text relative to the origin put back: S + the text along the axis, exactly, as
  // a plain decimal into out; with millimetres the text is in millimetres and S counts 1000
  // times. False along an axis without a shift, where the text stands as it is.
  bool restore(int axis, std::string_view text, bool millimetres, std::string& out) const;

 private:
  std::array<std::int64_t, 3> km_{};
};

// The first three fields of a line as ReadCoordinates reads them in the drawing unit (a
// coordinate the drawing could not take in it is no number), less the origin.
bool ReadShiftedCoordinates(std::string_view line, const LocalOrigin& origin,
                            std::string_view drawUnit, std::array<float, 3>& xyz,
                            LineProblem& problem, std::string& scratch);

}  // namespace harlowe
