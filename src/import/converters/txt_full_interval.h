#pragma once
// The full equal-interval converter of CloudCompare text: a point is dropped when it lies closer
// than the interval (ThinningInterval, millimetres) to a kept point at most 1,200 points before
// it in the file.
#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the log, normalises the input into "<input>.dosasc", turns it into the record file
// (which then takes that name), thins the records into "<input>.dosasc.final", writes ENT_GO.lsp
// from that, deletes the work files, splits the script and completes the log. The first line that
// cannot be a point ends the input: the points before it are thinned and drawn and the result
// names the line. On return ThinningInterval holds metres.
ConversionResult ConvertTxtFullInterval(RunSettings& s, Platform& p);

}  // namespace harlowe
