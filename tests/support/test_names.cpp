#include "tests/support/test_names.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "common/text_util.h"

namespace harlowe::test {

namespace {

constexpr std::pair<char32_t, const char*> kSignWords[] = {
    {U' ', "blank"}, {U'-', "minus"}, {U'.', "point"}, {U'+', "plus"}};

bool isNameChar(char32_t c) {
  return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
         c == U'_';
}

std::string hex(const char* prefix, unsigned value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s%0*X", prefix, digits, value);
  return buf;
}

}  // namespace

std::string caseName(std::string_view s) {
  if (s.empty()) return "empty";
  std::vector<std::string> parts;
  enum class Run { None, Ascii, Wide } run = Run::None;
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    std::size_t n = text::decodeUtf8(s, i, c);
    if (n == 0) {  // not UTF-8: the byte itself
      parts.push_back(hex("x", static_cast<unsigned char>(s[i]), 2));
      run = Run::None;
      ++i;
      continue;
    }
    i += n;
    const bool wide = c >= 0xFF01 && c <= 0xFF5E && isNameChar(c - 0xFF01 + 0x21);
    if (isNameChar(c) || wide) {
      const Run kind = wide ? Run::Wide : Run::Ascii;
      if (run != kind) parts.push_back(wide ? "wide_" : "");
      run = kind;
      parts.back() += static_cast<char>(wide ? c - 0xFF01 + 0x21 : c);
      continue;
    }
    run = Run::None;
    const char* word = nullptr;
    for (const auto& [sign, w] : kSignWords)
      if (c == sign) word = w;
    parts.push_back(word ? std::string(word) : hex("u", static_cast<unsigned>(c), 4));
  }
  std::string name;
  for (const std::string& p : parts) {
    if (!name.empty()) name += '_';
    name += p;
  }
  return name;
}

}  // namespace harlowe::test
