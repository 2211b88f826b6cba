#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "tests/fuzz/fuzz_target.h"

namespace harlowe::fuzz {

namespace fs = std::filesystem;

namespace {

std::string gCurrentInput;

const fs::path& scratchBase() {
  // Never destroyed, so that the clean-up at exit can still name it.
  static const fs::path* base = [] {
    std::error_code ec;
    fs::path root = fs::exists("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    auto* p = new fs::path(root / ("harlowe-fuzz-" + std::to_string(::getpid())));
    fs::create_directories(*p);
    // Removed when the process ends normally; a crash leaves it for the person who looks.
    std::atexit([] {
      std::error_code e;
      fs::remove_all(scratchBase(), e);
    });
    return p;
  }();
  return *base;
}

}  // namespace

void setCurrentInput(std::string name) { gCurrentInput = std::move(name); }
const std::string& currentInput() { return gCurrentInput; }

void checkFailed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
  if (!gCurrentInput.empty()) std::fprintf(stderr, "input: %s\n", gCurrentInput.c_str());
  std::fflush(stderr);
  std::abort();
}

fs::path freshScratch(const std::string& name) {
  const fs::path p = scratchBase() / name;
  std::error_code ec;
  fs::remove_all(p, ec);
  fs::create_directories(p);
  return p;
}

std::string programPath(const fs::path& p) {
  std::string s = p.string();
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string listFolder(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename());
  std::string out;
  for (const auto& n : names) out += n + "\n";
  return out;
}

std::vector<std::string> referenceLines(std::string_view s, bool loneLfEnds) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && !(loneLfEnds && s[i] == '\n')) continue;
    lines.emplace_back(s.substr(start, i - start));
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < s.size()) lines.emplace_back(s.substr(start));
  return lines;
}

bool isUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace harlowe::fuzz
