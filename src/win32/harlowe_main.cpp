// Entry point of harlowe.exe: wires the Windows implementations into the start procedure.
#include <windows.h>

#include "import/run_import.h"
#include "win32/win_codepage.h"
#include "win32/win_platform.h"

namespace {

using namespace harlowe;

// Steps of the road that are not part of this build yet.
class NoProgressWindow : public platform::ProgressWindow {
 public:
  void show() override {}
  void setStage(const std::string&) override {}
  void drawBar(double) override {}
  void setPercentText(const std::string&) override {}
  void repaint() override {}
  void unload() override {}
};

class NoOptionForms : public OptionForms {
 public:
  void showForm9(RunSettings&) override {}
  void showForm9Ori(RunSettings&) override {}
  void showForm3(RunSettings&, bool) override {}
  void showForm4(RunSettings&) override {}
};

class UnavailableConverters : public Converters {
 public:
  explicit UnavailableConverters(platform::Ui& ui) : ui_(ui) {}
  bool run(ConverterId, RunSettings&) override {
    ui_.messageBox("この変換方法はこのバージョンでは利用できません。", platform::kAppTitle,
                   platform::MessageIcon::Error);
    return false;
  }

 private:
  platform::Ui& ui_;
};

class NoCadLink : public CadLink {
 public:
  void sendCommandToCad(RunSettings&) override {}
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static win32::WinUi ui;
  static win32::WinSystem system;
  static win32::WinFileDialog fileDialog;
  static win32::WinCodePage codePage;
  static NoProgressWindow progress;
  static NoOptionForms forms;
  static UnavailableConverters converters(ui);
  static NoCadLink cadLink;
  static RunSettings settings;

  Platform platform{ui, system, fileDialog, progress, codePage};
  RunSteps steps{forms, converters, cadLink};
  RunImport(settings, platform, steps);
}
