#include "import/converters/txt_full_interval.h"

#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/number_text.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/converters/interval_thinning.h"
#include "import/converters/kept_lines_drawing.h"
#include "import/converters/thinning_records.h"
#include "import/progress.h"
#include "import/split_scripts.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

constexpr double kThinningThreshold = 0.02;
constexpr std::int64_t kCounterEvery = 250;

// Feeds every record of the file to the thinning in order; onDecided(record, kept, text) is
// called for each record in order once its fate is final. False when the file failed.
template <class OnDecided>
bool thinRecords(const std::string& recordsPath, float intervalM, OnDecided&& onDecided) {
  RecordReader records;
  if (!records.open(recordsPath)) return false;
  WindowThinning thinning(intervalM);
  // The texts of the records in play, by ring slot; each string keeps its capacity.
  std::vector<std::string> texts(WindowThinning::kRing);
  auto decided = [&](std::int64_t record, bool kept) {
    onDecided(record, kept, texts[record & (WindowThinning::kRing - 1)]);
  };
  ThinningRecord r;
  std::int64_t added = 0;
  while (records.next(r)) {
    ++added;
    texts[added & (WindowThinning::kRing - 1)].assign(r.text);
    thinning.add(r.x, r.y, r.z, decided);
  }
  thinning.finish(decided);
  return !records.failed();
}

struct ThinningPass {
  bool recordsRead = true, keptWritten = true;
  std::int64_t kept = 0;
};

// Thins the records and writes the kept ones, as their input lines, into the kept points file.
// Progress: the counter text at every 251st record, the bar by record number over n with
// threshold 0.02; both with the pump turn after the repaint.
ThinningPass thinIntoKeptFile(const std::string& recordsPath, const std::string& keptPath,
                              float intervalM, std::int64_t n, const std::string& stage,
                              Platform& p) {
  ThinningPass pass;
  io::OutputFile out;
  if (!out.open(keptPath)) return {true, false, 0};
  double lastDrawn = 0;
  std::int64_t lastShown = 0;
  pass.recordsRead =
      thinRecords(recordsPath, intervalM, [&](std::int64_t i, bool kept, const std::string& text) {
        if (i > lastShown + kCounterEvery) {
          p.progress.setStage(stage + "  " + text::decimal(i) + "/" + text::decimal(n));
          p.progress.repaint();
          lastShown = i;
          p.ui.pumpEvents();
        }
        const double fraction = static_cast<double>(i) / static_cast<double>(n);
        if (fraction - lastDrawn > kThinningThreshold) {
          redrawProgress(p.progress, p.ui, fraction, lastDrawn, kThinningThreshold,
                         PumpTurn::AfterRepaint);
        }
        if (kept) {
          out.writeLine(text);
          ++pass.kept;
        }
      });
  pass.keptWritten = out.close();
  return pass;
}

// The record (and so the input line) that became the keptIndex-th kept point: the thinning is
// run again. 0 when the records cannot be read.
std::int64_t recordOfKept(const std::string& recordsPath, float intervalM, std::int64_t keptIndex) {
  std::int64_t kept = 0, found = 0;
  thinRecords(recordsPath, intervalM, [&](std::int64_t i, bool k, const std::string&) {
    if (k && ++kept == keptIndex) found = i;
  });
  return found;
}

}  // namespace

ConversionResult ConvertTxtFullInterval(RunSettings& s, Platform& p) {
  const std::string input = s.InputPath;
  const std::string copy = NormalisedCopyPath(input);  // later the record file's name
  const std::string records = copy;
  const std::string recordsTmp = input + ".dosasctmp";
  const std::string kept = copy + ".final";
  for (const std::string& stale : {kept, copy})
    if (io::fileExists(stale)) io::removeFile(stale);
  const std::string logPath = WriteLogHead(LogVariant::TxtFullInterval, s, p.system, p.codePage);
  auto abandon = [&](NothingReason reason, const std::string& file) {
    for (const std::string& work : {kept, copy, recordsTmp}) io::removeFile(work);
    return NothingSent(p, reason, file);
  };

  // Pass 1: the normalised copy, as the other text converters make it.
  ShowStage(p, "ファイルデータを処理しています。－１");
  double lastDrawn = 0;
  const CopyStatus copied =
      NormaliseTextInput(input, copy, {p.progress, p.ui, lastDrawn, PumpTurn::AfterRepaint},
                         /*capChunkFraction=*/true);
  if (copied == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (copied == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, copy);
  p.progress.unload();

  // Pass 2: one record per point line; the first line that is no point ends the input.
  ShowStage(p, "ファイルデータを処理しています。－２");
  const RecordPass pass2 = WriteThinningRecords(copy, recordsTmp, s.DrawUnit, p);
  if (pass2.status == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, copy);
  if (pass2.status == CopyStatus::OutputFailed)
    return abandon(NothingReason::CannotWrite, recordsTmp);
  io::removeFile(copy);
  if (!io::renameFile(recordsTmp, records)) return abandon(NothingReason::CannotWrite, records);
  AppendLogLines(logPath, {LogRecordCountLine(pass2.records)}, p.system, p.codePage);
  p.progress.unload();

  // Passes 3 and 4: the thinning, in metres from here on, and the kept points.
  const std::string stage = "間隔 " + text::floatText(s.ThinningInterval) + "mm を計算しています。";
  p.progress.show();
  p.progress.setStage(stage);
  p.progress.setPercentText("% 終了");
  p.progress.repaint();
  s.ThinningInterval = s.ThinningInterval / 1000.0f;
  const ThinningPass thinned =
      thinIntoKeptFile(records, kept, s.ThinningInterval, pass2.records, stage, p);
  if (!thinned.recordsRead) return abandon(NothingReason::CannotRead, records);
  if (!thinned.keptWritten) return abandon(NothingReason::CannotWrite, kept);

  // Drawing.
  p.progress.unload();
  ShowStage(p, "ファイルデータを処理しています。");
  s.InputPath = kept;
  const KeptLinesDrawing drawing = DrawKeptLines(s, p, kept, /*skipFirstLine=*/false);
  if (drawing.failed) return abandon(*drawing.failed, drawing.failedFile);

  // A kept point that cannot be drawn comes before any line at which pass 2 stopped.
  std::optional<BadLine> stoppedAt = pass2.stoppedAt;
  if (drawing.stoppedAt) {
    stoppedAt = drawing.stoppedAt;
    stoppedAt->number = recordOfKept(records, s.ThinningInterval, stoppedAt->number);
  }

  io::removeFile(kept);
  io::removeFile(records);
  const SplitResult split = SplitLoaderScripts(s, p);
  p.progress.unload();
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);
  ConversionResult result = ResultOfBody(drawing.points, stoppedAt);
  // The count of kept points is written once they are drawn, as the points drawn (a kept point
  // that cannot be drawn ends them); a run that sends nothing gets the reason instead.
  if (result.sendsToCad()) {
    std::vector<LogLine> end{LogKeptCountLine(drawing.points)};
    for (LogLine& l : LogEndLines(LogVariant::TxtFullInterval, {})) end.push_back(std::move(l));
    AppendLogLines(logPath, end, p.system, p.codePage);
  }
  return result;
}

}  // namespace harlowe
