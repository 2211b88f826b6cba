#include "import/choose_input.h"

#include <cctype>

#include "common/file_io.h"

namespace harlowe {
namespace {

bool endsWithTxt(const std::string& path) {
  if (path.size() < 3) return false;
  // "txt" is ASCII, and no byte of a multi-byte UTF-8 character is, so bytes compare as characters.
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "txt";
}

[[noreturn]] void quitRun(const RunSettings& s, Platform& p) {
  // Markers for the CAD-side scripts that the run was cancelled; a folder that cannot be written
  // changes nothing for the user, who has cancelled anyway.
  io::writeWholeFile(s.AppDir + "qmr_status.dat", "OK\r\n");
  io::writeWholeFile(s.AppDir + "quit_status.dat", "QUIT\r\n");
  platform::endProgram(p.system, 0);
}

}  // namespace

void ChooseInputFile(RunSettings& s, Platform& p) {
  platform::OpenDialogSettings settings{kOpenDialogTitle, kOpenDialogFilter, kOfnReadOnly};
  if (!p.fileDialog.showOpen(settings)) quitRun(s, p);

  s.InputPath = p.fileDialog.fileName();
  if (p.fileDialog.filterIndex() == 1 && !endsWithTxt(s.InputPath)) {
    p.ui.messageBox(kNotCloudCompareText, platform::kAppTitle, platform::MessageIcon::None);
    s.InputPath.clear();
    s.SubSampleStep = 0;
    return;
  }
  // The dialog does not insist that a typed name exists; catching it here brings the user back
  // to the dialog instead of failing later inside a converter.
  if (!io::fileExists(s.InputPath)) {
    p.ui.messageBox(s.InputPath + "\n" + kInputFileMissing, platform::kAppTitle,
                    platform::MessageIcon::Error);
    s.InputPath.clear();
  }
}

}  // namespace harlowe
