#include "common/text_util.h"

namespace harlowe::text {

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

}  // namespace harlowe::text
