#pragma once
// The every-n-th converter of CloudCompare text: of every n consecutive point lines it draws the
// last one (n = SubSampleStep).
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the log, normalises the input into "<input>.dosasc", writes ENT_GO.lsp from it, splits
// the script and completes the log. Returns false when the run must not go on to the CAD: the
// input could not be read, or a work file or a script file could not be written (a message box
// has told the user which file).
bool ConvertTxtSubSample(RunSettings& s, Platform& p);

}  // namespace harlowe
