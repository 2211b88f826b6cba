#include "common/file_io.h"

#include <algorithm>
#include <system_error>

namespace harlowe::io {

namespace {

constexpr std::size_t kOutputBufferSize = 1 << 20;
constexpr std::size_t kInputBufferSize = 1 << 20;

std::FILE* openFile(const std::string& utf8Path, bool write, bool append) {
  const std::filesystem::path p = toFsPath(utf8Path);
#ifdef _WIN32
  const wchar_t* mode = write ? (append ? L"ab" : L"wb") : L"rb";
  return _wfopen(p.c_str(), mode);
#else
  const char* mode = write ? (append ? "ab" : "wb") : "rb";
  return std::fopen(p.c_str(), mode);
#endif
}

}  // namespace

std::filesystem::path toFsPath(const std::string& utf8Path) {
#ifdef _WIN32
  // From UTF-8 explicitly: the narrow constructor would take the text as ANSI.
  std::u8string u8(utf8Path.size(), u8'\0');
  std::transform(utf8Path.begin(), utf8Path.end(), u8.begin(),
                 [](char c) { return static_cast<char8_t>(c); });
  return std::filesystem::path(u8);
#else
  std::string p = utf8Path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return std::filesystem::path(p);
#endif
}

std::int64_t fileLength(const std::string& utf8Path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(toFsPath(utf8Path), ec);
  if (ec) return -1;
  return static_cast<std::int64_t>(size);
}

bool fileExists(const std::string& utf8Path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(toFsPath(utf8Path), ec);
}

bool removeFile(const std::string& utf8Path) {
  const auto p = toFsPath(utf8Path);
  std::error_code ec;
  std::filesystem::remove(p, ec);
  return std::filesystem::symlink_status(p, ec).type() == std::filesystem::file_type::not_found;
}

bool renameFile(const std::string& utf8From, const std::string& utf8To) {
  std::error_code ec;
  std::filesystem::rename(toFsPath(utf8From), toFsPath(utf8To), ec);
  return !ec;
}

// ---- OutputFile

OutputFile::~OutputFile() { close(); }

bool OutputFile::open(const std::string& utf8Path, bool append) {
  close();
  failed_ = false;
  buffer_.clear();
  file_ = openFile(utf8Path, true, append);
  if (!file_) {
    failed_ = true;
    return false;
  }
  // Our own buffer collects the bytes; a second one in the C library would only copy them again.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  buffer_.reserve(kOutputBufferSize);
  return true;
}

void OutputFile::write(std::string_view bytes) {
  if (!file_) {
    failed_ = true;
    return;
  }
  if (buffer_.size() + bytes.size() > kOutputBufferSize) flushBuffer();
  if (bytes.size() >= kOutputBufferSize) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
    return;
  }
  buffer_.append(bytes);
}

void OutputFile::flushBuffer() {
  if (!file_ || buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

bool OutputFile::close() {
  if (file_) {
    flushBuffer();
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  }
  return !failed_;
}

// ---- InputFile

InputFile::~InputFile() { close(); }

bool InputFile::open(const std::string& utf8Path) {
  close();
  failed_ = false;
  file_ = openFile(utf8Path, false, false);
  if (!file_) {
    failed_ = true;
    return false;
  }
  // Small reads (a pre-scan, fixed chunks) then cost one system call per megabyte.
  std::setvbuf(file_, nullptr, _IOFBF, kInputBufferSize);
  return true;
}

std::size_t InputFile::read(char* dst, std::size_t n) {
  if (!file_) {
    failed_ = true;
    return 0;
  }
  if (n == 0) return 0;
  const std::size_t got = std::fread(dst, 1, n, file_);
  if (got < n && std::ferror(file_)) failed_ = true;
  return got;
}

void InputFile::close() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

bool writeWholeFile(const std::string& utf8Path, std::string_view bytes) {
  OutputFile out;
  if (!out.open(utf8Path)) return false;
  out.write(bytes);
  return out.close();
}

}  // namespace harlowe::io
