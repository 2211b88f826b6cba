#include "standin/cad/lisp/file_text.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>

#include "standin/cad/lisp/drawing.h"

namespace standin::lisp {

namespace fs = std::filesystem;

fs::path utf8Path(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string pathUtf8(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

bool readWholeFile(const fs::path& file, std::string& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  in.read(bytes.data(), size);
  return static_cast<std::streamoff>(in.gcount()) == size;
}

fs::path findNoCase(const fs::path& folder, std::string_view name) {
  std::error_code ec;
  fs::path exact = folder / utf8Path(name);
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (sameName(pathUtf8(it->path().filename()), name) && it->is_regular_file(ec)) {
      return it->path();
    }
  }
  return {};
}

bool replaceFile(const fs::path& file, std::string_view bytes) {
  fs::path tmp = file;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return false;
  }
  // A reader that has the file open can make the rename fail for a moment on Windows.
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::error_code ec;
    fs::rename(tmp, file, ec);
    if (!ec) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace standin::lisp
