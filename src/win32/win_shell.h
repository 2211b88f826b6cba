#pragma once
// The shell for the installer: the folder browser, file copies and opening a document, all
// through the wide-character calls so that folder names in any script reach the file system
// intact.
#include "platform/shell.h"

namespace harlowe::win32 {

class WinShell : public platform::Shell {
 public:
  platform::ItemIdList SHBrowseForFolderW(const platform::BrowseInfo& info) override;
  bool SHGetPathFromIDListW(platform::ItemIdList item, std::string& path) override;
  void CoTaskMemFree(platform::ItemIdList item) override;
  bool fileExists(const std::string& path) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  bool CopyFileW(const std::string& source, const std::string& target, bool failIfExists) override;
  bool hasAssociatedProgram(const std::string& document) override;
  bool shellExecute(const std::string& document) override;
};

}  // namespace harlowe::win32
