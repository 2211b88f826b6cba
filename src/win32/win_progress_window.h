#pragma once
// The progress window (Form2) as a real window: a stage text, a navy bar and a percentage text.
#include <memory>

#include "platform/ui.h"

namespace harlowe::win32 {

std::unique_ptr<platform::ProgressWindow> makeWin32ProgressWindow();

}  // namespace harlowe::win32
