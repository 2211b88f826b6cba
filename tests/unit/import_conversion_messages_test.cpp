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
            "理由 : 色（R G B）に 0～255 の数値でない値があります。");
}

// Each class of input that has no point: the reason the user reads.
TEST(ConversionMessage, NothingToDrawSaysWhyAndSendsNothing) {
  auto line = [](const std::string& text, LineProblem problem) {
    return ConversionResult::noPointLine(MakeBadLine(1, text, problem));
  };
  ConversionResult beyond = ConversionResult::nothing(NothingReason::StepBeyondInput);
  beyond.linesRead = 10;
  auto ptxLine = [](const std::string& text, LineProblem problem) {
    return ConversionResult::noPointLine(MakeBadLine(11, text, problem, LineFormat::PtxPoint));
  };
  auto with = [](NothingReason reason, const std::string& detail, std::int64_t count) {
    ConversionResult r = ConversionResult::nothing(reason);
    r.detail = detail;
    r.linesRead = count;
    r.expectedPoints = count;
    return r;
  };
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
      {line("X Y Z 11111111111111111111", LineProblem::TooLong),
       "行が長すぎます（1 MB を超えています）。各行には X Y Z R G B"},
      {line("nan nan nan 1 2 3", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line("-inf 2 3 4 5 6", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line("1e999 2 3 4 5 6", LineProblem::NotANumber), "座標（X Y Z）に数値でない値（nan"},
      {line("1.5  2 3 4 5 6", LineProblem::NotANumber), "空白が2つ以上続いているため、空の値"},
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
      {with(NothingReason::PlyBinary, "binary_little_endian", 0),
       "変換できませんでした。CADへは何も送りません。\n\nファイル : C:\\データ\\scan.txt\n"
       "バイナリ形式の PLY ファイル（binary_little_endian）です。読み込めるのは ASCII 形式の PLY "
       "だけです。"},
      {with(NothingReason::PlyProperties, "float x, float y, float z, float nx", 0),
       "このファイルの頂点 : float x, float y, float z, float nx\n必要な並び : 先頭から x y z "
       "red green blue の順で、red green blue は 0～255 の整数（uchar など。16 ビットの ushort、"
       "short は不可）"},
      {with(NothingReason::PlyNoVertexLines, "", 19404),
       "PLY のヘッダーでは頂点が 19404 個ありますが、ファイルに頂点の行がありません。"},
      {with(NothingReason::PlyEndsBeforeVertices, "face 37244", 120),
       "描画できる点がないため、CADへは何も送りません。\n\nファイル : C:\\データ\\scan.txt\n"
       "ファイルが、PLY のヘッダーで頂点（element "
       "vertex）より前にある要素の途中で終わっているため、"
       "頂点の行がありません。\n頂点より前の要素と個数 : face 37244\nファイルにあるその要素の行 : "
       "120 行\n"},
      {with(NothingReason::StepBeyondPoints, "", 700), "間引き値が描画できる点の数（700 点）"},
      {with(NothingReason::PtxShortHeader, "", 9),
       "変換できませんでした。CADへは何も送りません。\n\nファイル : C:\\データ\\scan.txt\n"
       "PTX ファイルの先頭の見出し（10 行）がそろっていません。ファイルは 9 行しかありません。"},
      {ConversionResult::noPointLine(
           MakeBadLine(8, "-0.5 0.86", LineProblem::TooFewFields, LineFormat::PtxMatrix),
           NothingReason::PtxMatrixLine),
       "変換できませんでした。CADへは何も送りません。\n\nファイル : C:\\データ\\scan.txt\n"
       "PTX ファイルの 8 行目（変換行列の 2 行目）に3つの数値がありません。\n8 行目 : -0.5 0.86"},
      {ptxLine("160", LineProblem::TooFewFields),
       "2つ目のスキャンの始まり（列数の行）のようです。"},
      {ptxLine("1.5 2.5 3.5 0.25", LineProblem::TooFewFields),
       "色（R G B）がありません。各行には x y z 強度 R G B の7つの数値"},
      {ptxLine("", LineProblem::TooFewFields), "空の行です。各行には x y z 強度 R G B"},
      {ptxLine("1 2 3 0.5 4 5", LineProblem::TooFewFields),
       "数値が足りません（6 個）。各行には x y z 強度 R G B"},
  };
  test::Cp932CodePage cp;
  for (const Case& c : cases) {
    const auto m = ConversionMessage(c.result, kFile, cp);
    ASSERT_TRUE(m) << c.expected;
    EXPECT_EQ(m->icon, platform::MessageIcon::Error) << c.expected;
    EXPECT_NE(m->text.find(c.expected), std::string::npos) << m->text;
    if (c.result.badLine && c.result.reason == NothingReason::NoPointLine) {
      EXPECT_EQ(m->text.rfind("描画できる点がないため、CADへは何も送りません。\n\nファイル : ", 0),
                0u)
          << m->text;
      const std::string n = std::to_string(c.result.badLine->number);
      EXPECT_NE(m->text.find(n + " 行目を点として読み込めません。\n" + n + " 行目 : "),
                std::string::npos);
    }
  }
}

TEST(ConversionMessage, FileEndingBeforeTheHeaderCountWarnsWithBothCounts) {
  test::Cp932CodePage cp;
  const auto m = ConversionMessage(ConversionResult::fewerThanHeader(10000, 19404), kFile, cp);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->icon, platform::MessageIcon::Warning);
  EXPECT_EQ(m->text,
            "ファイルの頂点の数がヘッダーの頂点数より少ないため、ファイルの終わりで読み込みを終えま"
            "した。\nヘッダーの頂点数 : 19404\nファイルにある頂点 : 10000\nファイルにある 10000 "
            "点を描画します。ファイルが途中で切れていないか確かめてください。\n\n"
            "ファイル : C:\\データ\\scan.txt");
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
