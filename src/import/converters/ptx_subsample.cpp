#include "import/converters/ptx_subsample.h"

#include <cmath>
#include <optional>
#include <string>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/point_helpers.h"
#include "import/point_script.h"
#include "import/ptx_input.h"
#include "import/split_scripts.h"

namespace harlowe {

namespace {

// A number text as a finite 32-bit float.
bool single(std::string_view text, float& out) {
  const auto value = text::parseNumber(text);
  if (!value) return false;
  out = static_cast<float>(*value);
  return std::isfinite(out);
}

// The 7-digit text of a coordinate; in millimetres the metre text is read back, multiplied by
// 1000 in single precision and written again. False when a value is no finite float.
bool coordinateText(float metres, bool millimetres, char* buf, std::string_view& out) {
  if (!std::isfinite(metres)) return false;
  out = std::string_view(buf, text::floatTextTo(metres, buf));
  if (!millimetres) return true;
  float shown;
  if (!single(out, shown)) return false;
  const float scaled = shown * 1000.0f;
  if (!std::isfinite(scaled)) return false;
  out = std::string_view(buf, text::floatTextTo(scaled, buf));
  return true;
}

// Reads SubSampleStep lines of the work file per point and draws the last of them. The matrix
// moves a point relative to the scan's local origin; the texts put it back there.
class PtxSource : public PointSource {
 public:
  PtxSource(io::LineReader& reader, const RunSettings& s, Platform& p, const PtxMatrix& m,
            const LocalOrigin& origin, std::int64_t length)
      : reader_(reader),
        s_(s),
        m_(m),
        origin_(origin),
        millimetres_(s.DrawUnit == "mm"),
        progress_({p.progress, p.ui, lastDrawn_}, length) {}

  bool atEnd() override { return reader_.atEnd(); }

  PointStatus next(PointTexts& point) override {
    progress_.at(lines_);
    std::string_view line;
    for (int i = 0; i < s_.SubSampleStep; ++i) {
      const io::ReadResult r = reader_.next(line);
      if (r == io::ReadResult::EndOfData) return PointStatus::EndOfData;
      ++lines_;
      if (r == io::ReadResult::Failed) return stop({}, LineProblem::Unreadable);
    }
    std::size_t at[5];
    if (BlankPositions(line, 5, at) < 5) return stop(line, LineProblem::TooFewFields);
    float x, y, z;
    if (!single(line.substr(0, at[0]), x) ||
        !single(line.substr(at[0] + 1, at[1] - at[0] - 1), y) ||
        !single(line.substr(at[1] + 1, at[2] - at[1] - 1), z)) {
      return stop(line, LineProblem::NotANumber);
    }
    const PtxPoint moved = TransformPtxPoint(m_, x, y, z);
    if (!coordinateText(moved.x, millimetres_, x_, point.x) ||
        !coordinateText(moved.y, millimetres_, y_, point.y) ||
        !coordinateText(moved.z, millimetres_, z_, point.z)) {
      return stop(line, LineProblem::NotANumber);
    }
    std::string_view* texts[3] = {&point.x, &point.y, &point.z};
    for (int axis = 0; axis < 3; ++axis) {
      if (origin_.restore(axis, *texts[axis], millimetres_, placed_[axis]))
        *texts[axis] = placed_[axis];
    }
    if (!PackTrueColorFields(line.substr(at[2] + 1, at[3] - at[2] - 1),
                             line.substr(at[3] + 1, at[4] - at[3] - 1), line.substr(at[4] + 1),
                             colour_)) {
      return stop(line, LineProblem::BadColour);
    }
    point.colour = colour_;
    return PointStatus::Ok;
  }

  std::int64_t linesRead() const { return lines_; }
  // The work-file line at which the points stopped (counted after the header), with its text.
  const std::optional<BadLine>& stoppedAt() const { return stoppedAt_; }

 private:
  PointStatus stop(std::string_view line, LineProblem problem) {
    stoppedAt_ = MakeBadLine(lines_, line, problem, LineFormat::PtxPoint);
    return PointStatus::Failed;
  }

  io::LineReader& reader_;
  const RunSettings& s_;
  const PtxMatrix& m_;
  const LocalOrigin& origin_;
  bool millimetres_;
  float lastDrawn_ = 0;
  PtxLineProgress progress_;
  std::int64_t lines_ = 0;  // point lines read from the work file
  std::optional<BadLine> stoppedAt_;
  char x_[text::kFloatTextMax], y_[text::kFloatTextMax], z_[text::kFloatTextMax];
  std::string placed_[3];  // the texts put back at the local origin
  std::string colour_;
};

}  // namespace

ConversionResult ConvertPtxSubSample(RunSettings& s, Platform& p) {
  WriteLogHead(LogVariant::PtxSubSample, s, p.system, p.codePage);
  // With n below 1 no line would ever be read: nothing to draw.
  if (s.SubSampleStep < 1) return ConversionResult::nothing(NothingReason::StepBelowOne);

  const std::string input = s.InputPath;
  const std::string work = input + ".temp";
  auto abandon = [&](NothingReason reason, const std::string& file) {
    io::removeFile(work);
    return NothingSent(p, reason, file);
  };

  ShowStage(p, "PTX ファイルデータを前処理しています。");
  float lastDrawn = 0;
  const PtxPrePass pre = CopyPtxPoints(input, work, {p.progress, p.ui, lastDrawn});
  if (pre.status == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (pre.status == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, work);
  if (pre.matrixLine) {
    ConversionResult refused = abandon(NothingReason::PtxMatrixLine, {});
    refused.badLine = pre.matrixLine;
    return refused;
  }
  if (pre.headerLines < kPtxHeaderLines) {
    ConversionResult refused = abandon(NothingReason::PtxShortHeader, {});
    refused.linesRead = pre.headerLines;
    return refused;
  }
  p.progress.unload();

  ShowStage(p, "ファイルデータを処理しています。");
  PointScriptWriter writer(p.codePage, kPtxLayout);
  if (!writer.open(s.AppDir)) return abandon(NothingReason::CannotWrite, writer.path());
  writer.writeHead(s.TargetLayer);
  const std::int64_t length = io::fileLength(work);
  io::LineReader reader;
  std::string_view line;
  bool opened = length >= 0 && reader.open(work);
  for (int i = 0; opened && i < kPtxHeaderLines; ++i)
    opened = reader.next(line) == io::ReadResult::Line;
  if (!opened) {
    writer.close();
    return abandon(NothingReason::CannotRead, work);
  }

  PtxSource source(reader, s, p, pre.matrix, pre.origin, length);
  if (!DrawScript(writer, source, reader, s, p))
    return abandon(NothingReason::CannotWrite, writer.path());
  io::removeFile(work);
  p.progress.unload();
  const SplitResult split = SplitLoaderScripts(s, p);
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);

  // A point that could not be drawn lies before the line that ended the pre-pass. Its work-file
  // line is found again in the input, whose line number and text the user knows.
  std::optional<BadLine> stoppedAt = pre.stoppedAt;
  if (const auto& failed = source.stoppedAt()) {
    stoppedAt = LocatePtxPointLine(input, failed->number, failed->problem);
    if (!stoppedAt) stoppedAt = failed;
  }
  ConversionResult result = ResultOfBody(writer.pointsWritten(), stoppedAt);
  if (result.end == ConversionResult::End::NothingDrawn && !stoppedAt && source.linesRead() > 0) {
    result.reason = NothingReason::StepBeyondPoints;
    result.linesRead = source.linesRead();
  }
  return result;
}

}  // namespace harlowe
