#pragma once
// The stand-in CAD's own settings file (standin_cad.ini beside the exe, or the file named on the
// command line), section [StandIn]. Relative folders are taken from the settings file's folder.
// MkScr.ini beside it names the same captions for Harlowe.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace standin {

struct Settings {
  std::wstring mainCaption = L"StandInCAD";
  std::wstring textCaption = L"SIC Text Window";
  std::wstring commandCaption = L"StandIn Command Line";
  std::wstring drawingName = L"Drawing1.dwg";
  std::vector<std::filesystem::path> supportFolders;  // default: the settings file's folder
  std::filesystem::path dumpFolder;                   // default: "dump" there; "-" for none
  bool continueAtPause = true;                        // GetPointAnswer=continue|cancel
  // SecureLoad=1: loading from outside the trusted locations is counted and reported, and the
  // variable TRUSTEDPATHS exists (its first value from TrustedPaths=).
  bool secureLoad = false;
  std::wstring trustedPaths;
  std::wstring fontName;  // empty: the first Japanese font found
  int osmode = 4133;
  int mainCmdCtrlId = 101, textCmdCtrlId = 201, mainHistCtrlId = 102, textHistCtrlId = 202;
};

// Reads the settings; a missing file or key keeps the default.
Settings ReadSettings(const std::filesystem::path& iniFile);

}  // namespace standin
