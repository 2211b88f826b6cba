#pragma once
// Byte-level file access with large buffers. Paths are UTF-8 texts in the program's own form
// (Windows paths with "\"); toFsPath maps them to the file system (UTF-16 on Windows; on Linux,
// where the native tests run, "\" is taken as a folder separator).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace harlowe::io {

std::filesystem::path toFsPath(const std::string& utf8Path);

// Length of a file in bytes, or -1 when it cannot be read.
std::int64_t fileLength(const std::string& utf8Path);
bool fileExists(const std::string& utf8Path);
bool removeFile(const std::string& utf8Path);  // true when gone afterwards
// Gives a file another name in the same folder, replacing a file of that name. False on failure.
bool renameFile(const std::string& utf8From, const std::string& utf8To);
// Removes every file of a folder whose name starts with prefix (ASCII letters compared without
// regard to case, as Windows matches names). Returns the number removed.
int removeMatchingPrefix(const std::string& utf8Folder, std::string_view prefix);

// Buffered sequential writer. Writes bytes as given; writeLine appends CR LF.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates (or empties) the file; append=true opens for appending. False on failure.
  bool open(const std::string& utf8Path, bool append = false);
  bool isOpen() const { return file_ != nullptr; }
  void write(std::string_view bytes);
  void writeLine(std::string_view bytes) {
    write(bytes);
    write("\r\n");
  }
  // Flushes and closes; false when any write or the close failed.
  bool close();
  bool failed() const { return failed_; }

 private:
  void flushBuffer();
  std::FILE* file_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};

// Buffered sequential reader of raw bytes.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool open(const std::string& utf8Path);
  bool isOpen() const { return file_ != nullptr; }
  // Reads up to n bytes into dst; returns the count read (0 at the end or on failure).
  std::size_t read(char* dst, std::size_t n);
  bool failed() const { return failed_; }
  void close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// Writes a whole small text file (already in the ANSI code page). False on failure.
bool writeWholeFile(const std::string& utf8Path, std::string_view bytes);

}  // namespace harlowe::io
