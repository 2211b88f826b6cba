#pragma once
// A fixture for the converter tests: a program folder and an input folder of their own, the run
// settings of one run, the platform fakes, and readers for what a conversion writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "import/run_settings.h"
#include "import/services.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

namespace harlowe::test {

class ConverterTest : public ::testing::Test {
 protected:
  explicit ConverterTest(std::string inputName) : inputName_(std::move(inputName)) {
    std::filesystem::create_directories(dir_.path / "app");
    std::filesystem::create_directories(dir_.path / "data");
    system.folder = (dir_.path / "app").string();
    s.AppDir = system.folder + "\\";
    resetInput();
    s.TargetLayer = "0";
  }

  // The input path in the program's own form, as the open dialog gives it.
  std::string inputPath() const { return (dir_.path / "data").string() + "\\" + inputName_; }
  void resetInput() { s.InputPath = inputPath(); }
  void input(const std::string& bytes) const { writeFileBytes(data(inputName_), bytes); }

  std::filesystem::path app(const std::string& name) const { return dir_.path / "app" / name; }
  std::filesystem::path data(const std::string& name) const { return dir_.path / "data" / name; }
  std::string script() const { return readFileBytes(app("ENT_GO.lsp")); }
  // The part of the script between the head and ENDD.
  std::string body() const {
    const std::string text = script();
    const std::string start = cp932("(startt)\n"), end = "(defun ENDD()";
    const auto from = text.find(start) + start.size();
    return text.substr(from, text.find(end) - from);
  }
  std::string log() const { return readFileBytes(data("QMR_実行.log")); }
  // The loader's line that leaves the mark in the program folder, with its line end.
  std::string loaderMark() const {
    return "(if (setq ent_gogo_end (open \"" + (dir_.path / "app").string() +
           "/ent_gogo.end\" \"w\")) (setq ent_gogo_end (close ent_gogo_end)))\n";
  }
  // The stage texts and unloads of the progress window, in order.
  std::vector<std::string> stages() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("progress.stage:", 0) == 0 || e == "progress.unload") out.push_back(e);
    return out;
  }

  std::string inputName_;
  TempDir dir_{"harlowe_conv_"};
  RunSettings s;
  EventLog events;
  FakeUi ui{events};
  FakeSystem system{events};
  FakeFileDialog dialog{events};
  FakeProgressWindow window{events};
  Cp932CodePage cp;
  Platform p{ui, system, dialog, window, cp};
};

// The POINT record of the script for these texts.
inline std::string pointRecord(const std::string& x, const std::string& y, const std::string& z,
                               const std::string& colour) {
  return "'(((0 . \"POINT\")(10 " + x + " " + y + " " + z + ")(420 . " + colour + "))) ";
}

}  // namespace harlowe::test
