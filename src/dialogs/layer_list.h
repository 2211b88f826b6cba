#pragma once
// Lay.dat, the layer names that the layer form offers: items separated by commas and line ends;
// blanks before an item are skipped; an item in double quotes runs to the closing quote (commas
// inside belong to it, anything between the closing quote and the next separator is dropped);
// any other item runs to the next comma or line end without its trailing blanks; an empty line or
// nothing between two commas is an empty item; a line end after the last item adds none. CR LF,
// a lone CR and a lone LF all end a line. Empty items and duplicates are kept, in file order.
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace harlowe::dialogs {

std::vector<std::string> parseLayerItems(std::string_view text);

// Reads and parses the file (ANSI code page). A missing or unreadable file gives no items: the
// user can still type a new layer.
std::vector<std::string> readLayerFile(const std::string& utf8Path,
                                       const platform::CodePage& codePage);

}  // namespace harlowe::dialogs
