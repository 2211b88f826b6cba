#pragma once
// The shell as the installer sees it: the folder browser, copying a file, and opening a document
// with the program that the system associates with it. The browser calls mirror the Win32 calls
// (same names, same results); paths are UTF-8 here and reach Windows as UTF-16, so folder names
// in any script work. src/win32 implements this; tests/support fakes it.
#include <cstdint>
#include <string>

#include "platform/desktop.h"

namespace harlowe::platform {

// An item identifier list (PIDLIST_ABSOLUTE) handed out by the folder browser; 0 is none.
using ItemIdList = std::uintptr_t;

// BIF_RETURNONLYFSDIRS: only folders of the file system can be chosen.
inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 0x1;
// The size of the path buffer that SHGetPathFromIDList fills (MAX_PATH).
inline constexpr std::uint32_t kMaxPath = 260;

// The BROWSEINFO record: no display-name buffer, no callback, callback data 0, image 0.
struct BrowseInfo {
  WindowHandle hwndOwner = 0;
  ItemIdList pidlRoot = 0;  // 0: the desktop
  std::string lpszTitle;
  std::uint32_t ulFlags = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Shows the folder browser; returns the chosen item, or 0 when the user cancelled.
  virtual ItemIdList SHBrowseForFolderW(const BrowseInfo& info) = 0;
  // The file-system path of an item (at most kMaxPath - 1 characters); false and an empty path
  // when the item has none.
  virtual bool SHGetPathFromIDListW(ItemIdList item, std::string& path) = 0;
  virtual void CoTaskMemFree(ItemIdList item) = 0;

  // True when path names an existing file (not a folder).
  virtual bool fileExists(const std::string& path) = 0;
  // True when both paths name one and the same existing file, however they are spelled.
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
  // CopyFile: copies source to target; an existing target is replaced unless failIfExists.
  virtual bool CopyFileW(const std::string& source, const std::string& target,
                         bool failIfExists) = 0;
  // Whether the system names a program that opens documents of this one's type (its extension):
  // without one, asking the shell to open it shows nothing, and says so to no one.
  virtual bool hasAssociatedProgram(const std::string& document) = 0;
  // Shell.Application's ShellExecute with the document's path: the shell opens it with the
  // associated program and returns at once. False when the shell could not be asked.
  virtual bool shellExecute(const std::string& document) = 0;
};

}  // namespace harlowe::platform
