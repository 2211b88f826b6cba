#include "import/converters/kept_lines_drawing.h"

#include "common/file_io.h"
#include "common/line_reader.h"
#include "import/converters/converter_steps.h"
#include "import/point_script.h"
#include "import/progress.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;

class KeptLinesSource : public PointSource {
 public:
  KeptLinesSource(io::LineReader& reader, const RunSettings& s, Platform& p, std::int64_t length)
      : reader_(reader), s_(s), p_(p), length_(static_cast<double>(length)) {}

  bool atEnd() override { return reader_.atEnd(); }

  PointStatus next(PointTexts& point) override {
    const double fraction = length_ > 0 ? static_cast<double>(consumed_) / length_ : 0.0;
    // The redraw step makes the same test; making it here saves a call for nearly every point.
    if (fraction - lastDrawn_ > kProgressThreshold)
      redrawProgress(p_.progress, p_.ui, fraction, lastDrawn_, kProgressThreshold);
    std::string_view line;
    const io::ReadResult r = reader_.next(line);
    if (r == io::ReadResult::EndOfData) return PointStatus::EndOfData;
    ++linesRead_;
    if (r == io::ReadResult::Failed) return stop({}, LineProblem::Unreadable);
    consumed_ += static_cast<std::int64_t>(reader_.length()) + 2;
    if (reader_.cut()) return stop(line, LineProblem::TooLong);
    ParsedPoint parsed;
    if (!ParsePointLenient(line, parsed)) return stop(line, LineProblem::TooFewFields);
    if (const auto problem = ScaleAndPack(parsed, s_.DrawUnit, scratch_, point))
      return stop(line, *problem);
    return PointStatus::Ok;
  }

  const std::optional<BadLine>& stoppedAt() const { return stoppedAt_; }

 private:
  PointStatus stop(std::string_view line, LineProblem problem) {
    stoppedAt_ = MakeBadLine(linesRead_, line, problem);
    return PointStatus::Failed;
  }

  io::LineReader& reader_;
  const RunSettings& s_;
  Platform& p_;
  double length_;
  double lastDrawn_ = 0;
  std::int64_t consumed_ = 0;
  std::int64_t linesRead_ = 0;
  std::optional<BadLine> stoppedAt_;
  PointScratch scratch_;
};

}  // namespace

KeptLinesDrawing DrawKeptLines(RunSettings& s, Platform& p, const std::string& keptPath,
                               bool skipFirstLine, const char* stageAfterHead) {
  KeptLinesDrawing d;
  auto fail = [&d](NothingReason reason, std::string file) {
    d.failed = reason;
    d.failedFile = std::move(file);
    return d;
  };
  PointScriptWriter writer(p.codePage, kTextLayout);
  if (!writer.open(s.AppDir)) return fail(NothingReason::CannotWrite, writer.path());
  writer.writeHead(s.TargetLayer);
  if (stageAfterHead) {
    p.progress.setStage(stageAfterHead);
    p.progress.repaint();
  }
  const std::int64_t length = io::fileLength(keptPath);
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (length < 0 || !reader.open(keptPath)) {
    writer.close();
    return fail(NothingReason::CannotRead, keptPath);
  }
  std::string_view first;
  if (skipFirstLine && !reader.atEnd()) reader.next(first);
  KeptLinesSource source(reader, s, p, length);
  if (!DrawScript(writer, source, reader, s, p))
    return fail(NothingReason::CannotWrite, writer.path());
  d.points = writer.pointsWritten();
  d.stoppedAt = source.stoppedAt();
  return d;
}

}  // namespace harlowe
