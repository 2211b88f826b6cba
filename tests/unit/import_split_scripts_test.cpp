// Splitting ENT_GO.lsp into ENT_start.lsp, the pieces ENT_GO<k>.lsp and the loader ent_gogo.lsp.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "import/point_script.h"
#include "import/run_settings.h"
#include "import/split_scripts.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

using test::cp932;

const char* kLoading = "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n";

class CountSource : public PointSource {
 public:
  explicit CountSource(int count) : count_(count) {}
  bool atEnd() override { return i_ >= count_; }
  PointStatus next(PointTexts& p) override {
    if (i_ >= count_) return PointStatus::EndOfData;
    ++i_;
    p = {"1", "2", "3", "255"};
    return PointStatus::Ok;
  }

 private:
  int count_, i_ = 0;
};

class SplitTest : public ::testing::Test {
 protected:
  SplitTest() {
    dir_ = fs::temp_directory_path() / ("harlowe_split_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  ~SplitTest() override { fs::remove_all(dir_); }

  std::string appDir() const { return dir_.string() + "\\"; }
  std::string read(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream b;
    b << in.rdbuf();
    return b.str();
  }
  // The lines of a file in UTF-8, CR LF removed.
  std::vector<std::string> lines(const char* name) const {
    const std::string text = cp.fromAnsi(read(name));
    std::vector<std::string> out;
    std::size_t from = 0;
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
      out.push_back(text.substr(from, at - from));
      from = at + 2;
    }
    return out;
  }
  void writeScript(int points) {
    RunSettings s;
    s.TargetLayer = "0";
    s.DrawUnit = "m";
    s.InputPath = "C:\\data\\scan.txt";
    PointScriptWriter w(cp, kTextLayout);
    ASSERT_TRUE(w.open(appDir()));
    w.writeHead(s.TargetLayer);
    CountSource src(points);
    w.writeBody(src);
    w.writeEnd(s);
    ASSERT_TRUE(w.close());
  }
  // A script of the right shape, with functions of three lines each.
  void writeSyntheticScript(int functions) {
    std::string text;
    for (int i = 1; i <= 20; ++i) text += "(head " + std::to_string(i) + ")\n";
    text += std::string(kLoading) + "(terpri)\n";
    for (int f = 1; f <= functions; ++f)
      text += "(defun Ent_GO" + std::to_string(f) + "()\n(body)\n(princ))\n";
    text += "(defun ENDD()\n(princ)\n)\n(ENDD)\n";
    std::ofstream(dir_ / "ENT_GO.lsp", std::ios::binary) << cp932(text);
  }
  SplitResult split() { return SplitLoaderScripts(appDir(), window, ui, cp); }
  // The loader's line after the last piece: the mark in the program folder.
  std::string markLine() const {
    return "(if (setq ent_gogo_end (open \"" + dir_.string() +
           "/ent_gogo.end\" \"w\")) (setq ent_gogo_end (close ent_gogo_end)))";
  }
  std::vector<std::string> scriptLines(int from, int to) {
    const auto all = lines("ENT_GO.lsp");
    return {all.begin() + (from - 1), to < 0 ? all.end() : all.begin() + to};
  }

  fs::path dir_;
  test::Cp932CodePage cp;
  test::EventLog events;
  test::FakeUi ui{events};
  test::FakeProgressWindow window{events};
};

TEST_F(SplitTest, OneFunctionWhoseEnddFallsOnAnUntestedLineStaysInOnePiece) {
  writeScript(50);  // ENDD starts at line 35, the first line of a pair
  const SplitResult r = split();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.pieces, 1);
  EXPECT_EQ(lines("ENT_start.lsp"), scriptLines(1, 22));
  EXPECT_EQ(lines("ENT_GO1.lsp"), scriptLines(23, -1));
  EXPECT_EQ(read("ent_gogo.lsp"),
            cp932("(load \"ent_start\")\n(load \"ent_go1\")\n" + markLine() + "\n(gc)\n"));
  EXPECT_FALSE(fs::exists(dir_ / "ENT_GO2.lsp"));
}

TEST_F(SplitTest, EnddOnATestedLineBeginsTheLastPiece) {
  writeScript(10);  // ENDD starts at line 34
  const SplitResult r = split();
  EXPECT_EQ(r.pieces, 2);
  EXPECT_EQ(read("ENT_GO1.lsp"),
            cp932("(defun Ent_GO1()\n"
                  "(setq enlist1 nil)\n"
                  "(setq enlist1 (append enlist1 " +
                  [] {
                    std::string rec;
                    for (int i = 0; i < 10; ++i)
                      rec += "'(((0 . \"POINT\")(10 1 2 3)(420 . 255))) ";
                    return rec;
                  }() +
                  "))(princ))\n"
                  "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n"
                  "(terpri)\n"
                  "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
                  "(setq ent_go1 nil)\n(gc)\n" +
                  kLoading));
  EXPECT_EQ(lines("ENT_GO2.lsp"), scriptLines(34, -1));
  EXPECT_EQ(lines("ENT_GO2.lsp").front(), "(defun ENDD()");
}

