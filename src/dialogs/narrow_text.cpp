#include "dialogs/narrow_text.h"

#include <cstdint>
#include <iterator>

#include "common/text_util.h"

namespace harlowe::dialogs {

namespace {

constexpr char32_t kVoiced = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoiced = 0xFF9F;  // ﾟ

struct HalfKana {
  char32_t base;
  char32_t mark;  // 0, kVoiced or kSemiVoiced
};

// U+30A1 (ァ) to U+30FA (ヺ); base 0 means the character has no half-width form.
// clang-format off
constexpr HalfKana kKatakana[] = {
    {0xFF67, 0}, {0xFF71, 0}, {0xFF68, 0}, {0xFF72, 0}, {0xFF69, 0},        // ァアィイゥ
    {0xFF73, 0}, {0xFF6A, 0}, {0xFF74, 0}, {0xFF6B, 0}, {0xFF75, 0},        // ウェエォオ
    {0xFF76, 0}, {0xFF76, kVoiced}, {0xFF77, 0}, {0xFF77, kVoiced},         // カガキギ
    {0xFF78, 0}, {0xFF78, kVoiced}, {0xFF79, 0}, {0xFF79, kVoiced},         // クグケゲ
    {0xFF7A, 0}, {0xFF7A, kVoiced}, {0xFF7B, 0}, {0xFF7B, kVoiced},         // コゴサザ
    {0xFF7C, 0}, {0xFF7C, kVoiced}, {0xFF7D, 0}, {0xFF7D, kVoiced},         // シジスズ
    {0xFF7E, 0}, {0xFF7E, kVoiced}, {0xFF7F, 0}, {0xFF7F, kVoiced},         // セゼソゾ
    {0xFF80, 0}, {0xFF80, kVoiced}, {0xFF81, 0}, {0xFF81, kVoiced},         // タダチヂ
    {0xFF6F, 0}, {0xFF82, 0}, {0xFF82, kVoiced}, {0xFF83, 0},               // ッツヅテ
    {0xFF83, kVoiced}, {0xFF84, 0}, {0xFF84, kVoiced},                      // デトド
    {0xFF85, 0}, {0xFF86, 0}, {0xFF87, 0}, {0xFF88, 0}, {0xFF89, 0},        // ナニヌネノ
    {0xFF8A, 0}, {0xFF8A, kVoiced}, {0xFF8A, kSemiVoiced},                  // ハバパ
    {0xFF8B, 0}, {0xFF8B, kVoiced}, {0xFF8B, kSemiVoiced},                  // ヒビピ
    {0xFF8C, 0}, {0xFF8C, kVoiced}, {0xFF8C, kSemiVoiced},                  // フブプ
    {0xFF8D, 0}, {0xFF8D, kVoiced}, {0xFF8D, kSemiVoiced},                  // ヘベペ
    {0xFF8E, 0}, {0xFF8E, kVoiced}, {0xFF8E, kSemiVoiced},                  // ホボポ
    {0xFF8F, 0}, {0xFF90, 0}, {0xFF91, 0}, {0xFF92, 0}, {0xFF93, 0},        // マミムメモ
    {0xFF6C, 0}, {0xFF94, 0}, {0xFF6D, 0}, {0xFF95, 0}, {0xFF6E, 0},        // ャヤュユョ
    {0xFF96, 0}, {0xFF97, 0}, {0xFF98, 0}, {0xFF99, 0}, {0xFF9A, 0},        // ヨラリルレ
    {0xFF9B, 0}, {0, 0}, {0xFF9C, 0}, {0, 0}, {0, 0},                       // ロヮワヰヱ
    {0xFF66, 0}, {0xFF9D, 0}, {0xFF73, kVoiced}, {0, 0}, {0, 0},            // ヲンヴヵヶ
    {0xFF9C, kVoiced}, {0, 0}, {0, 0}, {0xFF66, kVoiced},                   // ヷヸヹヺ
};
// clang-format on

static_assert(std::size(kKatakana) == 0x30FA - 0x30A1 + 1);

char32_t narrowPunctuation(char32_t c) {
  switch (c) {
    case 0x3000:
      return U' ';
    case 0x3001:
      return 0xFF64;  // 、
    case 0x3002:
      return 0xFF61;  // 。
    case 0x300C:
      return 0xFF62;  // 「
    case 0x300D:
      return 0xFF63;  // 」
    case 0x309B:
      return kVoiced;
    case 0x309C:
      return kSemiVoiced;
    case 0x30FB:
      return 0xFF65;  // ・
    case 0x30FC:
      return 0xFF70;  // ー
    default:
      return 0;
  }
}

void encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string narrowText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    std::size_t n = text::decodeUtf8(s, i, c);
    if (n == 0) {  // not UTF-8: keep the byte
      out += s[i++];
      continue;
    }
    i += n;
    if (c >= 0xFF01 && c <= 0xFF5E) {
      encode(c - 0xFF01 + 0x21, out);
    } else if (c >= 0x30A1 && c <= 0x30FA && kKatakana[c - 0x30A1].base != 0) {
      const HalfKana& k = kKatakana[c - 0x30A1];
      encode(k.base, out);
      if (k.mark) encode(k.mark, out);
    } else if (char32_t p = narrowPunctuation(c)) {
      encode(p, out);
    } else {
      encode(c, out);
    }
  }
  return out;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return out;
}

}  // namespace harlowe::dialogs
