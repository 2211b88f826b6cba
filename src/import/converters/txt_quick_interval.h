#pragma once
// The quick equal-interval converter of CloudCompare text: the first point of the file is the
// reference, and of the other points those whose distance from it lies within 5 mm of a multiple
// of the interval (ThinningInterval, millimetres; the ShellBand rule of interval_thinning.h) are
// drawn. One pass, constant work per point.
#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the log, normalises the input into "<input>.dosasc", thins it into
// "<input>.dosasc.dist", writes ENT_GO.lsp from that, splits the script, deletes the work files
// and completes the log. A line that cannot be a point ends the points there: those kept before
// it are drawn and the result names the line.
ConversionResult ConvertTxtQuickInterval(RunSettings& s, Platform& p);

}  // namespace harlowe
