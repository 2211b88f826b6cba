#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "dialogs/form4.h"
#include "dialogs/layer_list.h"
#include "dialogs/narrow_text.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_form_host.h"
#include "tests/support/test_names.h"

namespace harlowe::dialogs {
namespace {

using test::FakeFormHost;
using Items = std::vector<std::string>;

TEST(LayerItems, CommasLineEndsQuotesAndBlanks) {
  EXPECT_EQ(parseLayerItems("0\r\nWall, Floor\r\n\"A,B\"\r\n"),
            (Items{"0", "Wall", "Floor", "A,B"}));
  EXPECT_EQ(parseLayerItems(""), Items{});
  EXPECT_EQ(parseLayerItems("a"), Items{"a"});  // no line end after the last item
  EXPECT_EQ(parseLayerItems("  a b  ,\tc\t\r\n"), (Items{"a b", "c"}));
  EXPECT_EQ(parseLayerItems("\"  x  \""), Items{"  x  "});  // quotes keep the blanks
  EXPECT_EQ(parseLayerItems("\"x\" junk,y"), (Items{"x", "y"}));
  EXPECT_EQ(parseLayerItems("\"open, to the end"), Items{"open, to the end"});
  EXPECT_EQ(parseLayerItems("a\nb\rc"), (Items{"a", "b", "c"}));  // lone LF and CR end lines
}

TEST(LayerItems, EmptyItemsAndDuplicatesAreKept) {
  EXPECT_EQ(parseLayerItems("a,,b"), (Items{"a", "", "b"}));
  EXPECT_EQ(parseLayerItems("a\r\n\r\nb\r\n"), (Items{"a", "", "b"}));
  EXPECT_EQ(parseLayerItems("a,\r\nb"), (Items{"a", "", "b"}));
  EXPECT_EQ(parseLayerItems("\r\n"), Items{""});
  EXPECT_EQ(parseLayerItems("W,W\r\nW"), (Items{"W", "W", "W"}));
}

TEST(NarrowText, FullWidthToAsciiAndHalfWidthKana) {
  EXPECT_EQ(narrowText("ｔａｒｇｅｔ１"), "target1");
  EXPECT_EQ(narrowText("Ｐｉｐｅ！（＃）～"), "Pipe!(#)~");
  EXPECT_EQ(narrowText("Ａ　Ｂ"), "A B");  // ideographic space
  EXPECT_EQ(narrowText("パイプ"), "ﾊﾟｲﾌﾟ");
  EXPECT_EQ(narrowText("ガッコウ・ヴー"), "ｶﾞｯｺｳ･ｳﾞｰ");
  EXPECT_EQ(narrowText("壁ひらがなﾀﾞ"), "壁ひらがなﾀﾞ");  // kanji, hiragana, half-width kept
  EXPECT_EQ(narrowText("a\xff"
                       "b"),
            "a\xff"
            "b");  // not UTF-8: bytes kept
  EXPECT_EQ(upperAscii("pipe1ｐ壁"), "PIPE1ｐ壁");
}

class Form4Test : public ::testing::Test {
 protected:
  Form4Test() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir = std::filesystem::temp_directory_path() / ("h4_form4_" + name);
    std::filesystem::create_directories(dir);
    s.AppDir = dir.string() + "/";
    s.InputFileLabel = "C:\\データ\\scan.txt";
  }
  ~Form4Test() override { std::filesystem::remove_all(dir); }
  void writeLayDat(const std::string& ansi) {
    std::ofstream(dir / "Lay.dat", std::ios::binary) << ansi;
  }
  void open() {
    host.load();
    host.show();
  }

  std::filesystem::path dir;
  RunSettings s;
  test::Cp932CodePage codePage;
  Form4 form{s, codePage};
  FakeFormHost host{form4Def(), form};
};

TEST_F(Form4Test, LoadFillsTheListAndPassesEveryItemThroughTargetLayer) {
  writeLayDat("0\r\nWall, Floor\r\n\"A,B\"\r\n" + codePage.toAnsi("壁\r\n"));
  open();
  EXPECT_EQ(host.items("List1"), (Items{"0", "Wall", "Floor", "A,B", "壁"}));
  EXPECT_EQ(s.TargetLayer, "壁");
  EXPECT_EQ(host.text("Label7"), "C:\\データ\\scan.txt");
  EXPECT_EQ(host.text("Label5"), "");
  EXPECT_EQ(host.text("Label3"), kLayerInstruction);
  EXPECT_EQ(host.focus(), "List1");
  EXPECT_FALSE(host.checked("Check1"));

  host.closeBox();  // no handler: the last item read stays the layer
  EXPECT_EQ(s.TargetLayer, "壁");
}

TEST_F(Form4Test, MissingLayDatGivesAnEmptyListAndANewNameStillWorks) {
  open();
  EXPECT_TRUE(host.items("List1").empty());
  EXPECT_EQ(s.TargetLayer, "");
  host.type("Text1", "新規");
  host.click("Command1");
  EXPECT_TRUE(host.unloaded());
  EXPECT_EQ(s.TargetLayer, "新規");
}

TEST_F(Form4Test, ChosenNameIsWhicheverCameLast) {
  writeLayDat("Wall\r\nFloor\r\n");
  open();
  host.select("List1", 0);
  EXPECT_EQ(host.text("Label5"), "Wallのレイヤーに描画します。");

  host.type("Text1", "Pipe2");
  EXPECT_EQ(form.chosenName(), "Pipe2");
  EXPECT_EQ(host.text("Label5"), "Pipe2のレイヤーに描画します。");

  host.type("Text1", "Pip");
  host.type("Text1", "");  // deleting: the label empties, the name stays the last typed one
  EXPECT_EQ(host.text("Label5"), "");
  EXPECT_EQ(form.chosenName(), "Pip");

  host.click("Text1");  // a click into the empty box changes nothing else
  EXPECT_EQ(form.chosenName(), "Pip");

  host.doubleClick("List1", 1);
  EXPECT_EQ(form.chosenName(), "Floor");
  EXPECT_EQ(host.text("Label5"), "Floorのレイヤーに描画します。");

  host.click("Text1");  // Text1 is empty: the list choice stays
  EXPECT_EQ(form.chosenName(), "Floor");

  host.click("Check1");
  host.click("Command1");
  EXPECT_TRUE(host.unloaded());
  EXPECT_EQ(s.TargetLayer, "Floor");
  EXPECT_EQ(s.ZoomExtentsAtEnd, 1);
}

TEST_F(Form4Test, OkWithoutANameAsksForOne) {
  open();
  host.click("Check1");
  host.pressEnter();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kNoLayerMessage);
  EXPECT_EQ(host.messages[0].title, platform::kAppTitle);
  EXPECT_EQ(host.messages[0].icon, platform::MessageIcon::None);
  EXPECT_FALSE(host.ended());
  EXPECT_EQ(s.ZoomExtentsAtEnd, 0);
}

