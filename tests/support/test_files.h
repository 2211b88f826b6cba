#pragma once
// Small file helpers shared by the tests that compare written files byte for byte.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/support/cp932_codepage.h"

namespace harlowe::test {

// The bytes a file of the system would hold for a UTF-8 text written with "\n" line ends:
// CP932 with CR LF.
inline std::string cp932(const std::string& utf8WithLf) {
  std::string crlf;
  for (char c : utf8WithLf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Cp932CodePage().toAnsi(crlf);
}

inline std::string readFileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFileBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// A fresh folder for one test, removed with everything in it afterwards. Paths into it are
// given in the program's own form, with "\\" separators.
struct TempDir {
  std::filesystem::path path;
  explicit TempDir(const std::string& prefix) {
    path =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string appDir() const { return path.string() + "\\"; }
  std::string file(const char* name) const { return path.string() + "\\" + name; }
};

}  // namespace harlowe::test
