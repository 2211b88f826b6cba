#pragma once
// What the CAD link finds on this desktop with the settings of MkScr.ini, told in words for the
// person who sets the file up: the settings read, every CAD instance with its drawing name and
// whether its main window, text window and command line were found, where a run would send its
// command, and for each thing missing what the desktop offers instead (the programs that show
// windows, the captions of the CAD's windows, the texts inside its main window).
#include <string>

#include "cadlink/cad_settings.h"

namespace harlowe::cadlink {

struct CadReport {
  std::string text;
  bool ready = false;  // a run would find a CAD window and a command line to paste into
};

CadReport describeCadSetup(const SettingsSource& src);

}  // namespace harlowe::cadlink
