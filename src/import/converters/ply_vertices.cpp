#include "import/converters/ply_vertices.h"

#include <optional>
#include <string>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "import/conversion_log.h"
#include "import/converters/converter_steps.h"
#include "import/ply_header.h"
#include "import/point_helpers.h"
#include "import/point_script.h"
#include "import/progress.h"
#include "import/split_scripts.h"
#include "import/text_input.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;

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

// Draws every line of the vertex list.
class VertexSource : public PointSource {
 public:
  VertexSource(io::LineReader& reader, const RunSettings& s, Platform& p, double length,
               std::int64_t headerLines)
      : reader_(reader), s_(s), p_(p), length_(length), headerLines_(headerLines) {}

  bool atEnd() override { return reader_.atEnd(); }

  PointStatus next(PointTexts& point) override {
    const double fraction = length_ > 0 ? static_cast<double>(consumed_) / length_ : 0.0;
    // The redraw step makes the same test; making it here saves a call for nearly every point.
    if (fraction - lastDrawn_ > kProgressThreshold)
      redrawProgress(p_.progress, p_.ui, fraction, lastDrawn_, kProgressThreshold);
    std::string_view line;
    const io::ReadResult r = reader_.next(line);
    if (r == io::ReadResult::EndOfData) return PointStatus::EndOfData;
    ++vertices_;
    if (r == io::ReadResult::Failed) return stop({}, LineProblem::Unreadable);
    consumed_ += static_cast<std::int64_t>(line.size()) + 2;
    ParsedPoint parsed;
    if (!ParsePointLenient(line, parsed)) return stop(line, LineProblem::TooFewFields);
    if (const auto problem = ScaleAndPack(parsed, s_.DrawUnit, scratch_, point))
      return stop(line, *problem);
    return PointStatus::Ok;
  }

  // The vertex line at which the points stopped, if they did: list line k is line
  // headerLines + k of the input.
  const std::optional<BadLine>& stoppedAt() const { return stoppedAt_; }

 private:
  PointStatus stop(std::string_view line, LineProblem problem) {
    stoppedAt_ = MakeBadLine(headerLines_ + vertices_, line, problem);
    return PointStatus::Failed;
  }

  io::LineReader& reader_;
  const RunSettings& s_;
  Platform& p_;
  double length_;
  std::int64_t headerLines_;
  double lastDrawn_ = 0;
  std::int64_t vertices_ = 0;  // lines read from the list
  std::int64_t consumed_ = 0;  // their lengths plus 2 each
  std::optional<BadLine> stoppedAt_;
  PointScratch scratch_;
};

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
  PointScriptWriter writer(p.codePage, kTextLayout);
  if (!writer.open(s.AppDir)) return abandon(NothingReason::CannotWrite, writer.path());
  writer.writeHead(s.TargetLayer);
  p.progress.setStage("ファイルデータを処理しています。");
  p.progress.repaint();

  s.InputPath = list;
  const std::int64_t length = io::fileLength(list);
  io::LineReader reader;
  if (length < 0 || !reader.open(list)) {
    writer.close();
    return abandon(NothingReason::CannotRead, list);
  }
  VertexSource source(reader, s, p, static_cast<double>(length), pass.header.lines);
  if (!DrawScript(writer, source, reader, s, p))
    return abandon(NothingReason::CannotWrite, writer.path());

  io::removeFile(list);
  io::removeFile(copy);
  p.progress.unload();
  const SplitResult split = SplitLoaderScripts(s, p);
  AppendLogLines(logPath, LogEndLines(LogVariant::PlyVertices, {0, writer.pointsWritten()}),
                 p.system, p.codePage);
  if (!split.ok) return ConversionResult::nothing(NothingReason::CannotWrite, split.failedFile);

  // A line that cannot be drawn lies before the end of the list, so it comes first.
  std::optional<BadLine> stoppedAt = source.stoppedAt() ? source.stoppedAt() : pass.badLine;
  if (!stoppedAt && pass.found < pass.expected)
    return ConversionResult::fewerThanHeader(writer.pointsWritten(), pass.expected);
  return ResultOfBody(writer.pointsWritten(), std::move(stoppedAt));
}

}  // namespace harlowe
