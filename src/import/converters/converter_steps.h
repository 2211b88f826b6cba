#pragma once
// Steps that every converter takes alike.
#include <optional>
#include <string>
#include <string_view>

#include "common/line_reader.h"
#include "import/conversion_result.h"
#include "import/point_script.h"
#include "import/services.h"
#include "import/text_input.h"

namespace harlowe {

// Shows the progress window with a stage text and repaints it.
void ShowStage(Platform& p, const char* text);

// Stops a run before its script is complete: the progress window goes, and nothing may go to
// the CAD.
ConversionResult NothingSent(Platform& p, NothingReason reason, const std::string& file = {});

// The drawing stage from the body on: the body from source, the full bar, the source closed,
// ENDD and the tail. False when the script could not be written.
bool DrawScript(PointScriptWriter& writer, PointSource& source, io::LineReader& sourceFile,
                RunSettings& s, Platform& p);

// Texts a point source reuses for every point.
struct PointScratch {
  std::string x, y, z, colour;
};

// Scales the coordinates of a parsed point line to the drawing unit and packs its colour into
// the texts of a POINT record (views into the line or into scratch). The problem, when the line
// cannot be drawn.
std::optional<LineProblem> ScaleAndPack(const ParsedPoint& parsed, std::string_view drawUnit,
                                        PointScratch& scratch, PointTexts& point);

}  // namespace harlowe
