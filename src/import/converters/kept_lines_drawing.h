#pragma once
// The drawing stage of the equal-interval and PLY converters: the point script ENT_GO.lsp written
// from a work file of kept point lines (or vertex lines), each line one POINT, taken apart by the
// lenient parser.
#include <cstdint>
#include <optional>
#include <string>

#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

struct KeptLinesDrawing {
  // Set when the script or the kept lines could not be written or read; nothing else is then.
  std::optional<NothingReason> failed;
  std::string failedFile;
  std::int64_t points = 0;
  // The line at which the points stopped, numbered among the lines drawn from (the skipped
  // first line not counted); the converter turns it into the input's line number.
  std::optional<BadLine> stoppedAt;
};

// Writes ENT_GO.lsp into s.AppDir: the head, a body with one POINT per line of keptPath (after
// its first line when skipFirstLine is set), the finish, the full bar, ENDD and the tail (whose
// path line shows s.InputPath). The progress of the body: characters consumed, each line with its
// CR LF, over the file's length; threshold 0.05, pump turn before the drawing. A stage text given
// as stageAfterHead is shown once the head is written.
KeptLinesDrawing DrawKeptLines(RunSettings& s, Platform& p, const std::string& keptPath,
                               bool skipFirstLine, const char* stageAfterHead = nullptr);

}  // namespace harlowe
