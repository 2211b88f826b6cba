#pragma once
// Recording fakes of the user-interface and system services. Every fake appends what it was
// asked to do to one shared event log, so tests can check the order across services.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/ui.h"

namespace harlowe::test {

using EventLog = std::vector<std::string>;

// Thrown by FakeSystem::endProgram so that a test can see where the program would have ended.
struct ProgramEnded {
  int exitCode;
};

struct MessageRecord {
  std::string text, title;
  platform::MessageIcon icon;
};

class FakeUi : public platform::Ui {
 public:
  explicit FakeUi(EventLog& log) : log_(log) {}
  void messageBox(const std::string& text, const std::string& title,
                  platform::MessageIcon icon) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  void pumpEvents() override;

  std::vector<MessageRecord> messages;  // questions too, with the warning icon
  std::deque<bool> answers;             // to the questions; an exhausted queue answers No
  int pumpTurns = 0;
  std::function<void()> onPump;  // runs at each pump turn (e.g. to finish a process)

 private:
  EventLog& log_;
};

class FakeSystem : public platform::System {
 public:
  explicit FakeSystem(EventLog& log) : log_(log) {}
  std::string programFolder() override { return folder; }
  std::uint32_t startHidden(const std::string& commandLine) override;
  platform::Handle openProcess(std::uint32_t access, bool inheritHandle,
                               std::uint32_t pid) override;
  bool getExitCodeProcess(platform::Handle process, std::uint32_t& code) override;
  bool closeHandle(platform::Handle h) override;
  void sleep(std::uint32_t ms) override;
  platform::FileLock lockFile(const std::string& utf8Path) override;
  std::string nowText() override { return now; }
  [[noreturn]] void endProgram(int exitCode) override;

  std::string folder = "C:\\app";
  std::string now = "2026/12/08 9:05:01";
  std::uint32_t nextPid = 4242;  // 0 makes startHidden fail
  // Exit codes that successive queries report; once empty, queries report 0 (ended).
  std::deque<std::uint32_t> exitCodes;
  bool exitQueryFails = false;
  std::function<void(const std::string&)> onStart;  // runs when a program is started
  std::vector<std::string> started;
  int openHandles = 0;
  platform::FileLock lockAnswer = platform::FileLock::Held;  // what lockFile reports
  std::vector<std::string> locked;                           // the files this process holds

 private:
  EventLog& log_;
};

// The open dialog: answers are scripted; it keeps the last file name and filter index.
class FakeFileDialog : public platform::FileDialog {
 public:
  explicit FakeFileDialog(EventLog& log) : log_(log) {}
  struct Answer {
    bool ok;
    std::string fileName;
    int filterIndex;
  };
  bool showOpen(const platform::OpenDialogSettings& settings) override;
  std::string fileName() const override { return name_; }
  int filterIndex() const override { return index_; }

  std::deque<Answer> answers;  // an exhausted queue answers with Cancel
  std::vector<platform::OpenDialogSettings> shown;
  std::vector<std::string> namesShown;  // the file name the dialog opened with, per showing
  std::function<void()> onShow;

 private:
  EventLog& log_;
  std::string name_;
  int index_ = 1;
};

class FakeProgressWindow : public platform::ProgressWindow {
 public:
  explicit FakeProgressWindow(EventLog& log) : log_(log) {}
  void show() override;
  void setStage(const std::string& text) override;
  void drawBar(double fraction) override;
  void setPercentText(const std::string& text) override;
  void repaint() override;
  void unload() override;

  bool loaded = false, visible = false;
  std::string stage, percent;
  double widest = 0;  // widest box drawn since the last load
  std::vector<double> bars;

 private:
  EventLog& log_;
};

}  // namespace harlowe::test
