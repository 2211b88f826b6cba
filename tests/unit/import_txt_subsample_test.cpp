// The every-n-th text converter end to end: input file in, log, script set and loader out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "import/converters/txt_subsample.h"
#include "tests/support/converter_fixture.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

using test::cp932;

// Ten point lines: "<i>.5 -<i> 0.25 255 128 <i>".
std::string tenLines(const char* separator = " ", const char* lineEnd = "\n") {
  std::string text;
  for (int i = 1; i <= 10; ++i) {
    const std::string is = std::to_string(i);
    for (const std::string& f :
         {is + ".5", "-" + is, std::string("0.25"), std::string("255"), std::string("128")})
      text += f + separator;
    text += is + lineEnd;
  }
  return text;
}

const char* kFlush1 =
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n"
    "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
    "(setq ent_go1 nil)\n(gc)\n";

class TxtSubSampleTest : public test::ConverterTest {
 protected:
  TxtSubSampleTest() : ConverterTest("scan.txt") {
    s.DrawUnit = "m";
    s.SubSampleStep = 3;
  }
  ConversionResult convert() { return ConvertTxtSubSample(s, p); }
  using End = ConversionResult::End;
};

using test::pointRecord;

TEST_F(TxtSubSampleTest, TenLinesEveryThirdIsDrawn) {
  input(tenLines());
  const std::string original = s.InputPath;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 3);
  EXPECT_EQ(body(), cp932("(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
                          "(terpri)\n"
                          "(defun Ent_GO1()\n"
                          "(setq enlist1 nil)\n"
                          "(setq enlist1 (append enlist1 " +
                          pointRecord("3.5", "-3", "0.25", "16744451") +
                          pointRecord("6.5", "-6", "0.25", "16744454") +
                          pointRecord("9.5", "-9", "0.25", "16744457") + "))(princ))\n" + kFlush1));
  // The tail names the normalised copy, which is gone by now.
  EXPECT_EQ(s.InputPath, original + ".dosasc");
  const std::string tailPath = (dir_.path / "data").string() + "/scan.txt.dosasc";
  EXPECT_NE(script().find("(princ \"" + tailPath + "\")\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(data("scan.txt.dosasc")));
  EXPECT_EQ(s.DrawUnit, "1");

  const std::string l = log();
  EXPECT_EQ(l.rfind(cp932("QMR 変換ログファイル\n開始日時 "), 0), 0u);
  EXPECT_NE(l.find(cp932("データ File名 :" + original + "\n間引き値 : 3 \n")), std::string::npos);
  EXPECT_NE(l.find(cp932(" \n  総点数 : 10\n描画点数 : 3\n \n修了日時 ")), std::string::npos);

  EXPECT_TRUE(fs::exists(app("ENT_start.lsp")));
  EXPECT_TRUE(fs::exists(app("ENT_GO2.lsp")));  // ENDD falls on a tested line
  EXPECT_EQ(test::readFileBytes(app("ent_gogo.lsp")),
            cp932("(load \"ent_start\")\n(load \"ent_go1\")\n(load \"ent_go2\")\n" + loaderMark() +
                  "(gc)\n"));
}

TEST_F(TxtSubSampleTest, StepLargerThanTheFileDrawsNothingButCountsTheLines) {
  input(tenLines());
  s.SubSampleStep = 11;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::StepBeyondInput);
  EXPECT_EQ(r.linesRead, 10);
  EXPECT_EQ(body(), cp932("(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
                          "(terpri)\n"
                          "(defun Ent_GO1()\n"
                          "(setq enlist1 nil)\n"
                          "(setq enlist1 (append enlist1 ))(princ))\n" +
                          std::string(kFlush1)));
  // No count of drawn points: the start procedure ends the log with the reason.
  EXPECT_EQ(log().find(cp932("描画点数")), std::string::npos);
}

TEST_F(TxtSubSampleTest, StepZeroReadsNothingAndFailsTheFirstPoint) {
  input(tenLines());
  s.SubSampleStep = 0;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::StepBelowOne);
  EXPECT_EQ(body(), cp932("(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
                          "(terpri)\n"
                          "(defun Ent_GO1()\n"
                          "(setq enlist1 nil)\n"
                          "(setq enlist1 (append enlist1 ))(princ))\n" +
                          std::string(kFlush1)));
  EXPECT_EQ(log().find(cp932("描画点数")), std::string::npos);
}

TEST_F(TxtSubSampleTest, HeaderLineIsSkippedByTheStepOrEndsTheBody) {
  input("X Y Z R G B\n" + tenLines());
  s.SubSampleStep = 2;
  EXPECT_EQ(convert().pointsDrawn, 5);
  EXPECT_NE(body().find(pointRecord("1.5", "-1", "0.25", "16744449")), std::string::npos);
  EXPECT_NE(log().find(cp932("  総点数 : 11\n描画点数 : 5\n")), std::string::npos);

  resetInput();
  s.SubSampleStep = 1;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::NoPointLine);
  EXPECT_EQ(r.badLine->number, 1);
  EXPECT_EQ(r.badLine->start, "X Y Z R G B");
  EXPECT_EQ(body().find("POINT"), std::string::npos);
  EXPECT_EQ(log().find(cp932("描画点数")), std::string::npos);
}

