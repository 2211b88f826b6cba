#pragma once
// The CAD link's settings file MkScr.ini (section Main) in the program folder: which executable
// is the CAD, and by which captions its main window, text window and command line are known.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/desktop.h"
#include "platform/system.h"

namespace harlowe::cadlink {

struct CadSettings {
  std::string AppFolder;  // program folder ending in "\"
  std::string ACADName = "???";
  std::string CommandCaption = "???";
  std::string MainCaption = "???";
  std::string TextCaption = "???";
  // Read and kept; nothing depends on them.
  std::int32_t MainCmdCtrlID = 0;
  std::int32_t TextCmdCtrlID = 0;
  std::int32_t MainHistCtrlID = 0;
  std::int32_t TextHistCtrlID = 0;
};

// What reading the settings needs from the platform.
struct SettingsSource {
  platform::Desktop& desktop;
  platform::System& system;
  const platform::CodePage& codePage;
};

// The program folder with a "\" at its end.
std::string appFolderOf(platform::System& system);

// One value of the file appFolder & base & ".ini": at most 254 bytes of the ANSI code page,
// decoded to UTF-8; the default when the file, section or key is missing.
std::string ReadIniValue(const SettingsSource& src, const std::string& appFolder,
                         std::string_view base, std::string_view section, std::string_view key,
                         std::string_view defaultValue);

// The settings read: AppFolder, then the eight keys of MkScr.ini in their order.
CadSettings readCadSettings(const SettingsSource& src);

// The bare file name of a path without its extension: "C:\tools\cad.exe" gives "cad",
// "a.b.exe" gives "a", "D:name.exe" gives "name".
std::string ExeBaseName(std::string_view path);

}  // namespace harlowe::cadlink
