#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadlink/cad_report.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_platform.h"

namespace harlowe::cadlink {
namespace {

class CadReportTest : public ::testing::Test {
 protected:
  CadReportTest() {
    system.folder = "C:\\点群";
    set("cad", "CAD", "Text", "Command");
    desktop.addProcess(4, "System");
    desktop.addProcess(7, "C:\\Windows\\notepad.exe");
    desktop.addThread(8, 7);
    desktop.addWindow(70, 8, "memo - Notepad");
  }
  void set(const std::string& acad, const std::string& main, const std::string& text,
           const std::string& command) {
    desktop.profile["Main/ACADName"] = acad;
    desktop.profile["Main/MainCaption"] = main;
    desktop.profile["Main/TextCaption"] = text;
    desktop.profile["Main/CommandCaption"] = codePage.toAnsi(command);
  }
  // A CAD process with a main window, a frame below it and, when given, a command line in it.
  void addCad(std::uint32_t pid, platform::WindowHandle main, const std::string& caption,
              const std::string& commandText) {
    desktop.addProcess(pid, "cad.exe");
    desktop.addThread(pid + 1, pid);
    desktop.addWindow(main, pid + 1, codePage.toAnsi(caption));
    desktop.addChild(main + 1, main, "frame");
    desktop.addChild(main + 2, main + 1, codePage.toAnsi(commandText));
  }
  CadReport report() { return describeCadSetup({desktop, system, codePage}); }

  test::EventLog log;
  test::FakeSystem system{log};
  test::FakeDesktop desktop{log};
  test::Cp932CodePage codePage;
};

void expectHas(const CadReport& r, const std::vector<std::string>& parts) {
  for (const std::string& p : parts)
    EXPECT_NE(r.text.find(p), std::string::npos) << p << "\n" << r.text;
}

TEST_F(CadReportTest, MissingSettingsAndMissingCadSayWhatToDo) {
  struct Case {
    std::string acad, main, command;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"???",
       "???",
       "???",
       {"設定ファイル: C:\\点群\\MkScr.ini", "ACADName = （未設定）",
        "ACADName が設定されていません。", "タスクマネージャー",
        "ウィンドウのあるプログラム:\n  「notepad」\n"}},
      {"", "", "", {"ACADName が設定されていません。"}},
      {"cad",
       "CAD",
       "Command",
       {"ACADName 「cad」 のプログラムが起動していません。", "大文字と小文字も区別",
        "ウィンドウのあるプログラム:\n  「notepad」\n"}},
      {"cad", "???", "Command", {"MainCaption が設定されていません。"}},
  };
  for (const Case& c : cases) {
    set(c.acad, c.main, "???", c.command);
    CadReport r = report();
    expectHas(r, c.want);
    expectHas(
        r, {"TextCaption = （使いません）", "このままでは Harlowe はCADにコマンドを送れません。"});
    EXPECT_FALSE(r.ready);
  }
}

TEST_F(CadReportTest, AFoundCadWithItsDrawingAndCommandLine) {
  addCad(20, 2000, "CAD - [平面図.dwg]", "Command");
  CadReport r = report();
  EXPECT_TRUE(r.ready);
  expectHas(r,
            {"  ACADName = cad\n", "CAD [1] 図面 「平面図.dwg」\n  メインウィンドウ: あり\n",
             "  テキストウィンドウ: なし\n", "  コマンドライン: あり（メインウィンドウ）\n",
             "Harlowe は CAD [1]（図面 「平面図.dwg」） のコマンドラインにコマンドを送ります。"});
  EXPECT_EQ(r.text.find("CAD [2]"), std::string::npos);  // listed once, not per walk
}

TEST_F(CadReportTest, WhatTheCadOffersWhereACaptionDoesNotMatch) {
  // Main caption does not match: the CAD's own window captions are shown.
  addCad(20, 2000, "IJ Drafter - [a.dwg]", "Command");
  desktop.addWindow(2100, 21, "Palette");
  CadReport r = report();
  EXPECT_FALSE(r.ready);
  expectHas(r, {"  メインウィンドウ: なし（「CAD」 で始まるウィンドウがありません）\n",
                "  このCADのウィンドウ:\n    「IJ Drafter - [a.dwg]」\n    「Palette」\n"});
}

TEST_F(CadReportTest, TheTextsInsideAMainWindowWithoutTheCommandLine) {
  set("cad", "CAD", "???", "Command");
  addCad(20, 2000, "CAD - [b.dwg]", "コマンド:");
  // A real CAD's main window holds many texts: every one is listed, repeats once.
  std::string more;
  for (int i = 0; i < 30; ++i) {
    desktop.addChild(2010 + i, 2000, "Pane " + std::to_string(i % 25));
    if (i < 25) more += "\n    「Pane " + std::to_string(i) + "」";
  }
  CadReport r = report();
  EXPECT_FALSE(r.ready);
  expectHas(r,
            {"  コマンドライン: なし（「Command」 のウィンドウがありません）\n",
             "  メインウィンドウの中の文字列:\n    「frame」\n    「コマンド:」" + more + "\n\n"});
}

TEST_F(CadReportTest, TwoInstancesAndTheOneARunWouldUse) {
  addCad(20, 2000, "CAD - [one.dwg]", "Command");
  addCad(30, 3000, "CAD - [two.dwg]", "Command");
  desktop.addWindow(3100, 31, "Text Window");
  desktop.addChild(3101, 3100, "Command");
  CadReport r = report();
  EXPECT_TRUE(r.ready);
  expectHas(r,
            {"CAD [1] 図面 「one.dwg」", "CAD [2] 図面 「two.dwg」", "  テキストウィンドウ: あり\n",
             "CADが 2 個起動しています。Harlowe が使うのは、最後に見つかった CAD [2] です。\n"
             "Harlowe は CAD [2]（図面 「two.dwg」）"});

  // The one a run would use has no command line of its own: the first one's does not count.
  desktop.windows[3002].caption = codePage.toAnsi("コマンド:");
  desktop.windows[3101].caption = "History";
  r = report();
  EXPECT_FALSE(r.ready);
  expectHas(r,
            {"CAD [1] 図面 「one.dwg」\n  メインウィンドウ: あり\n  テキストウィンドウ: なし\n"
             "  コマンドライン: あり（メインウィンドウ）\n",
             "CAD [2] 図面 「two.dwg」\n  メインウィンドウ: あり\n  テキストウィンドウ: あり\n"
             "  コマンドライン: なし（「Command」 のウィンドウがありません）\n",
             "最後に見つかった CAD [2] です。\nこのままでは Harlowe はCADにコマンドを送れません。"
             "CAD [2] のコマンドラインを表示するか、使わないCADを終了して"});
  EXPECT_EQ(r.text.find("コマンドを送ります"), std::string::npos);
}

}  // namespace
}  // namespace harlowe::cadlink
