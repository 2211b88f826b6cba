#include "import/converters/ply_vertices.h"

#include <bit>
#include <optional>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

struct HeaderScan {
  PlyHeader header;
  bool readFailed = false;
};

// Reads the header from the input itself, so that a file whose header is refused is never
// copied (a binary PLY may be gigabytes).
HeaderScan ScanPlyHeader(const std::string& input) {
  HeaderScan h;
  io::LineReader reader(1 << 16, io::kPointLineLimit, io::LineEnds::Any);
  PlyHeaderScan scan;
  std::string_view line;
  io::ReadResult r = io::ReadResult::Failed;
  if (reader.open(input)) {
    while ((r = reader.next(line)) == io::ReadResult::Line && scan.take(line)) {
    }
  }
  h.header = scan.header();
  h.readFailed = r == io::ReadResult::Failed;
  return h;
}

// The first six separators (blanks or TABs) of a vertex line, found in one pass, sixteen bytes
// at a time where SSE2 is there: this runs once per vertex line.
struct Separators {
  std::size_t at[6];
  int count = 0;
  bool tab = false;  // a TAB stands among the bytes looked at, which reach the last separator
};

inline void FindSeparators(std::string_view line, Separators& s) {
  const char* const p = line.data();
  const std::size_t n = line.size();
  std::size_t i = 0;
  int count = 0;
  bool tabSeen = false;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
  // The separators and the TABs of the sixteen bytes from `from` on, less the first `skip`.
  auto take = [&](std::size_t from, unsigned skip) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
    const __m128i tabs = _mm_cmpeq_epi8(w, tab);
    tabSeen |= (static_cast<unsigned>(_mm_movemask_epi8(tabs)) >> skip) != 0;
    auto separators =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, blank), tabs)));
    for (separators = separators >> skip << skip; separators != 0 && count < 6;
         separators &= separators - 1)
      s.at[count++] = from + static_cast<std::size_t>(std::countr_zero(separators));
  };
  for (; i + 16 <= n && count < 6; i += 16) take(i, 0);
  if (count < 6 && i < n && n >= 16) {
    // The last sixteen bytes of the line, without those already looked at.
    take(n - 16, static_cast<unsigned>(i - (n - 16)));
    i = n;
  }
#endif
  for (; i < n && count < 6; ++i) {
    if (p[i] == ' ' || p[i] == '\t') {
      tabSeen |= p[i] == '\t';
      s.at[count++] = i;
    }
  }
  s.count = count;
  s.tab = tabSeen;
}

// The first six values of a vertex line, joined by single blanks: the line's own head when its
// values are separated so already (the usual case), else gathered into scratch from values
// separated by any run of blanks and TABs, blanks before the first allowed. Nothing when the line
// holds fewer than six values.
std::optional<std::string_view> SixValues(std::string_view line, std::string& scratch) {
  Separators sep;
  FindSeparators(line, sep);
  if (sep.count >= 5 && !sep.tab && sep.at[0] > 0) {
    bool single = true;
    for (int i = 1; i < sep.count; ++i) single = single && sep.at[i] > sep.at[i - 1] + 1;
    const std::size_t keep = sep.count == 6 ? sep.at[5] : line.size();
    if (single && sep.at[4] + 1 < keep) return line.substr(0, keep);
  }
  auto separator = [](char c) { return c == ' ' || c == '\t'; };
  scratch.clear();
  int values = 0;
  for (std::size_t i = 0; values < 6; ++values) {
    while (i < line.size() && separator(line[i])) ++i;
    if (i == line.size()) break;
    std::size_t j = i;
    while (j < line.size() && !separator(line[j])) ++j;
    if (values > 0) scratch += ' ';
    scratch.append(line.substr(i, j - i));
    i = j;
  }
  if (values < 6) return std::nullopt;
  return scratch;
}

// What the vertex pass found.
struct VertexPass {
  std::int64_t expected = 0;         // vertex lines the header announces
  std::int64_t found = 0;            // vertex lines written to the list
  std::optional<BadLine> badLine;    // the vertex line that ended the list
  std::int64_t linesBefore = 0;      // lines of the elements before the vertices found
  bool endedBeforeVertices = false;  // the file ended inside those elements
  bool readFailed = false, writeFailed = false;
};

// Reads the normalised copy past the header and the lines of the elements declared before the
// vertices, and writes the first six values of each vertex line into the vertex list. The values
// stay text, joined by single blanks.
VertexPass WriteVertexList(const std::string& copy, const std::string& list, const PlyHeader& h) {
  VertexPass v;
  v.expected = PlyVertexLines(h);
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (!reader.open(copy)) {
    v.readFailed = true;
    return v;
  }
  std::string_view line;
  for (std::int64_t i = 0; i < h.lines; ++i) {
    if (reader.next(line) != io::ReadResult::Line) {
      v.readFailed = true;
      return v;
    }
  }
  for (; v.linesBefore < h.linesBeforeVertex; ++v.linesBefore) {
    const io::ReadResult r = reader.next(line);
    if (r == io::ReadResult::Failed) {
      v.readFailed = true;
      return v;
    }
    if (r == io::ReadResult::EndOfData) {
      v.endedBeforeVertices = true;
      return v;
    }
  }

  io::OutputFile out;
  if (!out.open(list)) {
    v.writeFailed = true;
    return v;
  }
  const std::int64_t firstVertexLine = h.lines + h.linesBeforeVertex + 1;
  std::string scratch;
  while (v.found < v.expected) {
    const io::ReadResult r = reader.next(line);
    if (r == io::ReadResult::EndOfData) break;
    const std::int64_t number = firstVertexLine + v.found;
    if (r == io::ReadResult::Failed) {
      v.badLine = MakeBadLine(number, {}, LineProblem::Unreadable);
      break;
    }
    if (reader.cut()) {
      v.badLine = MakeBadLine(number, line, LineProblem::TooLong);
      break;
    }
    const std::optional<std::string_view> values = SixValues(line, scratch);
    if (!values) {
      v.badLine = MakeBadLine(number, line, LineProblem::TooFewFields);
      break;
    }
    out.writeLine(*values);
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
  const HeaderScan scan = ScanPlyHeader(input);
  if (scan.readFailed) return abandon(NothingReason::CannotRead, input);
  const PlyHeader& header = scan.header;
  if (const std::optional<PlyRefusal> refusal = CheckPlyHeader(header)) {
    ConversionResult refused = abandon(refusal->reason, {});
    refused.detail = refusal->detail;
    return refused;
  }

  double lastDrawn = 0;
  const CopyStatus copied =
      CopyByChunks(input, copy, {p.progress, p.ui, lastDrawn}, /*capFraction=*/true);
  if (copied == CopyStatus::InputFailed) return abandon(NothingReason::CannotRead, input);
  if (copied == CopyStatus::OutputFailed) return abandon(NothingReason::CannotWrite, copy);

  const VertexPass pass = WriteVertexList(copy, list, header);
  if (pass.readFailed) return abandon(NothingReason::CannotRead, copy);
  if (pass.endedBeforeVertices) {
    ConversionResult ended = abandon(NothingReason::PlyEndsBeforeVertices, {});
    ended.detail = header.elementsBeforeVertex;
    ended.linesRead = pass.linesBefore;
    return ended;
  }
  if (pass.writeFailed) return abandon(NothingReason::CannotWrite, list);
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
  // the list is the k-th vertex line of the input.
  std::optional<BadLine> stoppedAt = drawing.stoppedAt;
  if (stoppedAt) {
    stoppedAt->number += header.lines + header.linesBeforeVertex;
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
