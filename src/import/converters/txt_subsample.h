#pragma once
// The every-n-th converter of CloudCompare text: of every n consecutive point lines it draws the
// last one (n = SubSampleStep).
#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the log, normalises the input into "<input>.dosasc", writes ENT_GO.lsp from it, splits
// the script and completes the log. A line that cannot be a point ends the points there: those
// before it are drawn and the result names the line.
ConversionResult ConvertTxtSubSample(RunSettings& s, Platform& p);

}  // namespace harlowe
