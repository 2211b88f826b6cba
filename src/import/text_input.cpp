#include "import/text_input.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "import/progress.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;
constexpr std::size_t kPrescanWindow = 10'000;
constexpr std::size_t kChunk = 10'000;
// Chunks moved per read and write; the progress still advances chunk by chunk.
constexpr std::size_t kChunksPerBlock = 128;
constexpr std::int64_t kMaxChunks = 100'000'000;
constexpr double kAssumedLineLength = 35.0;
constexpr std::size_t kCopyBlock = 1 << 20;

bool cut(std::string_view& rest, std::string_view& field) {
  const auto blank = rest.find(' ');
  if (blank == std::string_view::npos) return false;
  field = rest.substr(0, blank);
  rest.remove_prefix(blank + 1);
  return true;
}

void dropBlanks(std::string_view& rest, std::size_t most) {
  std::size_t i = 0;
  while (i < most && i < rest.size() && rest[i] == ' ') ++i;
  rest.remove_prefix(i);
}

constexpr auto kCoordinateCharacters = [] {
  std::array<bool, 256> table{};
  for (char c : std::string_view("0123456789+-.Ee")) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

bool coordinateCharacters(std::string_view t) {
  for (char c : t)
    if (!kCoordinateCharacters[static_cast<unsigned char>(c)]) return false;
  return true;
}

}  // namespace

std::string NormalisedCopyPath(const std::string& inputPath) { return inputPath + ".dosasc"; }

std::optional<bool> PrescanLineEnds(const std::string& inputPath) {
  io::InputFile in;
  if (!in.open(inputPath)) return std::nullopt;
  char buf[kPrescanWindow];
  const std::size_t got = in.read(buf, sizeof buf);
  if (in.failed()) return std::nullopt;
  const std::string_view window(buf, got);
  return window.find("\r\n") != std::string_view::npos;
}

CopyStatus CopyByLines(const std::string& inputPath, const std::string& copyPath,
                       CopyProgress progress, std::int64_t maxLines) {
  const std::int64_t length = io::fileLength(inputPath);
  io::LineReader reader;
  if (length < 0 || !reader.open(inputPath)) return CopyStatus::InputFailed;
  io::OutputFile out;
  if (!out.open(copyPath)) return CopyStatus::OutputFailed;

  CopyStatus status = CopyStatus::Done;
  // Lines are gathered in a block that goes to the file in one write.
  std::string block;
  block.reserve(kCopyBlock + 4096);
  std::int64_t lines = 0;
  std::string_view view;
  while (lines < maxLines) {
    const io::ReadResult r = reader.next(view);
    if (r == io::ReadResult::EndOfData) break;
    if (r == io::ReadResult::Failed) {
      status = CopyStatus::InputFailed;
      break;
    }
    ++lines;
    const auto tab = view.find('\t');
    if (tab == std::string_view::npos) {
      status = CopyStatus::StoppedAtLineWithoutTab;
      break;
    }
    const std::size_t at = block.size();
    block.append(view).append("\r\n");
    std::replace(block.begin() + static_cast<std::ptrdiff_t>(at + tab), block.end() - 2, '\t', ' ');
    if (block.size() >= kCopyBlock) {
      out.write(block);
      block.clear();
    }
    if (progress.lastDrawn < 1.0) {
      redrawProgress(progress.window, progress.ui,
                     static_cast<double>(lines) * kAssumedLineLength / static_cast<double>(length),
                     progress.lastDrawn, kProgressThreshold);
    }
  }
  out.write(block);
  reader.close();
  if (!out.close()) return CopyStatus::OutputFailed;
  return status;
}

CopyStatus CopyByChunks(const std::string& inputPath, const std::string& copyPath,
                        CopyProgress progress, bool capFraction) {
  const std::int64_t length = io::fileLength(inputPath);
  io::InputFile in;
  if (length < 0 || !in.open(inputPath)) return CopyStatus::InputFailed;
  io::OutputFile out;
  if (!out.open(copyPath)) return CopyStatus::OutputFailed;

  std::vector<char> block(kChunk * kChunksPerBlock);
  std::string converted;
  converted.reserve(block.size() * 2);
  const double denominator = static_cast<double>(std::max<std::int64_t>(length, 1));
  std::int64_t chunks = 0;
  while (chunks < kMaxChunks) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
                                 static_cast<std::int64_t>(kChunksPerBlock), kMaxChunks - chunks)) *
                             kChunk;
    const std::size_t got = in.read(block.data(), want);
    if (got == 0) break;

    // Every LF becomes CR LF; the rest passes byte for byte.
    converted.clear();
    const char* p = block.data();
    const char* end = p + got;
    while (p < end) {
      const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      if (!lf) {
        converted.append(p, end);
        break;
      }
      const char* at = static_cast<const char*>(lf);
      converted.append(p, at);
      converted.append("\r\n");
      p = at + 1;
    }
    out.write(converted);

    const std::size_t chunksRead = (got + kChunk - 1) / kChunk;
    for (std::size_t i = 0; i < chunksRead; ++i) {
      ++chunks;
      double fraction = static_cast<double>(chunks) * static_cast<double>(kChunk) / denominator;
      if (capFraction) fraction = std::min(fraction, 1.0);
      redrawProgress(progress.window, progress.ui, fraction, progress.lastDrawn,
                     kProgressThreshold);
    }
    if (got < want) break;
  }
  const bool readFailed = in.failed();
  in.close();
  if (!out.close()) return CopyStatus::OutputFailed;
  return readFailed ? CopyStatus::InputFailed : CopyStatus::Done;
}

std::string ParsedPoint::colourText() const {
  std::string t;
  t.append(r).append(" ").append(g).append(" ").append(b);
  return t;
}

bool ParsePointStrict(std::string_view line, int fieldCount, ParsedPoint& out) {
  std::string_view rest = line;
  out = ParsedPoint{};
  if (!cut(rest, out.x) || !cut(rest, out.y) || !cut(rest, out.z)) return false;
  if (fieldCount == 3) return true;
  if (!cut(rest, out.r) || !cut(rest, out.g)) return false;
  out.b = rest;
  return true;
}

bool ParsePointLenient(std::string_view line, ParsedPoint& out) {
  std::string_view rest = line;
  out = ParsedPoint{};
  if (!cut(rest, out.x)) return false;
  dropBlanks(rest, 3);
  if (!cut(rest, out.y)) return false;
  dropBlanks(rest, 3);
  if (!cut(rest, out.z)) return false;
  dropBlanks(rest, 3);
  dropBlanks(rest, 5);
  if (!cut(rest, out.r)) return false;
  dropBlanks(rest, 5);
  if (!cut(rest, out.g)) return false;
  dropBlanks(rest, 5);
  if (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  out.b = rest;
  return true;
}

bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& scratch,
                         std::string_view& result) {
  if (drawUnit == "mm") {
    const auto value = text::parseNumber(text);
    if (!value) return false;
    const auto single = text::toFloat32(*value);
    if (!single) return false;
    // float × 1000 is exact in double; rounding it once gives the single-precision product.
    const auto scaled = text::toFloat32(static_cast<double>(*single) * 1000.0);
    if (!scaled) return false;
    char buf[text::kFloatTextMax];
    scratch.assign(buf, text::floatTextTo(*scaled, buf));
    result = scratch;
  } else {
    result = text;
  }
  return coordinateCharacters(result);
}

bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& out) {
  std::string_view result;
  if (!ScaleCoordinateText(text, drawUnit, out, result)) return false;
  if (result.data() != out.data()) out.assign(result);
  return true;
}

}  // namespace harlowe
