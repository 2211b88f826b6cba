#pragma once
// What the tests of the text converters share: a program folder and an input folder of their
// own, the recording fakes, and readers of the files a conversion leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

namespace harlowe::test {

// "'(((0 . "POINT")(10 X Y Z)(420 . C))) " as the script writes one point.
inline std::string pointRecord(const std::string& x, const std::string& y, const std::string& z,
                               const std::string& colour) {
  return "'(((0 . \"POINT\")(10 " + x + " " + y + " " + z + ")(420 . " + colour + "))) ";
}

// The group start message and the opening of the first function and its first batch line.
inline const char* kFirstBatchStart =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
    "(terpri)\n"
    "(defun Ent_GO1()\n"
    "(setq enlist1 nil)\n"
    "(setq enlist1 (append enlist1 ";

// The flush of a group of one function.
inline const char* kFlush1 =
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n"
    "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
    "(setq ent_go1 nil)\n(gc)\n";

class ConverterTest : public ::testing::Test {
 protected:
  ConverterTest() : dir_("harlowe_conv_") {
    std::filesystem::create_directories(dir_.path / "app");
    std::filesystem::create_directories(dir_.path / "data");
    system.folder = (dir_.path / "app").string();
    s.AppDir = system.folder + "\\";
    s.InputPath = inputPath();
    s.TargetLayer = "0";
    s.DrawUnit = "m";
  }

  // The input file in the program's own form of a path.
  std::string inputPath() const { return (dir_.path / "data").string() + "\\scan.txt"; }
  // Writes the input and points InputPath at it again (converters may move it).
  void input(const std::string& bytes) {
    writeFileBytes(dir_.path / "data" / "scan.txt", bytes);
    s.InputPath = inputPath();
  }
  std::filesystem::path app(const char* name) const { return dir_.path / "app" / name; }
  std::filesystem::path data(const char* name) const { return dir_.path / "data" / name; }
  std::string script() const { return readFileBytes(app("ENT_GO.lsp")); }
  // The part of the script between the head and ENDD.
  std::string body() const {
    const std::string text = script();
    const std::string start = cp932("(startt)\n"), end = "(defun ENDD()";
    const auto from = text.find(start) + start.size();
    return text.substr(from, text.find(end) - from);
  }
  std::string log() const { return readFileBytes(data("QMR_実行.log")); }
  // The files beside the input, other than the input and the log.
  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path / "data")) {
      const std::string name = e.path().filename().string();
      if (name != "scan.txt" && name != "QMR_実行.log") names.push_back(name);
    }
    return names;
  }
  // The stage texts and unloads of the progress window, in order.
  std::vector<std::string> stages() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("progress.stage:", 0) == 0 || e == "progress.unload" || e == "progress.show")
        out.push_back(e);
    return out;
  }
  using End = ConversionResult::End;

  TempDir dir_;
  RunSettings s;
  EventLog events;
  FakeUi ui{events};
  FakeSystem system{events};
  FakeFileDialog dialog{events};
  FakeProgressWindow window{events};
  Cp932CodePage cp;
  Platform p{ui, system, dialog, window, cp};
};

}  // namespace harlowe::test
