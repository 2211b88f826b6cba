#pragma once
// A shell for native tests: a folder browser with scripted answers and an in-memory file system
// whose names compare as Windows compares them (case-insensitively, a doubled "\" read as one).
// Every call is appended to the shared event log.
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "tests/support/fake_platform.h"

namespace harlowe::test {

class FakeShell : public platform::Shell {
 public:
  explicit FakeShell(EventLog& log) : log_(log) {}

  // One answer of the folder browser: a path, an item without a file-system path, or Cancel.
  struct BrowseAnswer {
    enum Kind { Folder, NoPath, Cancel } kind = Cancel;
    std::string path;
  };
  std::deque<BrowseAnswer> browseAnswers;  // an exhausted queue answers with Cancel
  std::vector<platform::BrowseInfo> browsed;

  std::map<std::string, std::string> files;  // canonical path -> content
  std::set<std::string> readOnly;            // canonical paths that cannot be overwritten
  std::set<std::string> lockedFolders;       // canonical folders where nothing can be written
  bool pdfAssociated = true;                 // a program opens ".pdf" files
  bool shellExecuteWorks = true;
  std::vector<std::string> executed;
  int itemsOut = 0;  // items handed out and not yet freed

  void put(const std::string& path, const std::string& content) { files[canon(path)] = content; }
  std::optional<std::string> content(const std::string& path) const;
  static std::string canon(const std::string& path);

  platform::ItemIdList SHBrowseForFolderW(const platform::BrowseInfo& info) override;
  bool SHGetPathFromIDListW(platform::ItemIdList item, std::string& path) override;
  void CoTaskMemFree(platform::ItemIdList item) override;
  bool fileExists(const std::string& path) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  bool CopyFileW(const std::string& source, const std::string& target, bool failIfExists) override;
  bool hasAssociatedProgram(const std::string& document) override;
  bool shellExecute(const std::string& document) override;

 private:
  EventLog& log_;
  std::map<platform::ItemIdList, BrowseAnswer> items_;
  platform::ItemIdList next_ = 0x5000;
};

}  // namespace harlowe::test
