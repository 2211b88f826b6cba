#pragma once
// PTX input: one scan with colours. Ten header lines (columns, rows, scanner position, three
// scanner axes, then the four lines of the 4 × 4 transformation matrix), then one point per
// line, "x y z intensity r g b", in the scanner's own frame. Scanner software writes a cell
// without a measurement as a point at the origin ("0 0 0 0.5 0 0 0"): such missing points are
// left out.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/conversion_result.h"
#include "import/local_origin.h"
#include "import/point_helpers.h"
#include "import/text_input.h"
#include "platform/ui.h"

namespace harlowe {

inline constexpr int kPtxHeaderLines = 10;

// True when the text is a number whose value is 0: "0", "0.000000", "-0.0", ".0", "0e5".
bool IsZeroNumber(std::string_view text);

enum class PtxLineKind {
  Point,         // a point with colour
  Missing,       // x, y and z all 0: no measurement
  TooFewBlanks,  // fewer than six blanks: no point with colour (an empty line, a second scan)
};

// What a line after the header is, given the positions of its first blanks (at most six).
PtxLineKind ClassifyPtxLine(std::string_view line, const std::size_t* at, int blanks);

// Row r (1 to 4) of the matrix from its header line (line 6 + r): the first three of its
// blank-separated numbers, as 32-bit floats. Row 4, the translation, also gives the local origin
// of the scan (see import/local_origin.h), and holds the translation less that origin. False
// when the line does not hold three numbers.
bool ReadPtxMatrixRow(std::string_view line, int r, PtxMatrix& m, LocalOrigin& origin);

struct PtxProgress {
  platform::ProgressWindow& window;
  platform::Ui& ui;
  float& lastDrawn;
};

// The progress of a pass over PTX lines: lines × 37 / length as a 32-bit float, capped at 1,
// drawn when it has grown by more than 0.05 in float arithmetic. The fraction only grows with
// the lines, so it is worked out only from the first line count at which it can have grown
// that much: a pass over millions of lines then costs a comparison per line.
class PtxLineProgress {
 public:
  PtxLineProgress(PtxProgress progress, std::int64_t length);
  void at(std::int64_t lines) {
    if (lines >= next_) check(lines);
  }

 private:
  void check(std::int64_t lines);
  PtxProgress progress_;
  double length_;
  std::int64_t next_ = 0;
};

// What the pre-pass found.
struct PtxPrePass {
  CopyStatus status = CopyStatus::Done;
  std::int64_t headerLines = 0;       // below kPtxHeaderLines: the file is too short
  std::optional<BadLine> matrixLine;  // a matrix line without three numbers
  std::optional<BadLine> stoppedAt;   // the line after the header that ended the points
  PtxMatrix matrix;
  LocalOrigin origin;  // around the translation; the matrix moves points relative to it
};

// Copies the input into the work file: its ten header lines unchanged (the matrix read from
// them), then each point line without its intensity ("x y z r g b"), the missing points left
// out, up to the first line that is no point with colour. Lines may end in CR LF, CR or LF;
// the work file's end in CR LF. Progress after each point line: lines × 37 / input length.
PtxPrePass CopyPtxPoints(const std::string& inputPath, const std::string& workPath,
                         PtxProgress progress);

// The input line of the n-th point line of the work file (counted from 1 after its header),
// for the message about a line that could not be drawn; nullopt when the input no longer has it.
std::optional<BadLine> LocatePtxPointLine(const std::string& inputPath, std::int64_t workLine,
                                          LineProblem problem);

}  // namespace harlowe
