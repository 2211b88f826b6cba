// The quick equal-interval converter end to end: input file in, log, script set and loader out.
#include <gtest/gtest.h>

#include <string>

#include "import/converters/txt_quick_interval.h"
#include "tests/support/interval_fixture.h"

namespace harlowe {
namespace {

using test::cp932;
using test::pointRecord;

// The reference point at the origin and five points at 99.5, 96, 200.2, 2 and 150 mm from it.
std::string shells(const char* separator = " ", const char* lineEnd = "\n") {
  const char* lines[][6] = {
      {"0", "0", "0", "255", "255", "255"},    {"0.0995", "0", "0", "10", "20", "30"},
      {"0.096", "0", "0", "1", "1", "1"},      {"0", "0.2002", "0", "0", "0", "255"},
      {"0.002", "-0", "0", "255", "128", "0"}, {"0.15", "0", "0", "9", "9", "9"},
  };
  std::string text;
  for (const auto& l : lines) {
    for (int i = 0; i < 6; ++i) text += std::string(l[i]) + (i < 5 ? separator : lineEnd);
  }
  return text;
}

class TxtQuickIntervalTest : public test::IntervalConverterTest {
 protected:
  TxtQuickIntervalTest() {
    s.ThinningInterval = 100;
    s.QuickInterval = 1;
  }
  ConversionResult convert() { return ConvertTxtQuickInterval(s, p); }
};

TEST_F(TxtQuickIntervalTest, PointsInTheShellsAroundTheFirstPointAreDrawn) {
  input(shells());
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 3);
  // The reference point itself is not drawn; 99.5 mm rounds to 100 and lies in the first shell.
  EXPECT_EQ(
      body(),
      cp932(std::string(test::kFirstBatchStart) + pointRecord("0.0995", "0", "0", "660510") +
            pointRecord("0", "0.2002", "0", "255") + pointRecord("0.002", "-0", "0", "16744448") +
            "))(princ))\n" + test::kFlushOfOne));
  // The tail names the input itself; the run settings keep the input and the interval.
  EXPECT_NE(script().find("(princ \"" + dir_.path.string() + "/data/scan.txt\")\r\n"),
            std::string::npos);
  EXPECT_EQ(s.InputPath, inputPath());
  EXPECT_EQ(s.ThinningInterval, 100.0f);
  EXPECT_TRUE(workFiles().empty());
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル\n実行日時 2026/12/08 9:05:01\n \n"
                         "実行種類　:　等間隔間引き（簡易型）\nデータ File名 :" +
                         inputPath() +
                         "\n等間隔間引き値 : 100 \n指定描画レイヤー :0\n \n"
                         "修了日時 2026/12/08 9:05:01\n"));
  // The LF copy in a window of its own; the thinning with its stage text; the drawing in a fresh
  // window with the design text; the split.
  EXPECT_EQ(windowSteps(),
            (std::vector<std::string>{
                "progress.show", "progress.unload", "progress.unload", "progress.show",
                "progress.stage:間隔 100mm を計算しています。（簡易版）", "progress.unload",
                "progress.show", "progress.unload", "progress.show",
                "progress.stage:最終処理を行ってます", "progress.unload"}));
  EXPECT_NE(std::find(events.begin(), events.end(), "progress.percent:% 終了"), events.end());
}

TEST_F(TxtQuickIntervalTest, TheLineCopyShowsNoWindow) {
  input(shells("\t", "\r\n"));
  EXPECT_EQ(convert().pointsDrawn, 3);
  // The thinning's window is the first one shown.
  EXPECT_EQ(windowSteps()[1], "progress.show");
  EXPECT_EQ(windowSteps()[2], "progress.stage:間隔 100mm を計算しています。（簡易版）");
}

