#pragma once
// The installer's folder dialog.
#include <string>
#include <string_view>

#include "platform/shell.h"

namespace harlowe::installer {

inline constexpr std::string_view kBrowseTitle = "インストールするフォルダを選択してください";

// Shows the shell's folder browser owned by `owner`, rooted at the desktop, offering file-system
// folders only. Returns the chosen folder's path, or an empty text when the user cancelled or
// chose something that has no file-system path.
std::string BrowseInstallFolder(platform::Shell& shell, platform::WindowHandle owner);

}  // namespace harlowe::installer
