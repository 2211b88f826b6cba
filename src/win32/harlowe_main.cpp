// Entry point of harlowe.exe: wires the Windows implementations into the start procedure.
#include <windows.h>

#include "cadlink/command_delivery.h"
#include "import/converters/converter_set.h"
#include "import/run_import.h"
#include "win32/win_codepage.h"
#include "win32/win_desktop.h"
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static win32::WinUi ui;
  static win32::WinSystem system;
  static win32::WinFileDialog fileDialog;
  static win32::WinCodePage codePage;
  static NoProgressWindow progress;
  static NoOptionForms forms;
  static win32::WinDesktop desktop;
  static RunSettings settings;

  static Platform platform{ui, system, fileDialog, progress, codePage};
  static ConverterSet converters(platform);
  static cadlink::CommandDelivery cadLink(desktop, ui, system, codePage);
  RunSteps steps{forms, converters, cadLink};
  RunImport(settings, platform, steps);
}
