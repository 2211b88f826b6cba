// The full equal-interval converter end to end: input file in, log, script set and loader out.
#include <gtest/gtest.h>

#include <string>

#include "import/converters/txt_full_interval.h"
#include "tests/support/interval_fixture.h"

namespace harlowe {
namespace {

using test::cp932;
using test::pointRecord;

// Ten points in three clusters along X (0 to 0.08, 0.5 to 0.55, 1 to 1.09); Y has more digits
// than a short field holds, and X texts are as short as "0" and "1".
std::string clusters(const char* separator = " ", const char* lineEnd = "\n") {
  const char* xs[] = {"0", "0.05", "0.08", "0.5", "0.52", "0.55", "1", "1.02", "1.05", "1.09"};
  std::string text;
  int i = 0;
  for (const char* x : xs) {
    const std::string c = std::to_string(++i);
    for (const std::string& f : {std::string(x), std::string("-123456.7891"), std::string("2"),
                                 std::string("255"), std::string("0")})
      text += f + separator;
    text += c + lineEnd;
  }
  return text;
}

class TxtFullIntervalTest : public test::IntervalConverterTest {
 protected:
  TxtFullIntervalTest() { s.ThinningInterval = 100; }
  ConversionResult convert() { return ConvertTxtFullInterval(s, p); }
};

TEST_F(TxtFullIntervalTest, TheFirstPointOfEachClusterIsDrawnWithItsInputTexts) {
  input(clusters());
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 3);
  EXPECT_EQ(body(), cp932(std::string(test::kFirstBatchStart) +
                          pointRecord("0", "-123456.7891", "2", "16711681") +
                          pointRecord("0.5", "-123456.7891", "2", "16711684") +
                          pointRecord("1", "-123456.7891", "2", "16711687") + "))(princ))\n" +
                          test::kFlushOfOne));
  // The tail names the kept points file; the interval is left in metres.
  EXPECT_NE(script().find("(princ \"" + dir_.path.string() + "/data/scan.txt.dosasc.final\")\r\n"),
            std::string::npos);
  EXPECT_EQ(s.InputPath, inputPath() + ".dosasc.final");
  EXPECT_EQ(s.ThinningInterval, 100.0f / 1000.0f);
  EXPECT_TRUE(workFiles().empty());
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル\n実行日時 2026/12/08 9:05:01\n \n"
                         "実行種類　:　等間隔間引き\nデータ File名 :" +
                         inputPath() +
                         "\n等間隔間引き値 : 100 \n指定描画レイヤー :0\n総点群数 : 10\n"
                         "描画点群数 : 3\n \n修了日時 2026/12/08 9:05:01\n"));
  EXPECT_EQ(
      windowSteps(),
      (std::vector<std::string>{
          "progress.show", "progress.stage:ファイルデータを処理しています。－１", "progress.unload",
          "progress.show", "progress.stage:ファイルデータを処理しています。－２", "progress.unload",
          "progress.show", "progress.stage:間隔 100mm を計算しています。", "progress.unload",
          "progress.show", "progress.stage:ファイルデータを処理しています。",
          // The split keeps the drawing stage's window, full bar and all.
          "progress.show", "progress.stage:最終処理を行ってます", "progress.unload",
          "progress.unload"}));
}

TEST_F(TxtFullIntervalTest, TheThinningShowsItsCounterAtEvery251stRecord) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "1 2 3 4 5 6\n";
  input(text);
  convert();
  std::vector<std::string> counters;
  for (const auto& e : events)
    if (e.rfind("progress.stage:間隔", 0) == 0) counters.push_back(e.substr(15));
  EXPECT_EQ(counters, (std::vector<std::string>{"間隔 100mm を計算しています。",
                                                "間隔 100mm を計算しています。  251/1000",
                                                "間隔 100mm を計算しています。  502/1000",
                                                "間隔 100mm を計算しています。  753/1000"}));
  EXPECT_NE(log().find(cp932("総点群数 : 1000\n描画点群数 : 1\n")), std::string::npos);
}

