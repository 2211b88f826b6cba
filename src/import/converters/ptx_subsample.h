#pragma once
// The PTX converter: of the point lines of one scan it draws every n-th one (n =
// SubSampleStep), moved by the scan's transformation matrix, with its true colour.
#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the head of the log (a PTX log keeps its head only), copies the scan into
// "<input>.temp" without its missing points and intensities, reads the matrix, draws the work
// file into ENT_GO.lsp and splits the script. A step below 1, a header of fewer than ten lines
// or a matrix line without three numbers are refused before anything is drawn; a line that is
// no point with colour ends the points there, and the result names it.
ConversionResult ConvertPtxSubSample(RunSettings& s, Platform& p);

}  // namespace harlowe
