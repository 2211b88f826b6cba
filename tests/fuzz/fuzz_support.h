#pragma once
// What the fuzz targets share: taking options and texts from the input bytes, a scratch folder
// that is empty at the start of every input, and whole-file reads and writes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harlowe::fuzz {

// Takes the input apart from its front: single bytes for options, length-prefixed texts, and
// the rest. Reading past the end gives zeros and empty texts, so every input is usable.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : p_(reinterpret_cast<const char*>(data)), n_(size) {}
  std::uint8_t byte() { return n_ > 0 ? (--n_, static_cast<std::uint8_t>(*p_++)) : 0; }
  // One byte mapped onto lo..hi.
  int pick(int lo, int hi) { return lo + byte() % (hi - lo + 1); }
  // A length byte (at most maxLen) and that many bytes.
  std::string_view text(std::size_t maxLen) {
    const std::size_t want = std::min<std::size_t>(byte(), maxLen);
    const std::size_t len = std::min(want, n_);
    std::string_view t(p_, len);
    p_ += len;
    n_ -= len;
    return t;
  }
  std::string_view rest() {
    std::string_view t(p_, n_);
    p_ += n_;
    n_ = 0;
    return t;
  }

 private:
  const char* p_;
  std::size_t n_;
};

// A folder of this process below the system's temporary folder, emptied (and created) on each
// call: a target calls it once per input. `name` keeps the folders of several uses apart.
std::filesystem::path freshScratch(const std::string& name);

// The program's own form of a path below the scratch folder ("\" separators).
std::string programPath(const std::filesystem::path& p);

std::string readBytes(const std::filesystem::path& p);
void writeBytes(const std::filesystem::path& p, std::string_view bytes);

// The files of a folder (names only), sorted.
std::string listFolder(const std::filesystem::path& folder);

// The lines of a text as the line reader cuts them, written plainly as a reference: a line ends
// at CR LF or a lone CR, and with loneLfEnds at a lone LF too (else a lone LF stays inside the
// line); a last line without an end is a line.
std::vector<std::string> referenceLines(std::string_view text, bool loneLfEnds = false);

// The input being replayed, named in the report of a failed check.
void setCurrentInput(std::string name);
const std::string& currentInput();

// True when the bytes are valid UTF-8.
bool isUtf8(std::string_view s);

}  // namespace harlowe::fuzz
