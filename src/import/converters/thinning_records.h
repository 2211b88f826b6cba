#pragma once
// The record file of the full equal-interval converter: one record per point line of the input,
// in file order, holding the coordinates as 32-bit floats for the distances (relative to the
// local origin around the first point, see import/local_origin.h) and the line's own text for
// the drawing. A record is 4 + 4 + 4 bytes of X, Y and Z (the machine's float form), 8
// bytes of the text's length and the text itself; nothing else stands in the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "import/conversion_result.h"
#include "import/local_origin.h"
#include "import/services.h"
#include "import/text_input.h"

namespace harlowe {

// What it takes for a line to be a point that the drawing stage can draw: six fields at single
// blanks (the sixth is the rest of the line), X, Y and Z finite 32-bit floats that the unit
// scaling takes, and a colour that PackTrueColor takes. Fills xyz with the coordinates relative
// to the origin; scratch is reused.
std::optional<LineProblem> CheckPointLine(std::string_view line, std::string_view drawUnit,
                                          const LocalOrigin& origin, float xyz[3],
                                          std::string& scratch);

struct RecordPass {
  CopyStatus status = CopyStatus::Done;
  std::int64_t records = 0;
  std::optional<BadLine> stoppedAt;
};

// Reads the normalised copy line by line and writes one record per line, up to its end or up to
// its first line that is no point (which ends the input). Progress: the line lengths without line
// ends over the copy's length, capped at 1; threshold 0.05, pump turn after the repaint.
RecordPass WriteThinningRecords(const std::string& copyPath, const std::string& recordsPath,
                                std::string_view drawUnit, Platform& p);

struct ThinningRecord {
  float x = 0, y = 0, z = 0;
  std::string_view text;  // valid until the next read
};

class RecordReader {
 public:
  bool open(const std::string& path);
  // False at the end of the file; failed() tells a read failure or a cut record from the end.
  bool next(ThinningRecord& r);
  bool failed() const { return failed_; }

 private:
  bool ensure(std::size_t bytes);  // makes bytes available from pos_ on
  io::InputFile in_;
  std::vector<char> buf_ = std::vector<char>(1 << 20);
  std::size_t pos_ = 0, len_ = 0;
  bool failed_ = false;
};

}  // namespace harlowe
