#include <cctype>
#include <system_error>

#include "common/file_io.h"

namespace harlowe::io {

int removeMatchingPrefix(const std::string& utf8Folder, std::string_view prefix) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int removed = 0;
  for (const auto& entry : fs::directory_iterator(toFsPath(utf8Folder), ec)) {
    if (!entry.is_regular_file(ec)) continue;
    std::u8string name = entry.path().filename().u8string();
    if (name.size() < prefix.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < prefix.size() && match; ++i) {
      match = std::tolower(static_cast<unsigned char>(name[i])) ==
              std::tolower(static_cast<unsigned char>(prefix[i]));
    }
    if (match && fs::remove(entry.path(), ec)) ++removed;
  }
  return removed;
}

}  // namespace harlowe::io
