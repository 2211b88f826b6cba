#include "tests/support/cp932_codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace harlowe::test {

namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Length of the byte sequence to drop when iconv rejects the input at `p`.
std::size_t utf8Skip(const char* p, std::size_t left) {
  const auto c = static_cast<unsigned char>(*p);
  std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  n = std::min(n, left);
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return i;
  }
  return n;
}

std::size_t cp932Skip(const char*, std::size_t) { return 1; }

// Converts with iconv; a rejected sequence becomes "?" and is skipped.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::size_t (*skip)(const char*, std::size_t)) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert CP932");
  std::string out(in.size() * 3 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      const std::size_t used = out.size() - dstLeft;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = out.size() - used;
      continue;
    }
    // EILSEQ or an incomplete sequence at the end (EINVAL).
    const std::size_t n = skip(src, srcLeft);
    // Windows gives one "?" per UTF-16 unit: a character beyond the BMP (a surrogate pair)
    // becomes "??".
    const std::size_t marks = n == 4 ? 2 : 1;
    for (std::size_t k = 0; k < marks; ++k) {
      if (dstLeft == 0) {
        const std::size_t used = out.size();
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = out.size() - used;
      }
      *dst++ = '?';
      --dstLeft;
    }
    src += n;
    srcLeft -= n;
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

// Characters that iconv maps into CP932 one way only (¥ to 0x5C, ‾ to 0x7E, ¢ £ ¬ — ‖ − 〜 to
// look-alikes), found by a round trip of every BMP character. Windows converts with
// WC_NO_BEST_FIT_CHARS and makes each of them "?"; so does this fake, or a "¥" would become a
// backslash in a script that the real program writes correctly.
constexpr std::u32string_view kOneWay = U"\u00A2\u00A3\u00A5\u00AC\u2014\u2016\u203E\u2212\u301C";

// The text with each one-way character replaced by "?". A byte that starts no whole UTF-8
// character passes alone (iconv makes it "?"), so the character after it is still looked at.
std::string withoutOneWay(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    bool whole = n > 1 && i + n <= utf8.size();
    char32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; whole && k < n; ++k) {
      whole = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
      c = (c << 6) | (utf8[i + k] & 0x3F);
    }
    if (!whole) {
      out += utf8[i++];
      continue;
    }
    if (kOneWay.find(c) != std::u32string_view::npos) {
      out += '?';
    } else {
      out.append(utf8.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace

std::string Cp932CodePage::toAnsi(std::string_view utf8) const {
  if (isAscii(utf8)) return std::string(utf8);
  return convert("CP932", "UTF-8", withoutOneWay(utf8), utf8Skip);
}

std::string Cp932CodePage::fromAnsi(std::string_view ansi) const {
  if (isAscii(ansi)) return std::string(ansi);
  return convert("UTF-8", "CP932", ansi, cp932Skip);
}

}  // namespace harlowe::test
