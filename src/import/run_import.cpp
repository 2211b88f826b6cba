#include "import/run_import.h"

#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "import/choose_input.h"
#include "import/conversion_log.h"
#include "import/conversion_messages.h"
#include "import/split_scripts.h"

namespace harlowe {
namespace {

std::string withBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// Filename.dat is read to its end at start; nothing of it is used, and a missing file is fine.
void ReadFilenameDat(const RunSettings& s) {
  io::LineReader reader(64 * 1024);
  if (!reader.open(s.AppDir + "Filename.dat")) return;
  std::string_view line;
  while (reader.next(line) == io::ReadResult::Line) {
  }
}

}  // namespace

std::int16_t ReadDelayUnit(const std::string& folder, Platform& p) {
  io::LineReader reader(64 * 1024);
  std::string_view line;
  if (reader.open(withBackslash(folder) + "delay.dat") &&
      reader.next(line) == io::ReadResult::Line) {
    if (auto number = text::parseNumber(line)) {
      if (auto value = text::roundToInt16(*number)) return *value;
    }
  }
  p.ui.messageBox(kDelayFileMissing, platform::kAppTitle, platform::MessageIcon::None);
  return kDefaultDelayUnit;
}

void DeletePreviousScripts(const RunSettings& s, Platform& p) {
  // The folder is quoted so that a path with blanks reaches del as one argument.
  const std::string pattern = s.AppDir + "ent_go*";
  std::uint32_t pid = p.system.startHidden("cmd.exe /c del \"" + pattern + "\"");
  if (pid == 0) {
    // No command processor: delete the same files ourselves, so that stale pieces of an earlier
    // run can never be loaded with this run's loader.
    io::removeMatchingPrefix(s.AppDir, "ent_go");
    return;
  }
  platform::Handle process = p.system.openProcess(platform::kProcessQueryInformation, true, pid);
  std::uint32_t code = 0;
  bool ok;
  do {
    ok = p.system.getExitCodeProcess(process, code);
    p.ui.pumpEvents();
  } while (ok && code == platform::kStillActive);
  p.system.closeHandle(process);
}

bool PreviousLoadUnfinished(const std::string& appDir) {
  return io::fileExists(appDir + kLoaderFile) && !io::fileExists(appDir + kLoadedMarkFile);
}

void RemoveRunScripts(const std::string& appDir) {
  io::removeMatchingPrefix(appDir, "ent_go");  // ENT_GO.lsp, the pieces, the loader
  io::removeFile(appDir + kStartFile);
}

ConverterId ChooseConverter(const RunSettings& s) {
  switch (s.InputKind) {
    case 1:
      return ConverterId::PtxSubSample;
    case 3:
      return ConverterId::PlyVertices;
    default:
      if (s.ThinningInterval == 0.0f) return ConverterId::TxtSubSample;
      return s.QuickInterval == 1 ? ConverterId::TxtQuickInterval : ConverterId::TxtFullInterval;
  }
}

void RunImport(RunSettings& s, Platform& p, RunSteps& steps) {
  const std::string folder = p.system.programFolder();
  // One run per program folder, held until the process ends. A lock that cannot be taken at all
  // (a folder that cannot be written) does not stop the run: it fails later with its reason.
  if (p.system.lockFile(withBackslash(folder) + kRunLockFile) == platform::FileLock::InUse) {
    p.ui.messageBox(std::string(kRunInProgress) + "\n\nフォルダ : " + folder, platform::kAppTitle,
                    platform::MessageIcon::Error);
    platform::endProgram(p.system, 1);
  }
  s.DelayUnit = ReadDelayUnit(folder, p);
  s.AppDir = withBackslash(folder);
  ReadFilenameDat(s);
  // The pieces that the CAD has yet to load must not be deleted without the user's word.
  if (PreviousLoadUnfinished(s.AppDir) &&
      !p.ui.askYesNo(kPreviousLoadUnfinished, platform::kAppTitle))
    platform::endProgram(p.system, 0);

  for (;;) {  // file pass
    s.InputPath.clear();
    DeletePreviousScripts(s, p);
    ChooseInputFile(s, p);
    if (s.InputPath.empty()) continue;
    s.InputFileLabel = s.InputPath;

    bool newFilePass = false;
    for (;;) {  // options pass
      s.TargetLayer.clear();
      s.DialogCancel.clear();
      switch (p.fileDialog.filterIndex()) {
        case 2:
          steps.forms.showForm9Ori(s);
          s.InputKind = 3;
          break;
        case 3:
          s.InputKind = 1;
          steps.forms.showForm3(s, /*hideFrame2=*/true);
          break;
        default:
          steps.forms.showForm9(s);
          s.InputKind = 5;
          steps.forms.showForm3(s, /*hideFrame2=*/false);
          break;
      }
      if (s.DialogCancel == kCancelMarker) {
        newFilePass = true;
        break;
      }
      steps.forms.showForm4(s);  // layer step
      if (s.TargetLayer != kCancelMarker) break;
    }
    if (!newFilePass) break;
  }

  const ConversionResult result = steps.converters.run(ChooseConverter(s), s);
  // The user learns of every run that draws less than its input holds before anything goes to
  // the CAD; a run that can draw nothing sends nothing, leaves no script that a load by hand
  // could load, and its log ends with the reason (the converter wrote its head, beside the
  // input the user chose).
  const auto message = ConversionMessage(result, s.InputFileLabel, p.codePage);
  if (!result.sendsToCad()) {
    RemoveRunScripts(s.AppDir);
    AppendLogLines(ConversionLogPath(s.InputFileLabel),
                   LogReasonLines(message ? std::string_view(message->text) : std::string_view()),
                   p.system, p.codePage);
  }
  if (message) p.ui.messageBox(message->text, platform::kAppTitle, message->icon);
  if (!result.sendsToCad()) platform::endProgram(p.system, 1);
  s.CadCommand = kLoadCommand;
  steps.cadLink.sendCommandToCad(s);
  platform::endProgram(p.system, 0);
}

}  // namespace harlowe
