#include "import/converters/txt_quick_interval.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/converters/interval_thinning.h"
#include "import/converters/kept_lines_drawing.h"
#include "import/local_origin.h"
#include "import/progress.h"
#include "import/split_scripts.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;
constexpr double kAssumedLineLength = 35.0;

// The thinning of the normalised copy: the first line gives the reference point, every later
// line is kept or dropped by its distance from it. False, with the problem, for a line that is
// no point. Far from the coordinate origin the distances are measured relative to a local origin
// around the reference point.
class ShellThinning {
 public:
  ShellThinning(float intervalMm, std::string_view drawUnit) : band_(intervalMm), unit_(drawUnit) {}
  // The reference point is never drawn, but its line must be a whole point line, one that the
  // drawing stage could draw: anything else (a header, three columns) is no point to measure from.
  bool reference(std::string_view line, LineProblem& problem) {
    if (!ReadCoordinates(line, origin_, problem)) return false;
    ParsedPoint parsed;
    if (!ParsePointLenient(line, parsed)) {
      problem = LineProblem::TooFewFields;
      return false;
    }
    PointScratch scratch;
    PointTexts texts;
    if (const auto bad = ScaleAndPack(parsed, unit_, scratch, texts)) {
      problem = *bad;
      return false;
    }
    shift_ = LocalOrigin::AroundLine(line);
    return ReadShiftedCoordinates(line, shift_, unit_, origin_, problem, scratch_);
  }
  // A line whose coordinates could not be drawn in the unit stops the points even when it would
  // be dropped, as in the other converters.
  bool judge(std::string_view line, bool& keep, LineProblem& problem) {
    std::array<float, 3> point;
    if (!ReadShiftedCoordinates(line, shift_, unit_, point, problem, scratch_)) return false;
    keep = band_.keeps(ShellDistanceMm(origin_, point));
    return true;
  }

 private:
  ShellBand band_;
  std::string_view unit_;
  std::array<float, 3> origin_{};
  LocalOrigin shift_;
  std::string scratch_;
};

// Gathers the kept lines, each with CR LF, and hands them to the file in large blocks. Every
// line is copied and counted only when it is kept, so the keep decision costs no branch.
class KeptLineBlock {
 public:
  explicit KeptLineBlock(io::OutputFile& out) : out_(out), block_(kBlock + 4096) {}
  ~KeptLineBlock() { flush(); }
  void add(std::string_view line, bool keep) {
    if (block_.size() - used_ < line.size() + 2) {
      flush();
      if (block_.size() < line.size() + 2) block_.resize(line.size() + 2);
    }
    char* o = block_.data() + used_;
    std::memcpy(o, line.data(), line.size());
    o[line.size()] = '\r';
    o[line.size() + 1] = '\n';
    used_ += keep ? line.size() + 2 : 0;
    if (used_ >= kBlock) flush();
  }
  void flush() {
    out_.write(std::string_view(block_.data(), used_));
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  io::OutputFile& out_;
  std::vector<char> block_;
  std::size_t used_ = 0;
};

struct ThinningOutcome {
  CopyStatus status = CopyStatus::Done;
  std::int64_t lines = 0;  // lines of the copy taken, the reference line included
  std::optional<BadLine> stoppedAt;
};

// Writes the reference line and every kept line into the thinned copy, up to the end of the
// normalised copy or up to its first line that is no point.
ThinningOutcome thinIntoShells(const std::string& copy, const std::string& thinned,
                               float intervalMm, std::string_view drawUnit, Platform& p) {
  ThinningOutcome t;
  const std::int64_t length = io::fileLength(copy);
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (length < 0 || !reader.open(copy)) return {CopyStatus::InputFailed, 0, {}};
  io::OutputFile out;
  if (!out.open(thinned)) return {CopyStatus::OutputFailed, 0, {}};

  ShellThinning thinning(intervalMm, drawUnit);
  KeptLineBlock kept(out);
  double lastDrawn = 0;
  std::string_view line;
  LineProblem problem;
  for (io::ReadResult r; (r = reader.next(line)) != io::ReadResult::EndOfData;) {
    if (r == io::ReadResult::Failed) {
      t.stoppedAt = MakeBadLine(t.lines + 1, {}, LineProblem::Unreadable);
      break;
    }
    ++t.lines;
    if (reader.cut()) {
      t.stoppedAt = MakeBadLine(t.lines, line, LineProblem::TooLong);
      --t.lines;
      break;
    }
    if (t.lines == 1) {
      kept.add(line, true);  // the reference line, which the drawing stage skips
      if (!thinning.reference(line, problem)) {
        t.stoppedAt = MakeBadLine(1, line, problem);
        break;
      }
      continue;
    }
    bool keep = false;
    if (!thinning.judge(line, keep, problem)) {
      t.stoppedAt = MakeBadLine(t.lines, line, problem);
      --t.lines;
      break;
    }
    kept.add(line, keep);
    // Lines after the first, 35 characters each, of the copy's length; not capped.
    const double fraction =
        static_cast<double>(t.lines - 1) * kAssumedLineLength / static_cast<double>(length);
    if (fraction - lastDrawn > kProgressThreshold)
      redrawProgress(p.progress, p.ui, fraction, lastDrawn, kProgressThreshold);
  }
  kept.flush();
  reader.close();
  if (!out.close()) t.status = CopyStatus::OutputFailed;
  return t;
}

// The line of the normalised copy (and so of the input) that became the keptIndex-th kept line
// after the reference: the thinning is run again up to it. 0 when the copy cannot be read.
std::int64_t lineOfKept(const std::string& copy, float intervalMm, std::string_view drawUnit,
                        std::int64_t keptIndex) {
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (!reader.open(copy)) return 0;
  ShellThinning thinning(intervalMm, drawUnit);
  std::string_view line;
  std::int64_t number = 0, kept = 0;
  while (reader.next(line) == io::ReadResult::Line) {
    ++number;
    bool keep = false;
    LineProblem problem;
    if (!(number == 1 ? thinning.reference(line, problem) : thinning.judge(line, keep, problem)))
      break;
    if (keep && ++kept == keptIndex) return number;
  }
  return 0;
}

void freshWindow(Platform& p) {
  p.progress.unload();
  p.progress.show();
}

}  // namespace

