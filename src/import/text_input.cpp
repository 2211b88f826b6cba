#include "import/text_input.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/decimal_text.h"
#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "common/text_util.h"
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

void dropBlanks(std::string_view& rest, std::size_t most) {
  std::size_t i = 0;
  while (i < most && i < rest.size() && rest[i] == ' ') ++i;
  rest.remove_prefix(i);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A coordinate text that goes into the script as it stands must be a number to the CAD's reader:
// [sign] digits [. [digits]] or [sign] . digits, then an optional exponent e [sign] digits, and
// finite. Anything else would stand in the record as a symbol, an empty place or the dot of a
// dotted pair: the CAD would refuse the point, draw it somewhere else, or fail on the whole
// piece of script.
bool isCadNumber(std::string_view t) {
  std::size_t i = 0;
  const std::size_t n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && isDigit(t[i])) ++i, ++digits;
  const std::size_t intDigits = digits;
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && isDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  bool exponent = false, negativeExponent = false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    exponent = true;
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) negativeExponent = t[i++] == '-';
    std::size_t expDigits = 0;
    while (i < n && isDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  // Only an exponent or some 309 digits before the point can leave the double range.
  if (!exponent && intDigits < 300) return true;
  const std::string_view number = t[0] == '+' ? t.substr(1) : t;
  double value = 0;
  const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
  // Out of range below (1e-400) the CAD reads zero, which is where the point is.
  if (res.ec == std::errc::result_out_of_range) return negativeExponent && intDigits < 300;
  return res.ec == std::errc() && std::isfinite(value);
}

}  // namespace

std::string NormalisedCopyPath(const std::string& inputPath) { return inputPath + ".dosasc"; }

// A point line has its blanks within its first 40 or so bytes, so it is read a word at a time:
// with SSE2 sixteen bytes are compared at once; otherwise eight, where each byte that is a blank
// sets the top bit of its byte in a mask (exactly, with no carry between bytes). The set bits
// are taken in order.
int BlankPositions(std::string_view line, int wanted, std::size_t* at) {
  const char* s = line.data();
  const std::size_t n = line.size();
  int found = 0;
  std::size_t i = 0;
  auto take = [&](std::uint64_t mask, std::size_t from, int shift) {
    while (mask != 0 && found < wanted) {
      at[found++] = from + static_cast<std::size_t>(std::countr_zero(mask) >> shift);
      mask &= mask - 1;
    }
  };
#if defined(__SSE2__)
  const __m128i blanks = _mm_set1_epi8(' ');
  auto blankMask = [&](std::size_t from) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from));
    return static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, blanks)));
  };
  for (; i + 16 <= n && found < wanted; i += 16) take(blankMask(i), i, 0);
  if (found == wanted) return found;
  if (n >= 16 && i < n) {
    // The last sixteen bytes of the line, without those already looked at.
    take(blankMask(n - 16) >> (i - (n - 16)), i, 0);
    return found;
  }
#else
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kBlanks = 0x2020202020202020ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
    for (; i + 8 <= n && found < wanted; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, s + i, sizeof w);
      const std::uint64_t x = w ^ kBlanks;  // blanks are now zero bytes
      take(~(((x & kLow7) + kLow7) | x | kLow7), i, 3);
    }
    if (found == wanted) return found;
  }
#endif
  for (; i < n && found < wanted; ++i) {
    if (s[i] == ' ') at[found++] = i;
  }
  return found;
}