TEST_F(SplitTest, EveryFunctionAfterTheFirstBeginsAPiece) {
  writeScript(2500 * 6 + 1);  // two groups: functions 1-5, then 1-2
  const SplitResult r = split();
  EXPECT_EQ(r.pieces, 8);
  const char* firstLines[] = {"ENT_GO1.lsp", "ENT_GO2.lsp", "ENT_GO5.lsp",
                              "ENT_GO6.lsp", "ENT_GO7.lsp", "ENT_GO8.lsp"};
  const char* expected[] = {"(defun Ent_GO1()", "(defun Ent_GO2()", "(defun Ent_GO5()",
                            "(defun Ent_GO1()", "(defun Ent_GO2()", "(defun ENDD()"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(lines(firstLines[i]).front(), expected[i]) << i;
  // The flush and the next group's start message stay at the end of the piece before.
  const auto five = lines("ENT_GO5.lsp");
  EXPECT_EQ(five[five.size() - 3],
            "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")");
  EXPECT_EQ(five[five.size() - 2], "(terpri)");
  EXPECT_EQ(five.back() + "\n", kLoading);
  // Nothing is lost or added: the pieces without their loading lines are the script from 23 on.
  std::vector<std::string> joined;
  for (int k = 1; k <= 8; ++k) {
    auto piece = lines(("ENT_GO" + std::to_string(k) + ".lsp").c_str());
    if (k < 8) piece.pop_back();
    joined.insert(joined.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(joined, scriptLines(23, -1));
}

TEST_F(SplitTest, ScriptWithoutPointsKeepsEnddWhole) {
  writeScript(0);
  const SplitResult r = split();
  EXPECT_EQ(r.pieces, 1);
  EXPECT_EQ(lines("ENT_start.lsp"), scriptLines(1, 20));
  EXPECT_EQ(lines("ENT_GO1.lsp"), scriptLines(21, -1));
  EXPECT_EQ(lines("ENT_GO1.lsp").front(), "(defun ENDD()");
}

TEST_F(SplitTest, LoaderPausesAfterEveryHundredPieces) {
  writeSyntheticScript(99);  // 99 functions and ENDD: 100 pieces
  EXPECT_EQ(split().pieces, 100);
  std::string expected = "(load \"ent_start\")\n";
  for (int i = 1; i <= 100; ++i) expected += "(load \"ent_go" + std::to_string(i) + "\")\n";
  expected +=
      "(princ \"\\n\")\n(princ \"\\n　\")\n"
      "(getpoint \"\\n1-続けて描画する場合は画面をクリック、中止はESCキー\")\n" +
      markLine() + "\n(gc)\n";
  EXPECT_EQ(read("ent_gogo.lsp"), cp932(expected));
}

TEST_F(SplitTest, LoaderOfTwoHundredFiftyPiecesHasTwoPauses) {
  writeSyntheticScript(249);
  EXPECT_EQ(split().pieces, 250);
  const auto loader = lines("ent_gogo.lsp");
  ASSERT_EQ(loader.size(), 1u + 250u + 6u + 2u);
  EXPECT_EQ(loader[100], "(load \"ent_go100\")");
  EXPECT_EQ(loader[101], "(princ \"\\n\")");
  EXPECT_EQ(loader[102], "(princ \"\\n　\")");
  EXPECT_EQ(loader[103], "(getpoint \"\\n1-続けて描画する場合は画面をクリック、中止はESCキー\")");
  EXPECT_EQ(loader[104], "(load \"ent_go101\")");
  EXPECT_EQ(loader[203], "(load \"ent_go200\")");
  EXPECT_EQ(loader[206], "(getpoint \"\\n2-続けて描画する場合は画面をクリック、中止はESCキー\")");
  EXPECT_EQ(loader[256], "(load \"ent_go250\")");
  EXPECT_EQ(loader[257], markLine());
  EXPECT_EQ(loader[258], "(gc)");
}

TEST_F(SplitTest, ShowsItsStageAndUnloadsTheWindow) {
  writeSyntheticScript(40);
  split();
  EXPECT_EQ(events.front(), "progress.show");
  EXPECT_EQ(events[1], "progress.stage:最終処理を行ってます");
  EXPECT_EQ(events.back(), "progress.unload");
  // The pump turns before each drawing.
  int redraws = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i] == "progress.bar") {
      ++redraws;
      EXPECT_EQ(events[i - 1], "pump");
    }
  }
  EXPECT_GT(redraws, 5);
}

TEST_F(SplitTest, ConverterEntryResetsAppDirFromTheProgramFolder) {
  writeSyntheticScript(1);
  test::FakeSystem system{events};
  test::FakeFileDialog dialog{events};
  system.folder = dir_.string();
  Platform p{ui, system, dialog, window, cp};
  RunSettings s;
  s.AppDir = "stale\\";
  EXPECT_EQ(SplitLoaderScripts(s, p).pieces, 2);
  EXPECT_EQ(s.AppDir, dir_.string() + "\\");
  EXPECT_EQ(AppDirOf("C:\\app\\"), "C:\\app\\");
}

TEST_F(SplitTest, MissingScriptIsReported) {
  const SplitResult r = split();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedFile, appDir() + "ENT_GO.lsp");
}

}  // namespace
}  // namespace harlowe
