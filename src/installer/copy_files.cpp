#include "installer/copy_files.h"

#include "installer/install_files.h"

namespace harlowe::installer {

CopyOutcome copyInstallFiles(platform::Shell& shell, platform::Ui& ui,
                             const std::string& sourceFolder, const std::string& targetFolder) {
  for (std::size_t i = 0; i < kInstallFiles.size(); ++i) {
    const std::string_view name = kInstallFiles[i];
    const std::string source = sourceFolder + std::string(name);
    const std::string target = targetFolder + std::string(name);
    CopyOutcome stopped{CopyFailure::None, i, name.substr(1)};
    if (!shell.fileExists(source)) {
      stopped.failure = CopyFailure::SourceMissing;
      return stopped;
    }
    // Copying a file onto itself would at best fail and at worst empty it.
    if (shell.sameFile(source, target)) {
      stopped.failure = CopyFailure::SameFile;
      return stopped;
    }
    if (!shell.CopyFileW(source, target, false)) {
      stopped.failure = CopyFailure::TargetNotWritable;
      return stopped;
    }
    ui.pumpEvents();
  }
  return {CopyFailure::None, kInstallFiles.size(), {}};
}

std::string copyFailureMessage(const CopyOutcome& outcome, const std::string& sourceFolder,
                               const std::string& targetFolder) {
  const std::string file = "「" + std::string(outcome.name) + "」";
  std::string text;
  switch (outcome.failure) {
    case CopyFailure::None:
      return {};
    case CopyFailure::SourceMissing:
      text = file + "がインストーラーのフォルダにありません。\n" + sourceFolder +
             "\nインストールを中止しました。配布されたフォルダのファイルをすべてそろえてから、"
             "もう一度インストールしてください。";
      break;
    case CopyFailure::SameFile:
      text = "インストーラーと同じフォルダが選ばれたため、" + file +
             "をコピーできません。\nインストールを中止しました。別のフォルダを選んで、"
             "もう一度インストールしてください。";
      break;
    case CopyFailure::TargetNotWritable:
      text = file + "をインストール先に書き込めません。\n" + targetFolder +
             "\nインストールを中止しました。このファイルを使っているプログラム（CADやHarlowe）を"
             "終了するか、書き込みのできるフォルダを選んで、もう一度インストールしてください。";
      break;
  }
  if (outcome.index > 0) text += "\nそれまでにコピーしたファイルはインストール先に残っています。";
  return text;
}

}  // namespace harlowe::installer
