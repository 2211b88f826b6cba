// What the user is told after a conversion: one table of the classes of bad input.
#include <gtest/gtest.h>

#include "import/conversion_messages.h"
#include "tests/support/cp932_codepage.h"

namespace harlowe {
namespace {

const char* kFile = "C:\\データ\\scan.txt";

std::string messageFor(const ConversionResult& r) {
  test::Cp932CodePage cp;
  const auto m = ConversionMessage(r, kFile, cp);
  return m ? m->text : std::string();
}

TEST(ConversionMessage, NormalEndSaysNothing) {
  EXPECT_EQ(messageFor(ConversionResult::finished(10)), "");
}

TEST(ConversionMessage, StopAtALineWarnsWithLineTextReasonAndPointsDrawn) {
  test::Cp932CodePage cp;
  const auto m = ConversionMessage(
      ConversionResult::stopped(5000, MakeBadLine(5001, "1.5 2 3 abc 0 0", LineProblem::BadColour)),
      kFile, cp);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->icon, platform::MessageIcon::Warning);
  EXPECT_EQ(m->text,
            "入力ファイルの 5001 行目を点として読み込めないため、そこで読み込みを終えました。\n"
            "5001 行目より前の 5000 点を描画します。5001 行目から後の点は描画しません。\n\n"
            "ファイル : C:\\データ\\scan.txt\n"
            "5001 行目 : 1.5 2 3 abc 0 0\n"
            "理由 : 色（R G B）に数値でない値があります。");
}

// Each class of input that has no point: the reason the user reads.
TEST(ConversionMessage, NothingToDrawSaysWhyAndSendsNothing) {
  auto line = [](const std::string& text, LineProblem problem) {
    return ConversionResult::noPointLine(MakeBadLine(1, text, problem));
  };
  ConversionResult beyond = ConversionResult::nothing(NothingReason::StepBeyondInput);
  beyond.linesRead = 10;
  ConversionResult shells = ConversionResult::nothing(NothingReason::NothingInShells);
  shells.linesRead = 7;
  struct Case {
    ConversionResult result;
    std::string expected;  // a part of the text
  } cases[] = {
      {ConversionResult::nothing(NothingReason::EmptyInput), "ファイルに点のデータがありません。"},
      {line("//X Y Z R G B", LineProblem::NotANumber), "見出しの行のようです。"},
      {line("X,Y,Z,R,G,B", LineProblem::TooFewFields), "見出しの行のようです。"},
      {line("1.5,2,3,4,5,6", LineProblem::TooFewFields), "数値がカンマなどで区切られています。"},
      {line("1.5 2 3", LineProblem::TooFewFields), "色（R G B）がありません。"},
      {line("1.5 2 3 4", LineProblem::TooFewFields), "数値が足りません（4 個）。"},
      {line("", LineProblem::TooFewFields), "空の行です。"},
      {line("nan nan nan 1 2 3", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line("-inf 2 3 4 5 6", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line("1e999 2 3 4 5 6", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line(std::string("1\0.\0005", 5), LineProblem::TooFewFields), "テキストではないデータ"},
      {line("\xFF\xFE"
            "1",
            LineProblem::NotANumber),
       "テキストではないデータ"},
      {ConversionResult::nothing(NothingReason::StepBelowOne), "間引き値が１より小さいため"},
      {beyond, "間引き値がファイルの行数（10 行）より大きいため"},
      {shells, "ファイルの 7 行には、この条件に合う点がありません。"},
      {ConversionResult::nothing(NothingReason::CannotRead, "C:\\d\\a.txt"),
       "変換できませんでした。CADへは何も送りません。\n\nファイル : C:\\データ\\scan.txt\n"
       "ファイルを読み込めません。\nC:\\d\\a.txt"},
  };
  test::Cp932CodePage cp;
  for (const Case& c : cases) {
    const auto m = ConversionMessage(c.result, kFile, cp);
    ASSERT_TRUE(m) << c.expected;
    EXPECT_EQ(m->icon, platform::MessageIcon::Error) << c.expected;
    EXPECT_NE(m->text.find(c.expected), std::string::npos) << m->text;
    if (c.result.badLine) {
      EXPECT_EQ(m->text.rfind("描画できる点がないため、CADへは何も送りません。\n\nファイル : ", 0),
                0u)
          << m->text;
      EXPECT_NE(m->text.find("1 行目を点として読み込めません。\n1 行目 : "), std::string::npos);
    }
  }
}

TEST(ShownLineStart, ControlCharactersAreVisibleAndLongLinesAreCut) {
  test::Cp932CodePage cp;
  EXPECT_EQ(ShownLineStart(std::string("a\0b\x1b"
                                       "c\td",
                                       7),
                           cp),
            "a?b?c d");
  EXPECT_EQ(ShownLineStart("\x95\x5c", cp), "表");
  const std::string shown = ShownLineStart(std::string(90, '7'), cp);
  EXPECT_EQ(shown, std::string(60, '7') + "…");
  EXPECT_EQ(ShownLineStart(std::string(60, '7'), cp), std::string(60, '7'));
}

}  // namespace
}  // namespace harlowe
