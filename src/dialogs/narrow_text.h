#pragma once
// The narrow form of a text, as the layer-name checks compare it: full-width ASCII letters,
// digits and signs (and the ideographic space) become their ASCII forms, full-width katakana and
// Japanese punctuation become half-width katakana (a voiced kana becomes the base kana followed by
// the half-width voicing mark). Everything else, hiragana and kanji included, is kept. Text is
// UTF-8; invalid bytes are kept as they are.
#include <string>
#include <string_view>

namespace harlowe::dialogs {

std::string narrowText(std::string_view utf8);

// ASCII letters to upper case; every other character unchanged.
std::string upperAscii(std::string_view utf8);

}  // namespace harlowe::dialogs
