#pragma once
// What a conversion did, as every converter reports it. A converter never shows a message: the
// start procedure turns the result into what the user sees (nothing, a warning before the
// delivery, or an error and no delivery), so that all converters speak alike.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harlowe {

// Why a line of the input could not be taken as a point.
enum class LineProblem {
  TooFewFields,  // fewer blank-separated fields than the point needs (an empty line too)
  NotANumber,    // a coordinate is no (finite) number
  BadColour,     // a colour field is no number
  Unreadable,    // the file could not be read at this line
  TooLong,       // longer than any point line (io::kPointLineLimit bytes); start holds its head
};

// What a point line of the input holds, which decides what the user is told it needs.
enum class LineFormat {
  XyzRgb,     // CloudCompare text and PLY vertices: X Y Z R G B
  PtxPoint,   // PTX: x y z intensity r g b
  PtxMatrix,  // one of the four matrix lines of a PTX header (lines 7 to 10)
};

// The input line at which the points stopped.
struct BadLine {
  std::int64_t number = 0;  // as a person counts the lines of the input: from 1, headers included
  std::string start;        // the first bytes of its text, as read (see kBadLineBytes)
  LineProblem problem = LineProblem::TooFewFields;
  LineFormat format = LineFormat::XyzRgb;
};

// How many bytes of a bad line are kept: enough for about 60 characters in the message.
inline constexpr std::size_t kBadLineBytes = 96;

BadLine MakeBadLine(std::int64_t number, std::string_view text, LineProblem problem,
                    LineFormat format = LineFormat::XyzRgb);

// Why a conversion has nothing to draw.
enum class NothingReason {
  EmptyInput,             // the input holds no line at all
  NoPointLine,            // the first line to draw is no point (badLine says which and why)
  StepBelowOne,           // every n-th point with n below 1
  StepBeyondInput,        // n is larger than the number of lines: every line was skipped
  NothingInShells,        // quick equal interval: no point but the reference lies in a shell
  CannotRead,             // `file` could not be opened or read
  CannotWrite,            // `file` could not be created or written
  StepBeyondPoints,       // n is larger than the number of points (linesRead): PTX
  PlyBinary,              // a binary PLY; `detail` is its format word
  PlyProperties,          // the vertices are not x y z red green blue with integer colours;
                          // `detail` lists what they hold ("float x, float y, ...")
  PlyNoVertexLines,       // the header counts expectedPoints vertices, the file holds none
  PlyEndsBeforeVertices,  // the file ends inside the elements declared before the vertices:
                          // `detail` names them, linesRead says how many of their lines it holds
  PtxShortHeader,         // fewer than ten lines: linesRead says how many
  PtxMatrixLine,          // a matrix line without three numbers (badLine says which)
};

struct ConversionResult {
  enum class End {
    Finished,         // the input was read to its end
    StoppedEarly,     // the points before `badLine` are drawn, the rest is not
    FewerThanHeader,  // the file ended before the expectedPoints its header counts: the
                      // pointsDrawn found are drawn
    NothingDrawn,     // no point can be drawn: nothing may go to the CAD
  };

  End end = End::Finished;
  std::int64_t pointsDrawn = 0;
  std::optional<BadLine> badLine;  // StoppedEarly; NothingDrawn with NoPointLine, PtxMatrixLine
  NothingReason reason = NothingReason::EmptyInput;  // NothingDrawn
  std::string file;                                  // CannotRead, CannotWrite
  // StepBeyondInput, NothingInShells: the lines of the input; StepBeyondPoints: the points;
  // PtxShortHeader: the lines of the file; PlyEndsBeforeVertices: the lines after the header
  std::int64_t linesRead = 0;
  std::int64_t expectedPoints = 0;  // FewerThanHeader, PlyNoVertexLines
  std::string detail;               // PlyBinary, PlyProperties, PlyEndsBeforeVertices

  static ConversionResult finished(std::int64_t points) {
    ConversionResult r;
    r.pointsDrawn = points;
    return r;
  }
  static ConversionResult stopped(std::int64_t points, BadLine line) {
    ConversionResult r;
    r.end = End::StoppedEarly;
    r.pointsDrawn = points;
    r.badLine = std::move(line);
    return r;
  }
  static ConversionResult nothing(NothingReason reason, std::string file = {}) {
    ConversionResult r;
    r.end = End::NothingDrawn;
    r.reason = reason;
    r.file = std::move(file);
    return r;
  }
  static ConversionResult noPointLine(BadLine line,
                                      NothingReason reason = NothingReason::NoPointLine) {
    ConversionResult r = nothing(reason);
    r.badLine = std::move(line);
    return r;
  }
  static ConversionResult fewerThanHeader(std::int64_t found, std::int64_t expected) {
    ConversionResult r;
    if (found == 0) {
      r = nothing(NothingReason::PlyNoVertexLines);
    } else {
      r.end = End::FewerThanHeader;
      r.pointsDrawn = found;
    }
    r.expectedPoints = expected;
    return r;
  }

  bool sendsToCad() const { return end != End::NothingDrawn; }
};

// The result of a body that drew `points` and, when it stopped at a line, that line: a stop
// before any point means nothing can be drawn.
ConversionResult ResultOfBody(std::int64_t points, std::optional<BadLine> stoppedAt);

}  // namespace harlowe