namespace {

// The six fields of a line cut at the given five blanks; B is the rest of the line.
void fieldsAt(std::string_view line, const std::size_t at[5], ParsedPoint& out) {
  const char* s = line.data();
  auto field = [s](std::size_t from, std::size_t to) {
    return std::string_view(s + from, to - from);
  };
  out.x = field(0, at[0]);
  out.y = field(at[0] + 1, at[1]);
  out.z = field(at[1] + 1, at[2]);
  out.r = field(at[2] + 1, at[3]);
  out.g = field(at[3] + 1, at[4]);
  out.b = field(at[4] + 1, line.size());
}

constexpr double kExactPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The common form of a coordinate, [sign] digits [. digits] with at most 15 digits, read from p
// on in one pass; p is left after it. The digits form a whole number below 2^53 and the scale is
// a power of ten up to 10^15, both exact, so their quotient is the correctly rounded value, as
// the general reader gives it, and out is its float. False for any other text, which then takes
// the general road.
inline bool plainFloatAt(const char*& p, const char* end, float& out) {
  if (p == end) return false;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const char* const first = p;
  std::uint64_t v = 0;
  while (p < end && static_cast<unsigned>(*p - '0') < 10)
    v = v * 10 + static_cast<unsigned>(*p++ - '0');
  auto digits = static_cast<std::size_t>(p - first);
  std::size_t fraction = 0;
  if (p < end && *p == '.') {
    const char* const point = ++p;
    while (p < end && static_cast<unsigned>(*p - '0') < 10)
      v = v * 10 + static_cast<unsigned>(*p++ - '0');
    fraction = static_cast<std::size_t>(p - point);
    digits += fraction;
  }
  if (digits == 0 || digits > 15) return false;
  const double value = static_cast<double>(v) / kExactPowersOfTen[fraction];
  out = static_cast<float>(negative ? -value : value);
  return true;
}

bool plainCoordinate(std::string_view t, float& out) {
  const char* p = t.data();
  const char* const end = p + t.size();
  return plainFloatAt(p, end, out) && p == end;
}

// TABs become blanks, in place: a TAB-separated export reads like its blank-separated twin.
void tabsToBlanks(char* p, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // A TAB xor (TAB xor blank) is a blank; every other byte is xored with 0.
  const __m128i tab = _mm_set1_epi8('\t'), flip = _mm_set1_epi8('\t' ^ ' ');
  for (; i + 16 <= n; i += 16) {
    auto* at = reinterpret_cast<__m128i*>(p + i);
    const __m128i w = _mm_loadu_si128(at);
    _mm_storeu_si128(at, _mm_xor_si128(w, _mm_and_si128(_mm_cmpeq_epi8(w, tab), flip)));
  }
#endif
  for (; i < n; ++i)
    if (p[i] == '\t') p[i] = ' ';
}

// The line ends of a copy, block by block: every line end of the input (CR LF, a lone LF or a
// lone CR, mixed in any way, also across block boundaries) is written as CR LF, and a UTF-8
// byte-order mark before the first line is left out. Everything else passes byte for byte.
class LineEndCopy {
 public:
  // The room the converted bytes of a block of n bytes may need: a lone LF or CR becomes two.
  static std::size_t room(std::size_t n) { return 2 * n; }

  // Converts [p, end) to o on. onLineEnd() runs after each line end written; when it returns
  // false the conversion stops there, with p after that line end. False then.
  template <class OnLineEnd>
  bool convert(const char*& p, const char* end, char*& o, OnLineEnd&& onLineEnd) {
    if (first_) {
      first_ = false;
      if (std::string_view(p, static_cast<std::size_t>(end - p)).starts_with(kUtf8Bom))
        p += kUtf8Bom.size();
    }
    if (crBefore_ && p < end) {
      crBefore_ = false;
      if (*p == '\n') ++p;  // the LF of a CR LF cut by the block boundary
    }
    while (p < end) {
      const char* e = io::FindLineEnd(p, end);
      std::memcpy(o, p, static_cast<std::size_t>(e - p));
      o += e - p;
      if (e == end) {
        open_ = open_ || e > p;
        p = e;
        break;
      }
      *o++ = '\r';
      *o++ = '\n';
      open_ = false;
      if (*e == '\r') {
        if (e + 1 == end)
          crBefore_ = true;
        else if (e[1] == '\n')
          ++e;
      }
      p = e + 1;
      if (!onLineEnd()) return false;
    }
    return true;
  }

  // Bytes have been written since the last line end: the input's last line has none.
  bool lineOpen() const { return open_; }

 private:
  static constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  bool first_ = true;
  bool crBefore_ = false;  // the block before ended with a CR
  bool open_ = false;
};

}  // namespace

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
  io::InputFile in;
  if (length < 0 || !in.open(inputPath)) return CopyStatus::InputFailed;
  io::OutputFile out;
  if (!out.open(copyPath)) return CopyStatus::OutputFailed;

  std::vector<char> block(kCopyBlock);
  std::vector<char> converted(LineEndCopy::room(block.size()));
  LineEndCopy ends;
  std::int64_t lines = 0;
  auto lineWritten = [&] {
    ++lines;
    if (progress.lastDrawn < 1.0) {
      // The redraw step decides; the same test here saves a call for the lines it would skip.
      const double fraction =
          static_cast<double>(lines) * kAssumedLineLength / static_cast<double>(length);
      if (fraction - progress.lastDrawn > kProgressThreshold) {
        redrawProgress(progress.window, progress.ui, fraction, progress.lastDrawn,
                       kProgressThreshold, progress.turn);
      }
    }
    return lines < maxLines;
  };
  bool limitReached = maxLines <= 0;
  while (!limitReached) {
    const std::size_t got = in.read(block.data(), block.size());
    if (got == 0) break;
    tabsToBlanks(block.data(), got);
    const char* p = block.data();
    char* o = converted.data();
    limitReached = !ends.convert(p, p + got, o, lineWritten);
    out.write(std::string_view(converted.data(), static_cast<std::size_t>(o - converted.data())));
  }
  // The last line needs no line end in the input; in the copy it gets one.
  if (!limitReached && ends.lineOpen()) {
    out.write("\r\n");
    lineWritten();
  }
  const bool readFailed = in.failed();
  in.close();
  if (!out.close()) return CopyStatus::OutputFailed;
  return readFailed ? CopyStatus::InputFailed : CopyStatus::Done;
}

