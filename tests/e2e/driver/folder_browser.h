// The dialog driver's commands for the shell's folder browser.
#pragma once

#include <string>

namespace driver {

// browse-folder TEXT PATH: in the visible folder browser whose title text is TEXT, selects PATH, a
// path that begins with a drive (X:\...), and checks that the tree really shows it selected, then
// presses OK; waits until it is gone.
int CmdBrowseFolder(const std::wstring& text, const std::wstring& path);
// browse-cancel TEXT: presses Cancel in that folder browser; waits until it is gone.
int CmdBrowseCancel(const std::wstring& text);

}  // namespace driver
