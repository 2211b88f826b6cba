#pragma once
// Small character-level helpers on UTF-8 text.
#include <cstddef>
#include <string>
#include <string_view>

namespace harlowe::text {

// Replaces every occurrence of `from` (one character) by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

// Cuts the text before the first blank into `field` and leaves what follows that blank in
// `rest`; false (and nothing changed) when there is no blank.
bool cutAtBlank(std::string_view& rest, std::string_view& field);

// Escapes a text for an AutoLISP string literal: "\" becomes "\\" and a double quote "\"".
// Works on characters (UTF-8), so it never touches a trail byte of a double-byte character.
std::string lispEscape(std::string_view s);

// The length of a UTF-8 text in UTF-16 code units, as Windows counts a path's length.
std::size_t utf16Length(std::string_view utf8);

// Decodes one UTF-8 character at s[i] into c; returns its length in bytes, or 0 for a malformed
// or cut-off sequence.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c);

}  // namespace harlowe::text
