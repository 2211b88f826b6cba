// The dialog driver's commands that look into any window (for scenarios and screenshots).
#pragma once

#include <string>

namespace driver {

// descendants TITLE: every descendant of the visible window TITLE: class, id, visible, text.
int CmdDescendants(const std::wstring& title);
// rect TITLE [CLASS]: the screen rectangle of the visible top-level window: left top width height.
int CmdRect(const std::wstring& title, const std::wstring& cls);

}  // namespace driver
