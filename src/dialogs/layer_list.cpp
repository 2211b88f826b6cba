#include "dialogs/layer_list.h"

#include "common/file_io.h"

namespace harlowe::dialogs {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::vector<std::string> parseLayerItems(std::string_view s) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  const std::size_t n = s.size();
  while (pos < n) {
    while (pos < n && isBlank(s[pos])) ++pos;
    std::string_view item;
    if (pos < n && s[pos] == '"') {
      std::size_t close = s.find('"', pos + 1);
      if (close == std::string_view::npos) close = n;
      item = s.substr(pos + 1, close - pos - 1);
      pos = close < n ? close + 1 : n;
      while (pos < n && s[pos] != ',' && !isLineEnd(s[pos])) ++pos;
    } else {
      std::size_t start = pos;
      while (pos < n && s[pos] != ',' && !isLineEnd(s[pos])) ++pos;
      std::size_t end = pos;
      while (end > start && isBlank(s[end - 1])) --end;
      item = s.substr(start, end - start);
    }
    if (pos < n) {
      if (s[pos] == '\r' && pos + 1 < n && s[pos + 1] == '\n') ++pos;
      ++pos;  // the comma or line end
    }
    items.emplace_back(item);
  }
  return items;
}

std::vector<std::string> readLayerFile(const std::string& utf8Path,
                                       const platform::CodePage& codePage) {
  io::InputFile in;
  if (!in.open(utf8Path)) return {};
  std::string bytes;
  char buf[1 << 14];
  while (std::size_t got = in.read(buf, sizeof buf)) bytes.append(buf, got);
  const bool failed = in.failed();
  in.close();
  if (failed) return {};
  return parseLayerItems(codePage.fromAnsi(bytes));
}

}  // namespace harlowe::dialogs
