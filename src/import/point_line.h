#pragma once
// One point line on its way into the script: the fields the parser cut become the texts of a
// POINT record, the coordinates scaled to the drawing unit and the colour packed.
#include <string>
#include <string_view>

#include "import/conversion_result.h"
#include "import/point_script.h"
#include "import/text_input.h"

namespace harlowe {

// Buffers that one converter reuses for every point.
struct PointLineScratch {
  std::string x, y, z, colour;
};

// Fills point from the parsed fields (its texts point into parsed or into scratch). False, with
// the problem, when a coordinate does not scale or the colour does not pack.
bool PointTextsOf(const ParsedPoint& parsed, std::string_view drawUnit, PointLineScratch& scratch,
                  PointTexts& point, LineProblem& problem);

}  // namespace harlowe
