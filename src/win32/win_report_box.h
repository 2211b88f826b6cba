#pragma once
// A message box for a report that may be longer than the screen is high: the text sits in a
// read-only box that scrolls when it has to, and whose lines can be selected and copied (a
// window text to put into mkscr.ini, say). Otherwise it looks and answers like a message box
// with an OK button: the icon, the text, OK; Enter and Esc close it. The text control carries
// the id of a message box's text and the button IDOK, so tools that read message boxes read it.
#include <string>

#include "platform/ui.h"

namespace harlowe::win32 {

void reportBox(const std::string& text, const std::string& title, platform::MessageIcon icon);

}  // namespace harlowe::win32
