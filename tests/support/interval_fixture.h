#pragma once
// The fixture of the equal-interval converter tests: the converter fixture with an input that
// every write makes the run's input again, the files left beside it, and the opening and flush
// texts of a script with one function.
#include <filesystem>
#include <string>
#include <vector>

#include "import/conversion_result.h"
#include "tests/support/converter_fixture.h"

namespace harlowe::test {

// The group start message and the opening of the first function and its first batch line.
inline const char* kFirstBatchStart =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
    "(terpri)\n"
    "(defun Ent_GO1()\n"
    "(setq enlist1 nil)\n"
    "(setq enlist1 (append enlist1 ";

// The flush of a group of one function.
inline const char* kFlushOfOne =
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n"
    "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
    "(setq ent_go1 nil)\n(gc)\n";

class IntervalConverterTest : public ConverterTest {
 protected:
  IntervalConverterTest() : ConverterTest("scan.txt") { s.DrawUnit = "m"; }

  // Writes the input and makes it the run's input again (the full converter moves InputPath).
  void input(const std::string& bytes) {
    ConverterTest::input(bytes);
    resetInput();
  }
  // The files beside the input, other than the input and the log.
  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(data(""))) {
      const std::string name = e.path().filename().string();
      if (name != inputName_ && name != "QMR_実行.log") names.push_back(name);
    }
    return names;
  }
  // What the progress window was asked to do when: shown, given a stage text, unloaded.
  std::vector<std::string> windowSteps() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("progress.stage:", 0) == 0 || e == "progress.unload" || e == "progress.show")
        out.push_back(e);
    return out;
  }
  using End = ConversionResult::End;
};

}  // namespace harlowe::test
