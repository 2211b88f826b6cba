#pragma once
// Cuts the finished ENT_GO.lsp into files the CAD loads one after the other: ENT_start.lsp with
// the head, one piece ENT_GO<k>.lsp per point function, and the loader ent_gogo.lsp, which
// loads them in order and pauses for a click after every 100 pieces.
#include <cstdint>
#include <string>

#include "import/services.h"

namespace harlowe {

struct RunSettings;

inline constexpr const char* kStartFile = "ENT_start.lsp";
inline constexpr const char* kLoaderFile = "ent_gogo.lsp";
// The mark that the loader leaves in the program folder when the CAD has loaded its last piece.
// Its name starts like the pieces, so the deletion of the previous run's pieces takes it too.
inline constexpr const char* kLoadedMarkFile = "ent_gogo.end";

struct SplitResult {
  std::int64_t pieces = 0;  // k: the number of pieces the loader names
  bool ok = true;           // false when a file could not be read or written
  std::string failedFile;   // the file that failed (UTF-8 path)
};

// Splits appDir's ENT_GO.lsp (appDir ends in "\"), showing its stage in the progress window,
// which it unloads at the end.
SplitResult SplitLoaderScripts(const std::string& appDir, platform::ProgressWindow& window,
                               platform::Ui& ui, const platform::CodePage& codePage);

// The converters' entry: s.AppDir is set again to the program folder ending in "\" first.
SplitResult SplitLoaderScripts(RunSettings& s, Platform& p);

// The program folder as AppDir holds it: with "\" appended unless it already ends in one.
std::string AppDirOf(const std::string& programFolder);

}  // namespace harlowe