struct NameCase {
  std::string name;
  std::string message;  // empty: accepted
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << "name \"" << c.name << '"'; }

// The refusal of a name that holds characters the CAD cannot take.
std::string refusedCharacters(const std::string& shown, const char* reason) {
  return "レイヤー名称に 『 " + shown + " 』 は含められません。\n" + reason + kLayerOtherName;
}

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class Form4NameTest : public Form4Test, public ::testing::WithParamInterface<NameCase> {};

TEST_P(Form4NameTest, ReservedNamesAndNamesTheCadCannotTakeAreRefused) {
  const NameCase& c = GetParam();
  open();
  host.type("Text1", c.name);
  host.click("Command1");
  if (!c.message.empty()) {
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, c.message);
    EXPECT_EQ(host.messages[0].title, "レイヤー選択");
    EXPECT_EQ(host.messages[0].icon, platform::MessageIcon::Error);
    EXPECT_FALSE(host.ended());
    EXPECT_EQ(host.text("Text1"), c.name);
    EXPECT_EQ(s.TargetLayer, "");
  } else {
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(s.TargetLayer, c.name);  // stored as typed, not narrowed or upper-cased
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, Form4NameTest,
    ::testing::Values(NameCase{"ｔａｒｇｅｔ１", kTargetMessage},
                      NameCase{"MyTarget", kTargetMessage}, NameCase{"Target_1", kTargetMessage},
                      NameCase{"pipe", kPipeMessage}, NameCase{"Ｐｉｐｅ", kPipeMessage},
                      NameCase{"PIPE", kPipeMessage}, NameCase{"centerLine", kCenterlineMessage},
                      NameCase{"sagyou", kSagyouMessage}, NameCase{"ＳＡＧＹＯＵ", kSagyouMessage},
                      NameCase{"pipe1", ""}, NameCase{"PIPE ", ""}, NameCase{"SAGYOU2", ""},
                      NameCase{"ﾊﾟｲﾌﾟ", ""}, NameCase{"Cancel", ""}, NameCase{"配管Ａ", ""},
                      // What the CAD cannot take: characters the code page lacks (they would
                      // reach it as "?"), control characters, the signs, more than 255
                      // characters (counted as characters, not bytes).
                      NameCase{"café😀", refusedCharacters("é 😀", kLayerCodePageReason)},
                      NameCase{"a\r\nb", kLayerControlMessage},
                      NameCase{"壁\t1", kLayerControlMessage},
                      NameCase{"A:B/C:", refusedCharacters(": /", kLayerSignReason)},
                      NameCase{"<>\\\"?*|,=;`",
                               refusedCharacters("< > \\ \" ? * | , = ; `", kLayerSignReason)},
                      NameCase{repeated("a", 256),
                               "レイヤー名称は 255 文字までです（入力された名称は 256 "
                               "文字）。他の名称を入力してください。"},
                      NameCase{repeated("壁", 255), ""}, NameCase{"点群①～ 2", ""}),
    [](const ::testing::TestParamInfo<NameCase>& info) {
      // A long name is named by its start and its length (the fixture's folder bears the name).
      const std::string name = test::caseName(info.param.name);
      if (name.size() <= 60) return name;
      return name.substr(0, 24) + "_" + std::to_string(info.param.name.size()) + "_bytes";
    });

TEST_F(Form4Test, CancelMarksTheLayerAndKeepsTheZoom) {
  s.ZoomExtentsAtEnd = 1;  // from an earlier OK in this run
  writeLayDat("Wall\r\n");
  open();
  host.select("List1", 0);
  host.pressEscape();
  EXPECT_TRUE(host.unloaded());
  EXPECT_EQ(s.TargetLayer, "Cancel");
  EXPECT_EQ(s.ZoomExtentsAtEnd, 1);
}

}  // namespace
}  // namespace harlowe::dialogs
