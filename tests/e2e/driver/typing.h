// The dialog driver's commands that type: keystrokes, and pastes as the CAD link makes them.
#pragma once

#include <string>

namespace driver {

// key TITLE KEY: brings the window to the front and types KEY (enter, esc, tab, space).
int CmdKey(const std::wstring& title, const std::wstring& key);
// paste TITLE CHILD TEXT: TEXT on the clipboard, the window to the front, a click into its
// descendant CHILD, Ctrl+V; done when the receiver has read the clipboard.
int CmdPaste(const std::wstring& title, const std::wstring& child_text, const std::wstring& text);

}  // namespace driver