ConversionResult ConvertTxtQuickInterval(RunSettings& s, Platform& p) {
  const std::string input = s.InputPath;
  const std::string copy = NormalisedCopyPath(input);
  const std::string thinned = copy + ".dist";
  const std::string unit = s.DrawUnit;  // the script's end overwrites it
  for (const std::string& stale : {copy + ".final", copy})
    if (io::fileExists(stale)) io::removeFile(stale);
  const std::string logPath = WriteLogHead(LogVariant::TxtQuickInterval, s, p.system, p.codePage);
  auto abandon = [&](NothingReason reason, const std::string& file) {
    io::removeFile(thinned);
    io::removeFile(copy);
    return NothingSent(p, reason, file);
  };

  // Normalisation. The line copy shows no window: its first redraw loads it hidden.
  double lastDrawn = 0;
  const CopyStatus copied =
      NormaliseTextInput(input, copy, {p.progress, p.ui, lastDrawn}, /*capChunkFraction=*/false,
                         /*windowForChunkCopyOnly=*/true);
  if (copied == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (copied == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, copy);

  // Thinning.
  freshWindow(p);
  p.progress.setStage("間隔 " + text::floatText(s.ThinningInterval) +
                      "mm を計算しています。（簡易版）");
  p.progress.setPercentText("% 終了");
  p.progress.repaint();
  const ThinningOutcome thinning = thinIntoShells(copy, thinned, s.ThinningInterval, unit, p);
  if (thinning.status == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, copy);
  if (thinning.status == CopyStatus::OutputFailed)
    return abandon(NothingReason::CannotWrite, thinned);

  // Drawing: a fresh window that keeps its design text; the reference line is not drawn.
  freshWindow(p);
  const KeptLinesDrawing drawing = DrawKeptLines(s, p, thinned, /*skipFirstLine=*/true);
  if (drawing.failed) return abandon(*drawing.failed, drawing.failedFile);

  // A kept line that cannot be drawn comes before any line at which the thinning stopped.
  std::optional<BadLine> stoppedAt = thinning.stoppedAt;
  if (drawing.stoppedAt) {
    stoppedAt = drawing.stoppedAt;
    stoppedAt->number = lineOfKept(copy, s.ThinningInterval, unit, stoppedAt->number);
  }

  p.progress.unload();
  const SplitResult split = SplitLoaderScripts(s, p);
  io::removeFile(thinned);
  io::removeFile(copy);
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);

  ConversionResult result = ResultOfBody(drawing.points, stoppedAt);
  if (result.end == ConversionResult::End::NothingDrawn && !stoppedAt && thinning.lines > 0) {
    result.reason = NothingReason::NothingInShells;
    result.linesRead = thinning.lines;
  }
  // A run that sends nothing gets the reason at the end of its log instead.
  if (result.sendsToCad())
    AppendLogLines(logPath, LogEndLines(LogVariant::TxtQuickInterval, {}), p.system, p.codePage);
  return result;
}

}  // namespace harlowe
