#include "import/converters/txt_subsample.h"

#include <string>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/point_helpers.h"
#include "import/point_script.h"
#include "import/progress.h"
#include "import/split_scripts.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;

// Reads n lines of the normalised copy per point and draws the last of them.
class SubSampleSource : public PointSource {
 public:
  SubSampleSource(io::LineReader& reader, const RunSettings& s, Platform& p, double length)
      : reader_(reader), s_(s), p_(p), length_(length) {}

  bool atEnd() override { return reader_.atEnd(); }

  PointStatus next(PointTexts& point) override {
    if (lastDrawn_ < 1.0) {
      const double fraction = length_ > 0 ? static_cast<double>(bytesRead_) / length_ : 0.0;
      // The redraw step makes the same test; making it here saves a call for nearly every point.
      if (fraction - lastDrawn_ > kProgressThreshold) {
        redrawProgress(p_.progress, p_.ui, fraction, lastDrawn_, kProgressThreshold);
      }
    }
    // With n of 0 or less no line is read: there is no point to draw.
    if (s_.SubSampleStep < 1) return PointStatus::Failed;
    std::string_view line;
    for (int i = 0; i < s_.SubSampleStep; ++i) {
      const io::ReadResult r = reader_.next(line);
      if (r == io::ReadResult::EndOfData) return PointStatus::EndOfData;
      if (r == io::ReadResult::Failed) return stop({}, LineProblem::Unreadable, 1);
      ++linesRead_;
      bytesRead_ += static_cast<std::int64_t>(reader_.length()) + 2;
    }
    if (reader_.cut()) return stop(line, LineProblem::TooLong);
    ParsedPoint parsed;
    if (!ParsePointStrict(line, 6, parsed)) return stop(line, LineProblem::TooFewFields);
    if (const auto problem = ScaleAndPack(parsed, s_.DrawUnit, scratch_, point))
      return stop(line, *problem);
    return PointStatus::Ok;
  }

  std::int64_t linesRead() const { return linesRead_; }
  // The line at which the points stopped, if they did. A line of the normalised copy is the
  // line of the input with the same number.
  const std::optional<BadLine>& stoppedAt() const { return stoppedAt_; }

 private:
  io::LineReader& reader_;
  const RunSettings& s_;
  Platform& p_;
  double length_;
  PointStatus stop(std::string_view line, LineProblem problem, std::int64_t after = 0) {
    stoppedAt_ = MakeBadLine(linesRead_ + after, line, problem);
    return PointStatus::Failed;
  }

  double lastDrawn_ = 0;
  std::optional<BadLine> stoppedAt_;
  std::int64_t linesRead_ = 0;
  std::int64_t bytesRead_ = 0;
  PointScratch scratch_;
};

}  // namespace

ConversionResult ConvertTxtSubSample(RunSettings& s, Platform& p) {
  const std::string logPath = WriteLogHead(LogVariant::TxtSubSample, s, p.system, p.codePage);
  ShowStage(p, "ファイルデータを処理しています。－１");

  PointScriptWriter writer(p.codePage, kTextLayout);
  if (!writer.open(s.AppDir)) return NothingSent(p, NothingReason::CannotWrite, writer.path());
  writer.writeHead(s.TargetLayer);

  const std::string input = s.InputPath;
  const std::string copy = NormalisedCopyPath(input);
  auto abandon = [&](NothingReason reason, const std::string& file) {
    writer.close();
    io::removeFile(copy);
    return NothingSent(p, reason, file);
  };

  double lastDrawn = 0;
  const CopyStatus copied =
      NormaliseTextInput(input, copy, {p.progress, p.ui, lastDrawn}, /*capChunkFraction=*/false);
  if (copied == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (copied == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, copy);

  p.progress.unload();
  ShowStage(p, "ファイルデータを処理しています。－２");

  s.InputPath = copy;
  const std::int64_t length = io::fileLength(copy);
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (length < 0 || !reader.open(copy)) return abandon(NothingReason::CannotRead, copy);

  SubSampleSource source(reader, s, p, static_cast<double>(length));
  if (!DrawScript(writer, source, reader, s, p))
    return abandon(NothingReason::CannotWrite, writer.path());

  io::removeFile(copy);
  p.progress.unload();
  const SplitResult split = SplitLoaderScripts(s, p);
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);

  ConversionResult result = ResultOfBody(writer.pointsWritten(), source.stoppedAt());
  if (result.end == ConversionResult::End::NothingDrawn && !source.stoppedAt()) {
    if (s.SubSampleStep < 1) {
      result.reason = NothingReason::StepBelowOne;
    } else if (source.linesRead() > 0) {
      result.reason = NothingReason::StepBeyondInput;
      result.linesRead = source.linesRead();
    }
  }
  // A run that sends nothing gets the reason at the end of its log instead.
  if (result.sendsToCad()) {
    AppendLogLines(
        logPath,
        LogEndLines(LogVariant::TxtSubSample, {source.linesRead(), writer.pointsWritten()}),
        p.system, p.codePage);
  }
  return result;
}

}  // namespace harlowe
