#include "import/converters/converter_steps.h"

#include "import/point_helpers.h"
#include "import/progress.h"

namespace harlowe {

void ShowStage(Platform& p, const char* text) {
  p.progress.show();
  p.progress.setStage(text);
  p.progress.repaint();
}

ConversionResult NothingSent(Platform& p, NothingReason reason, const std::string& file) {
  p.progress.unload();
  return ConversionResult::nothing(reason, file);
}

bool DrawScript(PointScriptWriter& writer, PointSource& source, io::LineReader& sourceFile,
                RunSettings& s, Platform& p) {
  writer.writeBody(source);
  fillProgress(p.progress);
  sourceFile.close();
  writer.writeEnd(s);
  return writer.close();
}

std::optional<LineProblem> ScaleAndPack(const ParsedPoint& parsed, std::string_view drawUnit,
                                        PointScratch& scratch, PointTexts& point) {
  if (!ScaleCoordinateText(parsed.x, drawUnit, scratch.x, point.x) ||
      !ScaleCoordinateText(parsed.y, drawUnit, scratch.y, point.y) ||
      !ScaleCoordinateText(parsed.z, drawUnit, scratch.z, point.z)) {
    return LineProblem::NotANumber;
  }
  if (!PackTrueColorFields(parsed.r, parsed.g, parsed.b, scratch.colour))
    return LineProblem::BadColour;
  point.colour = scratch.colour;
  return std::nullopt;
}

}  // namespace harlowe
