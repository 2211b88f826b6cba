#include "import/ply_header.h"

#include <array>
#include <cmath>
#include <limits>

#include "common/number_text.h"

namespace harlowe {

namespace {

constexpr std::size_t kShownProperties = 12;
constexpr std::size_t kShownElements = 6;

bool isSpace(char c) { return c == ' ' || c == '\t'; }

// The next word of rest (blanks and TABs before it skipped); empty at the end.
std::string_view nextWord(std::string_view& rest) {
  std::size_t i = 0;
  while (i < rest.size() && isSpace(rest[i])) ++i;
  std::size_t j = i;
  while (j < rest.size() && !isSpace(rest[j])) ++j;
  const std::string_view word = rest.substr(i, j - i);
  rest.remove_prefix(j);
  return word;
}

// Integer types whose colour values are read as they stand. 16-bit colours (short, ushort and
// their aliases) are not among them: their values run to 65,535.
bool isByteColourType(std::string_view type) {
  static constexpr std::array<std::string_view, 8> kTypes = {"char", "uchar", "int",   "uint",
                                                             "int8", "uint8", "int32", "uint32"};
  for (std::string_view t : kTypes)
    if (type == t) return true;
  return false;
}

// The whole part of an element count, 0 below 1 (NaN too), capped far beyond any file.
std::int64_t wholeCount(double count) {
  if (!(count >= 1)) return 0;
  const double whole = std::floor(count);
  if (whole >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(whole);
}

// Header text goes into a message: anything but printable ASCII is shown as "?".
std::string shown(std::string_view t) {
  std::string out(t);
  for (char& c : out)
    if (c < 0x20 || c > 0x7E) c = '?';
  return out;
}

std::string describe(const std::vector<PlyProperty>& properties) {
  if (properties.empty()) return "（プロパティなし）";
  std::string out;
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (i == kShownProperties) {
      out += ", …";
      break;
    }
    if (i > 0) out += ", ";
    out += shown(properties[i].type) + " " + shown(properties[i].name);
  }
  return out;
}

bool takesVerticesByPosition(const std::vector<PlyProperty>& v) {
  static constexpr std::array<std::string_view, 6> kNames = {"x", "y", "z", "red", "green", "blue"};
  if (v.size() < kNames.size()) return false;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (v[i].name != kNames[i] || v[i].type == "list") return false;
    if (i >= 3 && !isByteColourType(v[i].type)) return false;
  }
  return true;
}

}  // namespace

bool PlyHeaderScan::take(std::string_view line) {
  ++h_.lines;
  std::string_view rest = line;
  const std::string_view keyword = nextWord(rest);
  if (keyword == "end_header") {
    h_.ended = true;
    return false;
  }
  if (keyword == "format") {
    h_.format = nextWord(rest);
  } else if (keyword == "element") {
    const std::string_view name = nextWord(rest);
    const double count = text::leadingNumber(rest);
    inVertex_ = name == "vertex";
    if (inVertex_) {
      // A later vertex element replaces an earlier one, whose lines then come before it.
      h_.hasVertexElement = true;
      h_.vertexCount = count;
      h_.vertex.clear();
      h_.linesBeforeVertex = declaredLines_;
      h_.elementsBeforeVertex = declared_;
    }
    declare(name, wholeCount(count));
  } else if (keyword == "property" && inVertex_) {
    PlyProperty p;
    p.type = nextWord(rest);
    if (p.type == "list") {
      nextWord(rest);  // the count's type
      nextWord(rest);  // the items' type
    }
    p.name = nextWord(rest);
    h_.vertex.push_back(std::move(p));
  }
  return true;
}

void PlyHeaderScan::declare(std::string_view name, std::int64_t lines) {
  declaredLines_ = lines > std::numeric_limits<std::int64_t>::max() - declaredLines_
                       ? std::numeric_limits<std::int64_t>::max()
                       : declaredLines_ + lines;
  if (declaredShown_ == kShownElements) {
    declared_ += ", …";
  } else if (declaredShown_ < kShownElements) {
    if (declaredShown_ > 0) declared_ += ", ";
    declared_ += shown(name) + " " + text::decimal(lines);
  }
  ++declaredShown_;
}

std::int64_t PlyVertexLines(const PlyHeader& h) { return wholeCount(h.vertexCount); }

std::optional<PlyRefusal> CheckPlyHeader(const PlyHeader& h) {
  if (h.format.starts_with("binary")) return PlyRefusal{NothingReason::PlyBinary, shown(h.format)};
  if (PlyVertexLines(h) == 0) return PlyRefusal{NothingReason::EmptyInput, {}};
  if (!takesVerticesByPosition(h.vertex))
    return PlyRefusal{NothingReason::PlyProperties, describe(h.vertex)};
  return std::nullopt;
}

}  // namespace harlowe
