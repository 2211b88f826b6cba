#include "common/text_util.h"

namespace harlowe::text {

bool cutAtBlank(std::string_view& rest, std::string_view& field) {
  const auto blank = rest.find(' ');
  if (blank == std::string_view::npos) return false;
  field = rest.substr(0, blank);
  rest.remove_prefix(blank + 1);
  return true;
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (!from.empty() && s.substr(i, from.size()) == from) {
      out += to;
      i += from.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string lispEscape(std::string_view s) {
  // In UTF-8 the bytes '\\' and '"' only ever stand for themselves.
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
  auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  c = n == 1 ? b : b & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    c = (c << 6) | (t & 0x3F);
  }
  return n;
}

std::size_t utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t n = decodeUtf8(utf8, i, c);
    // A malformed byte becomes one replacement character; beyond the basic plane, a pair.
    units += n != 0 && c >= 0x10000 ? 2 : 1;
    i += n != 0 ? n : 1;
  }
  return units;
}

}  // namespace harlowe::text
