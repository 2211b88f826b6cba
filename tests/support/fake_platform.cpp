#include "tests/support/fake_platform.h"

#include <algorithm>

namespace harlowe::test {

void FakeUi::messageBox(const std::string& text, const std::string& title,
                        platform::MessageIcon icon) {
  messages.push_back({text, title, icon});
  log_.push_back("message:" + text);
}

bool FakeUi::askYesNo(const std::string& text, const std::string& title) {
  messages.push_back({text, title, platform::MessageIcon::Warning});
  log_.push_back("ask:" + text);
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

void FakeUi::pumpEvents() {
  ++pumpTurns;
  log_.push_back("pump");
  if (onPump) onPump();
}

std::uint32_t FakeSystem::startHidden(const std::string& commandLine) {
  log_.push_back("start:" + commandLine);
  started.push_back(commandLine);
  if (nextPid != 0 && onStart) onStart(commandLine);
  return nextPid;
}

platform::Handle FakeSystem::openProcess(std::uint32_t access, bool inheritHandle,
                                         std::uint32_t pid) {
  log_.push_back("openProcess:" + std::to_string(access) + "," + (inheritHandle ? "1" : "0") + "," +
                 std::to_string(pid));
  ++openHandles;
  return 0x100 + pid;
}

bool FakeSystem::getExitCodeProcess(platform::Handle, std::uint32_t& code) {
  log_.push_back("exitCode");
  if (exitQueryFails) return false;
  if (exitCodes.empty()) {
    code = 0;
  } else {
    code = exitCodes.front();
    exitCodes.pop_front();
  }
  return true;
}

bool FakeSystem::closeHandle(platform::Handle) {
  log_.push_back("closeHandle");
  --openHandles;
  return true;
}

void FakeSystem::sleep(std::uint32_t ms) { log_.push_back("sleep:" + std::to_string(ms)); }

platform::FileLock FakeSystem::lockFile(const std::string& utf8Path) {
  log_.push_back("lock:" + utf8Path);
  if (lockAnswer == platform::FileLock::Held) locked.push_back(utf8Path);
  return lockAnswer;
}

void FakeSystem::endProgram(int exitCode) {
  log_.push_back("end:" + std::to_string(exitCode));
  throw ProgramEnded{exitCode};
}

bool FakeFileDialog::showOpen(const platform::OpenDialogSettings& settings) {
  shown.push_back(settings);
  namesShown.push_back(name_);
  log_.push_back("openDialog");
  if (onShow) onShow();
  if (answers.empty()) return false;
  Answer a = answers.front();
  answers.pop_front();
  if (!a.ok) return false;
  name_ = a.fileName;
  index_ = a.filterIndex;
  return true;
}

void FakeProgressWindow::show() {
  if (!loaded) {
    loaded = true;
    stage = "処理中です。";
    percent.clear();
    widest = 0;
    bars.clear();
  }
  visible = true;
  log_.push_back("progress.show");
}

void FakeProgressWindow::setStage(const std::string& text) {
  stage = text;
  log_.push_back("progress.stage:" + text);
}

void FakeProgressWindow::drawBar(double fraction) {
  bars.push_back(fraction);
  widest = std::max(widest, fraction);
  log_.push_back("progress.bar");
}

void FakeProgressWindow::setPercentText(const std::string& text) {
  percent = text;
  log_.push_back("progress.percent:" + text);
}

void FakeProgressWindow::repaint() { log_.push_back("progress.repaint"); }

void FakeProgressWindow::unload() {
  loaded = visible = false;
  log_.push_back("progress.unload");
}

}  // namespace harlowe::test