// Inputs that cannot be drawn whole: the first line that cannot be a point ends the input.
TEST_F(TxtFullIntervalTest, TheFirstLineThatIsNoPointEndsTheInput) {
  const std::string a = "0 0 0 1 2 3\n", b = "1 0 0 1 2 3\n", c = "2 0 0 1 2 3\n";
  struct Case {
    const char* name;
    std::string input;
    const char* unit;
    End end;
    std::int64_t points;
    std::int64_t badLine;  // 0: none; with NothingDrawn and 0 the input was empty
    LineProblem problem;
  } cases[] = {
      {"empty", "", "m", End::NothingDrawn, 0, 0, {}},
      {"header first", "//X Y Z R G B\n" + a, "m", End::NothingDrawn, 0, 1,
       LineProblem::NotANumber},
      {"three columns", "0 0 0\n1 0 0\n", "m", End::NothingDrawn, 0, 1, LineProblem::TooFewFields},
      {"five fields", a + b + "2 0 0 1 2\n" + c, "m", End::StoppedEarly, 2, 3,
       LineProblem::TooFewFields},
      {"empty line", a + "\n" + b, "m", End::StoppedEarly, 1, 2, LineProblem::TooFewFields},
      {"doubled blank", a + "1  0 0 1 2 3\n", "m", End::StoppedEarly, 1, 2,
       LineProblem::NotANumber},
      {"nan", a + "nan 0 0 1 2 3\n", "m", End::StoppedEarly, 1, 2, LineProblem::NotANumber},
      {"beyond a float", a + "1e39 0 0 1 2 3\n", "m", End::StoppedEarly, 1, 2,
       LineProblem::NotANumber},
      {"beyond a float in mm", a + "1e36 0 0 1 2 3\n", "mm", End::StoppedEarly, 1, 2,
       LineProblem::NotANumber},
      {"bad colour", a + b + "2 0 0 1 x 3\n", "m", End::StoppedEarly, 2, 3, LineProblem::BadColour},
      {"seventh column", a + "1 0 0 255 255 255 7.5\n", "m", End::StoppedEarly, 1, 2,
       LineProblem::BadColour},
      {"trailing blank", a + "1 0 0 1 2 3 \n", "m", End::Finished, 2, 0, {}},
  };
  for (const Case& k : cases) {
    input(k.input);
    s.ThinningInterval = 100;
    s.DrawUnit = k.unit;
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, k.end) << k.name;
    EXPECT_EQ(r.pointsDrawn, k.points) << k.name;
    if (k.end == End::NothingDrawn) {
      EXPECT_EQ(r.reason, k.badLine ? NothingReason::NoPointLine : NothingReason::EmptyInput);
    }
    EXPECT_EQ(r.badLine.has_value(), k.badLine != 0) << k.name;
    if (r.badLine && k.badLine) {
      EXPECT_EQ(r.badLine->number, k.badLine) << k.name;
      EXPECT_EQ(r.badLine->problem, k.problem) << k.name;
    }
    // The log counts the points before the line that ended the input, and the points drawn; a
    // run that sends nothing has no count of drawn points.
    const std::int64_t records = k.badLine ? k.badLine - 1 : k.points;
    EXPECT_NE(log().find(cp932("総点群数 : " + std::to_string(records) + "\n")), std::string::npos)
        << k.name;
    EXPECT_EQ(
        log().find(cp932("描画点群数 : " + std::to_string(k.points) + "\n")) != std::string::npos,
        k.end != End::NothingDrawn)
        << k.name;
    EXPECT_TRUE(workFiles().empty()) << k.name;
  }
}

TEST_F(TxtFullIntervalTest, NegativeIntervalDropsNothing) {
  input(clusters());
  s.ThinningInterval = -100;
  EXPECT_EQ(convert().pointsDrawn, 10);
}

// A survey export of the real sample, moved by whole kilometres: exactly the points of the
// unmoved sample are kept, each drawn at its moved coordinates, in metres and in millimetres.
TEST_F(TxtFullIntervalTest, TheSampleMovedByWholeKilometresKeepsTheSamePoints) {
  expectSameThinningOfTheMovedSample([this] { return convert(); });
}

}  // namespace
}  // namespace harlowe