// Inputs that cannot be drawn whole: how each run ends.
TEST_F(TxtQuickIntervalTest, InputsThatStopOrDrawNothing) {
  const std::string ref = "0 0 0 1 1 1\n", near = "0.001 0 0 2 2 2\n";
  struct Case {
    const char* name;
    std::string input;
    float interval;
    End end;
    std::int64_t points;
    NothingReason reason;  // NothingDrawn
    std::int64_t badLine;  // 0: none
    LineProblem problem;
    const char* unit = "m";
  } cases[] = {
      {"empty", "", 100, End::NothingDrawn, 0, NothingReason::EmptyInput, 0, {}},
      {"only the reference", ref, 100, End::NothingDrawn, 0, NothingReason::NothingInShells, 0, {}},
      {"nothing in a shell",
       ref + "0.05 0 0 1 1 1\n0.07 0 0 1 1 1\n",
       100,
       End::NothingDrawn,
       0,
       NothingReason::NothingInShells,
       0,
       {}},
      {"header first", "X Y Z R G B\n" + near, 100, End::NothingDrawn, 0,
       NothingReason::NoPointLine, 1, LineProblem::NotANumber},
      {"three columns", "0 0 0\n0.001 0 0\n", 100, End::NothingDrawn, 0, NothingReason::NoPointLine,
       1, LineProblem::TooFewFields},
      // The reference line must be a point the drawing stage could draw.
      {"reference of five values", "0 0 0 1 1\n" + near, 100, End::NothingDrawn, 0,
       NothingReason::NoPointLine, 1, LineProblem::TooFewFields},
      {"reference with a bad colour", "0 0 0 1 x 1\n" + near, 100, End::NothingDrawn, 0,
       NothingReason::NoPointLine, 1, LineProblem::BadColour},
      {"reference beyond a float in mm", "1e36 0 0 1 1 1\n1e36 0 0 1 1 1\n", 100, End::NothingDrawn,
       0, NothingReason::NoPointLine, 1, LineProblem::NotANumber, "mm"},
      // A coordinate that the unit cannot take stops the points even on a line that is dropped.
      {"beyond a float in mm",
       ref + near + "1e36 0 0 1 1 1\n" + near,
       100,
       End::StoppedEarly,
       1,
       {},
       3,
       LineProblem::NotANumber,
       "mm"},
      {"no number to the CAD",
       ref + near + "0.05\t 0 0 1 1 1\n" + near,
       100,
       End::StoppedEarly,
       1,
       {},
       3,
       LineProblem::NotANumber},
      // A line of any length costs no more memory than the reader's limit.
      {"a line longer than any point",
       ref + near + std::string(3 << 20, '1') + "\n" + near,
       100,
       End::StoppedEarly,
       1,
       {},
       3,
       LineProblem::TooLong},
      {"bad line in the middle",
       ref + near + near + "0.001 zero 0 1 1 1\n" + near,
       100,
       End::StoppedEarly,
       2,
       {},
       4,
       LineProblem::NotANumber},
      {"empty line in the middle",
       ref + near + "\n" + near,
       100,
       End::StoppedEarly,
       1,
       {},
       3,
       LineProblem::TooFewFields},
      // A kept line whose colour is bad passes the thinning and stops the drawing; the dropped
      // line 3 in between does not count among the kept ones.
      {"bad colour of a kept line",
       ref + near + "0.05 0 0 1 1 1\n" + "0.002 0 0 1 x 1\n" + near,
       100,
       End::StoppedEarly,
       1,
       {},
       4,
       LineProblem::BadColour},
      // A dropped line is never drawn, so its colour is never read.
      {"bad colour of a dropped line",
       ref + near + "0.05 0 0 1 x 1\n" + near,
       100,
       End::Finished,
       2,
       {},
       0,
       {}},
      // An interval that rounds to 0 keeps every point instead of dividing by zero.
      {"interval 0.5",
       ref + near + "0.05 0 0 1 1 1\n0.5 0 0 1 1 1\n",
       0.5f,
       End::Finished,
       3,
       {},
       0,
       {}},
      {"interval -0.25", ref + near + "0.05 0 0 1 1 1\n", -0.25f, End::Finished, 2, {}, 0, {}},
  };
  for (const Case& c : cases) {
    input(c.input);
    s.ThinningInterval = c.interval;
    s.DrawUnit = c.unit;
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, c.end) << c.name;
    EXPECT_EQ(r.pointsDrawn, c.points) << c.name;
    if (c.end == End::NothingDrawn) {
      EXPECT_EQ(r.reason, c.reason) << c.name;
      if (c.reason == NothingReason::NothingInShells) {
        EXPECT_EQ(r.linesRead, std::count(c.input.begin(), c.input.end(), '\n')) << c.name;
      }
    }
    EXPECT_EQ(r.badLine.has_value(), c.badLine != 0) << c.name;
    if (r.badLine && c.badLine) {
      EXPECT_EQ(r.badLine->number, c.badLine) << c.name;
      EXPECT_EQ(r.badLine->problem, c.problem) << c.name;
    }
    EXPECT_TRUE(workFiles().empty()) << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
  }
}

TEST_F(TxtQuickIntervalTest, StaleWorkFilesAreRemovedAndTheScriptFolderMustBeWritable) {
  input(shells());
  test::writeFileBytes(data("scan.txt.dosasc.final"), "old");
  test::writeFileBytes(data("scan.txt.dosasc"), "old");
  s.AppDir = (dir_.path / "no-such-folder").string() + "\\";
  const ConversionResult r = convert();
  EXPECT_EQ(r.reason, NothingReason::CannotWrite);
  EXPECT_EQ(r.file, s.AppDir + "ENT_GO.lsp");
  EXPECT_TRUE(workFiles().empty());
  EXPECT_FALSE(window.loaded);
}

// A survey export of the real sample, moved by whole kilometres: exactly the points of the
// unmoved sample are kept, each drawn at its moved coordinates, in metres and in millimetres.
TEST_F(TxtQuickIntervalTest, TheSampleMovedByWholeKilometresKeepsTheSamePoints) {
  expectSameThinningOfTheMovedSample([this] { return convert(); });
}

}  // namespace
}  // namespace harlowe
