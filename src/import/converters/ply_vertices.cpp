#include "import/converters/ply_vertices.h"

#include <optional>
#include <string>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/converters/kept_lines_drawing.h"
#include "import/ply_header.h"
#include "import/split_scripts.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

// What the header scan and the vertex pass found.
struct VertexPass {
  PlyHeader header;
  std::optional<PlyRefusal> refusal;
  std::int64_t expected = 0;       // vertex lines the header announces
  std::int64_t found = 0;          // vertex lines written to the list
  std::optional<BadLine> badLine;  // the vertex line that ended the list
  bool readFailed = false, writeFailed = false;
};

// Reads the header of the normalised copy and, unless it refuses the file, writes the first six
// values of each vertex line into the vertex list: the values stay text, joined by the single
// blanks that separate them in the line, so the list line is the vertex line up to the blank
// after its sixth value. The sixth value may also end the line, as PLY writers other than
// CloudCompare leave no blank at the end.
VertexPass WriteVertexList(const std::string& copy, const std::string& list) {
  VertexPass v;
  io::LineReader reader;
  if (!reader.open(copy)) {
    v.readFailed = true;
    return v;
  }
  PlyHeaderScan scan;
  std::string_view line;
  for (;;) {
    const io::ReadResult r = reader.next(line);
    if (r == io::ReadResult::EndOfData) break;
    if (r == io::ReadResult::Failed) {
      v.readFailed = true;
      return v;
    }
    if (!scan.take(line)) break;
  }
  v.header = scan.header();
  v.refusal = CheckPlyHeader(v.header);
  if (v.refusal) return v;
  v.expected = PlyVertexLines(v.header);

  io::OutputFile out;
  if (!out.open(list)) {
    v.writeFailed = true;
    return v;
  }
  std::size_t at[6];
  while (v.found < v.expected) {
    const io::ReadResult r = reader.next(line);
    if (r == io::ReadResult::EndOfData) break;
    const std::int64_t number = v.header.lines + v.found + 1;
    if (r == io::ReadResult::Failed) {
      v.badLine = MakeBadLine(number, {}, LineProblem::Unreadable);
      break;
    }
    const int blanks = BlankPositions(line, 6, at);
    std::size_t keep;
    if (blanks == 6) {
      keep = at[5];
    } else if (blanks == 5 && at[4] + 1 < line.size()) {
      keep = line.size();
    } else {
      v.badLine = MakeBadLine(number, line, LineProblem::TooFewFields);
      break;
    }
    out.writeLine(line.substr(0, keep));
    ++v.found;
  }
  if (!out.close()) v.writeFailed = true;
  return v;
}

}  // namespace

ConversionResult ConvertPlyVertices(RunSettings& s, Platform& p) {
  const std::string input = s.InputPath;
  const std::string copy = NormalisedCopyPath(input);
  const std::string list = copy + ".final";
  // Work files left by an earlier run go first.
  io::removeFile(list);
  io::removeFile(copy);
  const std::string logPath = WriteLogHead(LogVariant::PlyVertices, s, p.system, p.codePage);

  ShowStage(p, "ファイルデータを処理しています。－１");
  auto abandon = [&](NothingReason reason, const std::string& file) {
    io::removeFile(list);
    io::removeFile(copy);
    return NothingSent(p, reason, file);
  };
  double lastDrawn = 0;
  const CopyStatus copied =
      CopyByChunks(input, copy, {p.progress, p.ui, lastDrawn}, /*capFraction=*/true,
                   /*keepCrLf=*/true);
  if (copied == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (copied == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, copy);

  const VertexPass pass = WriteVertexList(copy, list);
  if (pass.readFailed) return abandon(NothingReason::CannotRead, copy);
  if (pass.writeFailed) return abandon(NothingReason::CannotWrite, list);
  if (pass.refusal) {
    ConversionResult refused = abandon(pass.refusal->reason, {});
    refused.detail = pass.refusal->detail;
    return refused;
  }
  p.progress.unload();

  ShowStage(p, "ファイルデータを処理しています。－２");
  // The tail of the script names the vertex list.
  s.InputPath = list;
  const KeptLinesDrawing drawing =
      DrawKeptLines(s, p, list, /*skipFirstLine=*/false, "ファイルデータを処理しています。");
  if (drawing.failed) return abandon(*drawing.failed, drawing.failedFile);

  io::removeFile(list);
  io::removeFile(copy);
  p.progress.unload();
  const SplitResult split = SplitLoaderScripts(s, p);
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);

  // A line that cannot be drawn lies before the end of the list, so it comes first. Line k of
  // the list is line headerLines + k of the input.
  std::optional<BadLine> stoppedAt = drawing.stoppedAt;
  if (stoppedAt) {
    stoppedAt->number += pass.header.lines;
  } else {
    stoppedAt = pass.badLine;
  }
  ConversionResult result = !stoppedAt && pass.found < pass.expected
                                ? ConversionResult::fewerThanHeader(drawing.points, pass.expected)
                                : ResultOfBody(drawing.points, std::move(stoppedAt));
  // A run that sends nothing gets the reason at the end of its log instead.
  if (result.sendsToCad()) {
    AppendLogLines(logPath, LogEndLines(LogVariant::PlyVertices, {0, drawing.points}), p.system,
                   p.codePage);
  }
  return result;
}

}  // namespace harlowe