CopyStatus CopyByChunks(const std::string& inputPath, const std::string& copyPath,
                        CopyProgress progress, bool capFraction) {
  const std::int64_t length = io::fileLength(inputPath);
  io::InputFile in;
  if (length < 0 || !in.open(inputPath)) return CopyStatus::InputFailed;
  io::OutputFile out;
  if (!out.open(copyPath)) return CopyStatus::OutputFailed;

  std::vector<char> block(kChunk * kChunksPerBlock);
  std::vector<char> converted(LineEndCopy::room(block.size()));
  LineEndCopy ends;
  const double denominator = static_cast<double>(std::max<std::int64_t>(length, 1));
  std::int64_t chunks = 0;
  while (chunks < kMaxChunks) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
                                 static_cast<std::int64_t>(kChunksPerBlock), kMaxChunks - chunks)) *
                             kChunk;
    const std::size_t got = in.read(block.data(), want);
    if (got == 0) break;
    // A TAB-separated file with LF line ends (as other systems write it) reads like its CR LF
    // twin, whose TABs the line copy turns into blanks.
    tabsToBlanks(block.data(), got);
    const char* p = block.data();
    char* o = converted.data();
    ends.convert(p, p + got, o, [] { return true; });
    out.write(std::string_view(converted.data(), static_cast<std::size_t>(o - converted.data())));

    const std::size_t chunksRead = (got + kChunk - 1) / kChunk;
    for (std::size_t i = 0; i < chunksRead; ++i) {
      ++chunks;
      double fraction = static_cast<double>(chunks) * static_cast<double>(kChunk) / denominator;
      if (capFraction) fraction = std::min(fraction, 1.0);
      redrawProgress(progress.window, progress.ui, fraction, progress.lastDrawn, kProgressThreshold,
                     progress.turn);
    }
    if (got < want) break;
  }
  const bool readFailed = in.failed();
  in.close();
  if (!out.close()) return CopyStatus::OutputFailed;
  return readFailed ? CopyStatus::InputFailed : CopyStatus::Done;
}

CopyStatus NormaliseTextInput(const std::string& inputPath, const std::string& copyPath,
                              CopyProgress progress, bool capChunkFraction,
                              bool windowForChunkCopyOnly) {
  const std::optional<bool> crlf = PrescanLineEnds(inputPath);
  if (!crlf) return CopyStatus::InputFailed;
  if (*crlf) return CopyByLines(inputPath, copyPath, progress);
  if (windowForChunkCopyOnly) progress.window.show();
  const CopyStatus copied = CopyByChunks(inputPath, copyPath, progress, capChunkFraction);
  if (windowForChunkCopyOnly) progress.window.unload();
  return copied;
}

std::string ParsedPoint::colourText() const {
  std::string t;
  t.append(r).append(" ").append(g).append(" ").append(b);
  return t;
}

bool ParsePointStrict(std::string_view line, int fieldCount, ParsedPoint& out) {
  out = ParsedPoint{};
  const int cuts = fieldCount == 3 ? 3 : 5;
  std::size_t at[5];
  if (BlankPositions(line, cuts, at) < cuts) return false;
  if (fieldCount == 3) {
    out.x = line.substr(0, at[0]);
    out.y = line.substr(at[0] + 1, at[1] - at[0] - 1);
    out.z = line.substr(at[1] + 1, at[2] - at[1] - 1);
    return true;
  }
  fieldsAt(line, at, out);
  return true;
}

