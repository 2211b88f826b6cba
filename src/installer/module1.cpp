#include "installer/module1.h"

namespace harlowe::installer {

std::string BrowseInstallFolder(platform::Shell& shell, platform::WindowHandle owner) {
  platform::BrowseInfo info;
  info.hwndOwner = owner;
  info.pidlRoot = 0;
  info.lpszTitle = std::string(kBrowseTitle);
  info.ulFlags = platform::kBifReturnOnlyFsDirs;
  platform::ItemIdList item = shell.SHBrowseForFolderW(info);
  if (item == 0) return {};
  std::string path;
  if (!shell.SHGetPathFromIDListW(item, path)) path.clear();
  shell.CoTaskMemFree(item);
  // The text before the first NUL, as the fixed buffer is read.
  return path.substr(0, path.find('\0'));
}

}  // namespace harlowe::installer
