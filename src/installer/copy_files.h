#pragma once
// The copying of an installation: the eight files from the installer's own folder into the
// chosen one, in list order, with a turn of the event pump after each. It stops at the first file
// that cannot be copied; the files copied before it stay where they are.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/shell.h"
#include "platform/ui.h"

namespace harlowe::installer {

enum class CopyFailure {
  None,
  SourceMissing,      // the file is not beside the installer
  SameFile,           // the target is the source itself (the installer's own folder was chosen)
  TargetNotWritable,  // the copy failed: a read-only or locked file, a folder without rights
};

struct CopyOutcome {
  CopyFailure failure = CopyFailure::None;
  std::size_t index = 0;    // the file it stopped at (position in the list); the count when done
  std::string_view name{};  // that file's name without its leading "\"
};

CopyOutcome copyInstallFiles(platform::Shell& shell, platform::Ui& ui,
                             const std::string& sourceFolder, const std::string& targetFolder);

// The message that tells the user which file stopped the installation and what to do.
std::string copyFailureMessage(const CopyOutcome& outcome, const std::string& sourceFolder,
                               const std::string& targetFolder);

}  // namespace harlowe::installer