TEST_F(TxtSubSampleTest, MillimetresScaleAndADoubledBlankEndsTheBody) {
  input("1.5 2 -0.001 0 0 255\n1.25  2 3 4 5 6\n7 8 9 1 2 3\n");
  s.DrawUnit = "mm";
  s.SubSampleStep = 1;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::StoppedEarly);
  EXPECT_EQ(r.pointsDrawn, 1);
  EXPECT_EQ(r.badLine->number, 2);
  EXPECT_EQ(r.badLine->problem, LineProblem::NotANumber);
  EXPECT_EQ(body(), cp932("(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
                          "(terpri)\n"
                          "(defun Ent_GO1()\n"
                          "(setq enlist1 nil)\n"
                          "(setq enlist1 (append enlist1 " +
                          pointRecord("1500", "2000", "-1", "255") + "))(princ))\n" + kFlush1));
  EXPECT_EQ(s.DrawUnit, "1000");
  EXPECT_NE(log().find(cp932("  総点数 : 2\n描画点数 : 1\n")), std::string::npos);

  // In metres too: the empty place would otherwise draw the point at (1.25, 2) with a wrong
  // colour.
  resetInput();
  s.DrawUnit = "m";
  const ConversionResult m = convert();
  EXPECT_EQ(m.end, End::StoppedEarly);
  EXPECT_EQ(m.pointsDrawn, 1);
  EXPECT_EQ(m.badLine->number, 2);
}

// A bad line far into the file: every point before it is drawn, including those of its
// unfinished group, and the result names it.
TEST_F(TxtSubSampleTest, BadLineEndsThePointsAndEverythingBeforeItIsDrawn) {
  std::string text;
  for (int i = 1; i <= 10001; ++i) text += i == 5001 ? "1.5 2 3 abc 0 0\n" : "1.5 2 3 4 5 6\n";
  input(text);
  s.SubSampleStep = 1;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::StoppedEarly);
  EXPECT_EQ(r.pointsDrawn, 5000);
  EXPECT_EQ(r.badLine->number, 5001);
  EXPECT_EQ(r.badLine->start, "1.5 2 3 abc 0 0");
  EXPECT_EQ(r.badLine->problem, LineProblem::BadColour);
  // 5,000 points fill two functions; the third is closed empty and the group of three called.
  const std::string b = body();
  const std::string cut = "(setq enlist3 (append enlist3 ))(princ))\r\n";
  ASSERT_NE(b.find(cut), std::string::npos);
  const std::string flush = b.substr(b.find(cut) + cut.size());
  for (const char* call : {"(ent_go1)", "(ent_go2)", "(ent_go3)"})
    EXPECT_NE(flush.find(call), std::string::npos) << call;
  EXPECT_NE(log().find(cp932("描画点数 : 5000\n")), std::string::npos);
}

TEST_F(TxtSubSampleTest, EmptyInputHasNothingToDrawAndLeavesNoWorkFile) {
  input("");
  s.SubSampleStep = 1;
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::EmptyInput);
  EXPECT_FALSE(fs::exists(data("scan.txt.dosasc")));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TxtSubSampleTest, ProgressStagesInOrder) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "1 2 3 4 5 6\n";
  input(text);
  s.SubSampleStep = 1;
  convert();
  EXPECT_EQ(stages(), (std::vector<std::string>{
                          "progress.stage:ファイルデータを処理しています。－１", "progress.unload",
                          "progress.stage:ファイルデータを処理しています。－２", "progress.unload",
                          "progress.stage:最終処理を行ってます", "progress.unload"}));
  // The drawing stage's bar moves in steps of more than 5% and ends full.
  EXPECT_NE(std::find(events.begin(), events.end(), "progress.percent:100% 終了"), events.end());
}

TEST_F(TxtSubSampleTest, MissingInputIsReportedAndNothingGoesOn) {
  s.InputPath = (dir_.path / "data").string() + "\\missing.txt";
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::CannotRead);
  EXPECT_EQ(r.file, s.InputPath);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(fs::exists(data("missing.txt.dosasc")));
  EXPECT_FALSE(fs::exists(app("ent_gogo.lsp")));
  // The log keeps its head.
  EXPECT_NE(log().find(cp932("指定描画レイヤー :0\n")), std::string::npos);
  EXPECT_EQ(log().find(cp932("総点数")), std::string::npos);
}

TEST_F(TxtSubSampleTest, UnwritableScriptFolderIsReported) {
  input(tenLines());
  s.AppDir = (dir_.path / "no-such-folder").string() + "\\";
  const ConversionResult r = convert();
  EXPECT_EQ(r.reason, NothingReason::CannotWrite);
  EXPECT_EQ(r.file, s.AppDir + "ENT_GO.lsp");
  EXPECT_FALSE(window.loaded);
}

}  // namespace
}  // namespace harlowe
