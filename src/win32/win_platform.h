#pragma once
// Win32 implementations of the user-interface and system services.
#include <windows.h>

#include <string>

#include "platform/system.h"
#include "platform/ui.h"

namespace harlowe::win32 {

class WinUi : public platform::Ui {
 public:
  void messageBox(const std::string& text, const std::string& title,
                  platform::MessageIcon icon) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  void pumpEvents() override;
};

class WinSystem : public platform::System {
 public:
  std::string programFolder() override;
  std::uint32_t startHidden(const std::string& commandLine) override;
  platform::Handle openProcess(std::uint32_t access, bool inheritHandle,
                               std::uint32_t pid) override;
  bool getExitCodeProcess(platform::Handle process, std::uint32_t& code) override;
  bool closeHandle(platform::Handle h) override;
  void sleep(std::uint32_t milliseconds) override;
  platform::FileLock lockFile(const std::string& utf8Path) override;
  std::string nowText() override;
  [[noreturn]] void endProgram(int exitCode) override;
};

// The open dialog, owned by the hidden host form "Form1", which stays for the whole process so
// that the dialog opens with the last file name and filter index.
class WinFileDialog : public platform::FileDialog {
 public:
  bool showOpen(const platform::OpenDialogSettings& settings) override;
  std::string fileName() const override { return fileName_; }
  int filterIndex() const override { return filterIndex_; }

 private:
  HWND host();
  HWND host_ = nullptr;
  std::string fileName_;
  int filterIndex_ = 0;
};

}  // namespace harlowe::win32
