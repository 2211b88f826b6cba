// form_preview.exe FORM [options]: shows one form of harlowe and prints the run settings it left.
//
//   FORM        Form2, Form3, Form4, Form9 or Form9_ori
//   --ptx       Form3 with its equal-interval frame hidden, as for PTX input
//   --dir DIR   program folder (where Form4 reads Lay.dat); default: this program's folder
//   --input P   the input path that Form4 shows
//   --fraction F, --stage TEXT, --seconds N, --no-pump S
//               Form2: draw the bar at F (default 0.5) with that stage text, repaint, then keep
//               the window N seconds (default 30); with --no-pump the first S of them process no
//               message at all, as a converter between two pump turns
//
// The settings are printed as name=value lines (UTF-8) after the form is gone.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "import/progress.h"
#include "import/run_settings.h"
#include "win32/win_codepage.h"
#include "win32/win_option_forms.h"
#include "win32/win_platform.h"
#include "win32/win_progress_window.h"
#include "win32/win_text.h"

using namespace harlowe;

namespace {

void print(const std::string& line) {
  std::string s = line + "\n";
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fflush(stdout);
}

void printSettings(const RunSettings& s) {
  print("SubSampleStep=" + std::to_string(s.SubSampleStep));
  char interval[64];
  std::snprintf(interval, sizeof interval, "%g", static_cast<double>(s.ThinningInterval));
  print(std::string("ThinningInterval=") + interval);
  print("QuickInterval=" + std::to_string(s.QuickInterval));
  print("DrawUnit=" + s.DrawUnit);
  print("DialogCancel=" + s.DialogCancel);
  print("TargetLayer=" + s.TargetLayer);
  print("ZoomExtentsAtEnd=" + std::to_string(s.ZoomExtentsAtEnd));
}

std::string exeFolder() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring p(path, n);
  return win32::narrow(p.substr(0, p.find_last_of(L'\\') + 1));
}

int progress(double fraction, const std::string& stage, int seconds, int still) {
  const bool pump = still == 0;
  auto window = win32::makeWin32ProgressWindow();
  win32::WinUi ui;
  window->show();
  if (!stage.empty()) window->setStage(stage);
  if (pump) {
    double last = 0;
    redrawProgress(*window, ui, fraction, last, 0.05, PumpTurn::AfterRepaint);
  } else {
    // What a converter does between two pump turns: the repaint alone must show the bar.
    window->drawBar(fraction);
    window->setPercentText(percentText(fraction));
    window->repaint();
  }
  print("shown");
  const DWORD start = GetTickCount();
  const DWORD end = start + static_cast<DWORD>(seconds) * 1000;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    if (GetTickCount() - start >= static_cast<DWORD>(still) * 1000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } else {
      Sleep(50);
    }
  }
  window->unload();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(win32::narrow(argv[i]));
  if (args.empty()) {
    std::fputs("usage: form_preview.exe FORM [options] (see the top of the source)\n", stderr);
    return 2;
  }
  RunSettings s;
  s.AppDir = exeFolder();
  s.InputFileLabel = "C:\\点群\\scan.txt";
  bool ptx = false;
  int still = 0;
  double fraction = 0.5;
  int seconds = 30;
  std::string stage;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool more = i + 1 < args.size();
    if (a == "--ptx") {
      ptx = true;
    } else if (a == "--no-pump" && more) {
      still = std::stoi(args[++i]);
    } else if (a == "--dir" && more) {
      s.AppDir = args[++i];
      if (s.AppDir.empty() || s.AppDir.back() != '\\') s.AppDir += '\\';
    } else if (a == "--input" && more) {
      s.InputFileLabel = args[++i];
    } else if (a == "--fraction" && more) {
      fraction = std::stod(args[++i]);
    } else if (a == "--stage" && more) {
      stage = args[++i];
    } else if (a == "--seconds" && more) {
      seconds = std::stoi(args[++i]);
    } else {
      std::fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    }
  }

  const std::string& form = args[0];
  if (form == "Form2") return progress(fraction, stage, seconds, still);

  win32::WinSystem system;
  win32::WinCodePage codePage;
  auto forms = win32::makeWin32OptionForms(system, codePage);
  if (form == "Form3") {
    forms->showForm3(s, ptx);
  } else if (form == "Form4") {
    forms->showForm4(s);
  } else if (form == "Form9") {
    forms->showForm9(s);
  } else if (form == "Form9_ori") {
    forms->showForm9Ori(s);
  } else {
    std::fprintf(stderr, "unknown form %s\n", form.c_str());
    return 2;
  }
  printSettings(s);
  return 0;
}
