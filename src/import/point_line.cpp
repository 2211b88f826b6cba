#include "import/point_line.h"

#include "import/point_helpers.h"

namespace harlowe {

bool PointTextsOf(const ParsedPoint& parsed, std::string_view drawUnit, PointLineScratch& scratch,
                  PointTexts& point, LineProblem& problem) {
  if (!ScaleCoordinateText(parsed.x, drawUnit, scratch.x, point.x) ||
      !ScaleCoordinateText(parsed.y, drawUnit, scratch.y, point.y) ||
      !ScaleCoordinateText(parsed.z, drawUnit, scratch.z, point.z)) {
    problem = LineProblem::NotANumber;
    return false;
  }
  if (!PackTrueColorFields(parsed.r, parsed.g, parsed.b, scratch.colour)) {
    problem = LineProblem::BadColour;
    return false;
  }
  point.colour = scratch.colour;
  return true;
}

}  // namespace harlowe
