#pragma once
// The option forms of harlowe.exe: Form9, Form9_ori, Form3 and Form4 as modal Win32 windows.
#include <memory>

#include "import/services.h"

namespace harlowe::win32 {

// system ends the program from Form9_ori's Cancel; codePage decodes Lay.dat. Both must outlive
// the returned object.
std::unique_ptr<OptionForms> makeWin32OptionForms(platform::System& system,
                                                  const platform::CodePage& codePage);

}  // namespace harlowe::win32
