#include "import/ptx_input.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "common/file_io.h"
#include "common/number_text.h"
#include "import/progress.h"
#include "import/ptx_lines.h"

namespace harlowe {

namespace {

constexpr double kAssumedLineLength = 37.0;
constexpr std::size_t kBlock = 1 << 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsZeroNumber(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  bool digit = false, point = false;
  for (; i < t.size(); ++i) {
    if (t[i] == '0') {
      digit = true;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return false;
  if (i == t.size()) return true;
  // An exponent, as the number reader takes it: a mark, a sign, at least one digit.
  if (t[i] != 'e' && t[i] != 'E' && t[i] != 'd' && t[i] != 'D') return false;
  ++i;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  const std::size_t digits = i;
  while (i < t.size() && isDigit(t[i])) ++i;
  return i > digits && i == t.size();
}

PtxLineKind ClassifyPtxLine(std::string_view line, const std::size_t* at, int blanks) {
  if (blanks < 6) return PtxLineKind::TooFewBlanks;
  // Nearly every point begins with a character that no zero begins with.
  const char first = line[0];
  if (first != '0' && first != '.' && first != '-' && first != '+') return PtxLineKind::Point;
  const std::string_view x = line.substr(0, at[0]);
  const std::string_view y = line.substr(at[0] + 1, at[1] - at[0] - 1);
  const std::string_view z = line.substr(at[1] + 1, at[2] - at[1] - 1);
  return IsZeroNumber(x) && IsZeroNumber(y) && IsZeroNumber(z) ? PtxLineKind::Missing
                                                               : PtxLineKind::Point;
}

bool ReadPtxMatrixRow(std::string_view line, int r, PtxMatrix& m, LocalOrigin& origin) {
  std::string_view rest = line, texts[3];
  for (int c = 1; c <= 3; ++c) {
    const auto blank = rest.find(' ');
    if (blank == std::string_view::npos && c < 3) return false;
    texts[c - 1] = rest.substr(0, blank);
    const auto value = text::parseNumber(texts[c - 1]);
    if (!value) return false;
    const auto single = text::toFloat32(*value);
    if (!single) return false;
    m(r, c) = *single;
    if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
  }
  if (r == 4) {
    origin = LocalOrigin::Around(texts[0], texts[1], texts[2]);
    std::string scratch;
    for (int c = 1; c <= 3; ++c) m(4, c) = origin.shifted(c - 1, texts[c - 1], m(4, c), scratch);
  }
  return true;
}

PtxLineProgress::PtxLineProgress(PtxProgress progress, std::int64_t length)
    : progress_(progress), length_(static_cast<double>(std::max<std::int64_t>(length, 1))) {}

void PtxLineProgress::check(std::int64_t lines) {
  float fraction = static_cast<float>(static_cast<double>(lines) * kAssumedLineLength / length_);
  if (fraction >= 1.0f) fraction = 1.0f;
  redrawProgressSingle(progress_.window, progress_.ui, fraction, progress_.lastDrawn);
  const float last = progress_.lastDrawn;
  if (!(1.0f - last > 0.05f)) {
    next_ = std::numeric_limits<std::int64_t>::max();  // the capped fraction cannot draw again
    return;
  }
  // Below this count the exact fraction lies further below last + 0.05 than any rounding of it.
  const double below = (static_cast<double>(last) + 0.05 - 1e-6) * length_ / kAssumedLineLength;
  next_ = std::max(lines + 1, static_cast<std::int64_t>(below));
}

PtxPrePass CopyPtxPoints(const std::string& inputPath, const std::string& workPath,
                         PtxProgress progress) {
  PtxPrePass pre;
  const std::int64_t length = io::fileLength(inputPath);
  PtxLineScanner reader;
  if (length < 0 || !reader.open(inputPath)) {
    pre.status = CopyStatus::InputFailed;
    return pre;
  }
  io::OutputFile out;
  if (!out.open(workPath)) {
    pre.status = CopyStatus::OutputFailed;
    return pre;
  }
  std::string_view line;
  std::size_t at[PtxLineScanner::kBlanks];
  int blanks = 0;
  io::ReadResult r = io::ReadResult::Line;
  while (pre.headerLines < kPtxHeaderLines &&
         (r = reader.next(line, at, blanks)) == io::ReadResult::Line) {
    ++pre.headerLines;
    const int row = static_cast<int>(pre.headerLines) - 6;
    if (row >= 1 && !ReadPtxMatrixRow(line, row, pre.matrix, pre.origin)) {
      pre.matrixLine =
          MakeBadLine(pre.headerLines, line, LineProblem::NotANumber, LineFormat::PtxMatrix);
      break;
    }
    out.writeLine(line);
  }

  // Point lines are gathered in a block that goes to the file in one write.
  std::vector<char> block(kBlock + 4096);
  std::size_t used = 0;
  std::int64_t lines = pre.headerLines;
  PtxLineProgress shown(progress, length);
  while (r == io::ReadResult::Line && !pre.matrixLine &&
         (r = reader.next(line, at, blanks)) == io::ReadResult::Line) {
    ++lines;
    const PtxLineKind kind = ClassifyPtxLine(line, at, blanks);
    if (kind == PtxLineKind::TooFewBlanks) {
      pre.stoppedAt = MakeBadLine(lines, line, LineProblem::TooFewFields, LineFormat::PtxPoint);
      break;
    }
    if (kind == PtxLineKind::Point) {
      // x y z, a blank, and everything after the intensity.
      const std::size_t head = at[2], tail = line.size() - at[3] - 1;
      if (block.size() - used < head + tail + 3) block.resize(used + head + tail + 3);
      char* o = block.data() + used;
      std::copy_n(line.data(), head, o);
      o[head] = ' ';
      std::copy_n(line.data() + at[3] + 1, tail, o + head + 1);
      o[head + 1 + tail] = '\r';
      o[head + 2 + tail] = '\n';
      used += head + tail + 3;
      if (used >= kBlock) {
        out.write(std::string_view(block.data(), used));
        used = 0;
      }
    }
    shown.at(lines);
  }
  out.write(std::string_view(block.data(), used));
  if (r == io::ReadResult::Failed) pre.status = CopyStatus::InputFailed;
  if (!out.close() && pre.status == CopyStatus::Done) pre.status = CopyStatus::OutputFailed;
  return pre;
}

std::optional<BadLine> LocatePtxPointLine(const std::string& inputPath, std::int64_t workLine,
                                          LineProblem problem) {
  PtxLineScanner reader;
  if (!reader.open(inputPath)) return std::nullopt;
  std::string_view line;
  std::int64_t number = 0, points = 0;
  std::size_t at[PtxLineScanner::kBlanks];
  int blanks = 0;
  while (reader.next(line, at, blanks) == io::ReadResult::Line) {
    ++number;
    if (number <= kPtxHeaderLines) continue;
    const PtxLineKind kind = ClassifyPtxLine(line, at, blanks);
    if (kind == PtxLineKind::TooFewBlanks) break;
    if (kind == PtxLineKind::Point && ++points == workLine)
      return MakeBadLine(number, line, problem, LineFormat::PtxPoint);
  }
  return std::nullopt;
}

}  // namespace harlowe