bool ParsePointLenient(std::string_view line, ParsedPoint& out) {
  // A line with single blanks between its first six fields (the usual case) leaves no blank to
  // drop: it is cut as the strict parser cuts it, less one trailing blank of B.
  std::size_t at[5];
  if (BlankPositions(line, 5, at) == 5) {
    bool single = true;
    for (std::size_t b : at) single = single && (b + 1 == line.size() || line[b + 1] != ' ');
    if (single) {
      fieldsAt(line, at, out);
      if (!out.b.empty() && out.b.back() == ' ') out.b.remove_suffix(1);
      return true;
    }
  }
  std::string_view rest = line;
  out = ParsedPoint{};
  if (!text::cutAtBlank(rest, out.x)) return false;
  dropBlanks(rest, 3);
  if (!text::cutAtBlank(rest, out.y)) return false;
  dropBlanks(rest, 3);
  if (!text::cutAtBlank(rest, out.z)) return false;
  dropBlanks(rest, 3);
  dropBlanks(rest, 5);
  if (!text::cutAtBlank(rest, out.r)) return false;
  dropBlanks(rest, 5);
  if (!text::cutAtBlank(rest, out.g)) return false;
  dropBlanks(rest, 5);
  if (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  out.b = rest;
  return true;
}

bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& scratch,
                         std::string_view& result) {
  if (drawUnit != "mm") {
    result = text;
    return isCadNumber(result);
  }
  // A coordinate is a number whose float, and that float times 1000, are finite: the same test
  // as the thinnings make.
  float single;
  if (!CoordinateFloat(text, single) || !CoordinateScales(text, single, drawUnit)) return false;
  text::DecimalDigits digits;
  if (single == 0 || !text::ParseDecimalDigits(text, digits)) {
    scratch.assign(1, '0');  // zero, or a value below the float range: 0 as the thinnings read it
  } else if (!text::WriteDecimalSum(digits, 3, 0, 0, scratch)) {
    // Digits more than a thousand places apart: the value to 7 digits.
    char buf[text::kFloatTextMax];
    scratch.assign(buf, text::floatTextTo(static_cast<float>(single * 1000.0), buf));
  }
  result = scratch;
  return true;
}

bool ScaleCoordinateText(std::string_view text, std::string_view drawUnit, std::string& out) {
  std::string_view result;
  if (!ScaleCoordinateText(text, drawUnit, out, result)) return false;
  if (result.data() != out.data()) out.assign(result);
  return true;
}

bool CoordinateFloat(std::string_view text, float& value) {
  // Returned through a reference: an optional float, built in memory and read back whole, stalls
  // the store forwarding on every call, and this runs three times per line.
  if (plainCoordinate(text, value)) return true;
  const auto number = text::parseNumber(text);
  if (!number) return false;
  value = static_cast<float>(*number);
  return std::isfinite(value);
}

namespace {

// ReadCoordinates, and with a unit the test that the drawing could take each coordinate in it.
bool readCoordinates(std::string_view line, std::array<float, 3>& xyz, LineProblem& problem,
                     const std::string_view* drawUnit) {
  // One pass over the usual form, three plain decimals each ended by a blank; any other form
  // (an exponent, blanks around a number, a field that is no number) takes the general road
  // below, which gives the same values for the usual form. A plain decimal of at most 15 digits
  // is a number to the CAD and stays finite in millimetres: it is drawable in every unit.
  const char* p = line.data();
  const char* const end = p + line.size();
  int i = 0;
  for (; i < 3 && plainFloatAt(p, end, xyz[i]) && p < end && *p == ' '; ++i) ++p;
  if (i == 3) return true;

  std::size_t at[3];
  if (BlankPositions(line, 3, at) < 3) {
    problem = LineProblem::TooFewFields;
    return false;
  }
  std::size_t from = 0;
  for (int f = 0; f < 3; ++f) {
    const std::string_view text = line.substr(from, at[f] - from);
    if (!CoordinateFloat(text, xyz[f]) ||
        (drawUnit && !CoordinateScales(text, xyz[f], *drawUnit))) {
      problem = LineProblem::NotANumber;
      return false;
    }
    from = at[f] + 1;
  }
  return true;
}

}  // namespace

bool ReadCoordinates(std::string_view line, std::array<float, 3>& xyz, LineProblem& problem) {
  return readCoordinates(line, xyz, problem, nullptr);
}

bool ReadCoordinates(std::string_view line, std::string_view drawUnit, std::array<float, 3>& xyz,
                     LineProblem& problem) {
  return readCoordinates(line, xyz, problem, &drawUnit);
}

bool CoordinateScales(std::string_view text, float value, std::string_view drawUnit) {
  if (drawUnit != "mm") return isCadNumber(text);
  return std::isfinite(static_cast<float>(static_cast<double>(value) * 1000.0));
}

}  // namespace harlowe
