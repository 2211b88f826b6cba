#pragma once
// CloudCompare text input: the normalised copy with CR LF line ends (line copy for TAB files
// with CR LF, chunk copy for LF files), the point-line parsers and the unit scaling of the
// coordinate texts. Coordinates travel as text from the input to the script; only the
// millimetre scaling changes a value.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/conversion_result.h"
#include "import/progress.h"
#include "platform/ui.h"

namespace harlowe {

// The normalised copy of an input: "<input>.dosasc" beside it.
std::string NormalisedCopyPath(const std::string& inputPath);

// True when the first 10,000 bytes of the input hold a CR LF (line copy), false otherwise (chunk
// copy; an empty input too); nullopt when the input cannot be read.
std::optional<bool> PrescanLineEnds(const std::string& inputPath);

// Where a copy reports its progress: the redraw step with threshold 0.05 and, unless the caller
// says otherwise, the pump turn before the drawing. lastDrawn is the caller's last drawn fraction.
struct CopyProgress {
  platform::ProgressWindow& window;
  platform::Ui& ui;
  double& lastDrawn;
  PumpTurn turn = PumpTurn::BeforeDrawing;
};

enum class CopyStatus {
  Done,          // the whole input was copied
  InputFailed,   // the input could not be opened or read
  OutputFailed,  // the copy could not be created or written
};

// The line limit of the line copy: far beyond any file (10,100,000,000 lines).
inline constexpr std::int64_t kSubSampleMaxLines = 10'100'000'000;

// Both copies write every line end of the input (CR LF, a lone LF or a lone CR, mixed in any
// way) as CR LF and leave out a UTF-8 byte-order mark before the first line, so that the copy's
// lines are the input's lines whatever system wrote or joined them.

// Line copy: every line with each TAB turned into one blank, ended by CR LF (the last line too);
// stops after maxLines lines.
// Progress after each line written: lines × 35 / input length, while the last drawn fraction is
// below 1.
CopyStatus CopyByLines(const std::string& inputPath, const std::string& copyPath,
                       CopyProgress progress, std::int64_t maxLines = kSubSampleMaxLines);

// The whole normalisation of a CloudCompare text: the pre-scan picks the line copy (a CR LF in
// the first 10,000 bytes) or the chunk copy (its fraction capped at 1 when capChunkFraction is
// set). With windowForChunkCopyOnly the progress window is shown for the chunk copy and unloaded
// after it, while the line copy's first redraw loads it hidden. InputFailed also when the
// pre-scan cannot read the input.
CopyStatus NormaliseTextInput(const std::string& inputPath, const std::string& copyPath,
                              CopyProgress progress, bool capChunkFraction,
                              bool windowForChunkCopyOnly = false);

// Chunk copy: the input in chunks of 10,000 bytes, each TAB turned into one blank and every other
// byte as it is, a last line without a line end left so. Progress after each chunk: chunks × 10,000
// / input length, capped at 1 when capFraction is set.
CopyStatus CopyByChunks(const std::string& inputPath, const std::string& copyPath,
                        CopyProgress progress, bool capFraction);

// The positions of the first `wanted` blanks of a line; returns how many it found (at most
// wanted).
int BlankPositions(std::string_view line, int wanted, std::size_t* at);

// One point line taken apart. The views point into the line (and stay valid as long as it).
struct ParsedPoint {
  std::string_view x, y, z;
  std::string_view r, g, b;  // the colour fields; b takes what the parser leaves for it
  // The colour text "R G B" (for tests and diagnostics; the converters pack r, g, b directly).
  std::string colourText() const;
};

// Cuts X, Y and Z at single blanks and, with fieldCount 6, R and G; B is the whole rest of the
// line. False when a cut finds no blank.
bool ParsePointStrict(std::string_view line, int fieldCount, ParsedPoint& out);

// Cuts like the strict parser but drops up to 3 blanks after X, Y and Z, then up to 5 more
// before R and up to 5 after R and after G; one trailing blank of B is removed.
bool ParsePointLenient(std::string_view line, ParsedPoint& out);

// The unit rule of a coordinate text. With drawUnit exactly "mm" the text's exact decimal value
// is multiplied by 1000, its decimal point moved three places, and written as a plain decimal
// with every digit the text holds and no other ("-35100.6278" gives "-35100627.8", "1.5e-3"
// gives "1.5", "12" gives "12000", "-0.0000" gives "0"); a text that is no number, or whose
// 32-bit float or that float times 1000 is not finite, fails, and a value below the float range
// is written 0. Any other unit passes the text
// unchanged when it is a finite number as the CAD reads numbers (digits with an optional sign,
// decimal point and exponent), and fails otherwise (an empty text too), so that no input can
// change the structure of the script or move a point.
bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& out);
// The same without a copy outside "mm": result is the text itself, or the scaled text in scratch.
bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& scratch,
                         std::string_view& result);

// A coordinate text as the thinnings measure it: one decimal number (blanks around it allowed)
// taken to the nearest 32-bit float; false for any other text and for a value beyond the
// float range.
bool CoordinateFloat(std::string_view text, float& value);
// The first three blank-terminated fields of a line (X, Y and Z, cut as ParsePointStrict cuts
// them) as CoordinateFloat reads them; the rest of the line is not examined. False, with the
// problem, when the line has no three such fields or one is no number.
bool ReadCoordinates(std::string_view line, std::array<float, 3>& xyz, LineProblem& problem);
// The same, and a coordinate that ScaleCoordinateText would not take in the drawing unit is no
// number either (NotANumber): a line that the drawing could not draw.
bool ReadCoordinates(std::string_view line, std::string_view drawUnit, std::array<float, 3>& xyz,
                     LineProblem& problem);
// True when ScaleCoordinateText takes the text, whose CoordinateFloat is value, in this unit.
bool CoordinateScales(std::string_view text, float value, std::string_view drawUnit);

}  // namespace harlowe
