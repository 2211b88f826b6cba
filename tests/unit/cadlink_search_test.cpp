#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cadlink/cad_search.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_platform.h"

namespace harlowe::cadlink {
namespace {

class CadlinkSearch : public ::testing::Test {
 protected:
  CadlinkSearch() {
    system.folder = "C:\\app";
    desktop.profile["Main/ACADName"] = "cad";
    desktop.profile["Main/CommandCaption"] = "Command";
    desktop.profile["Main/MainCaption"] = "CAD";
    desktop.profile["Main/TextCaption"] = "Text";
  }
  // One CAD process with one thread, a main window and its command line below a frame.
  void addCad(std::uint32_t pid, platform::WindowHandle main, const std::string& caption,
              platform::WindowHandle command) {
    desktop.addProcess(pid, "cad.exe");
    desktop.addThread(pid + 1, pid);
    desktop.addWindow(main, pid + 1, caption);
    desktop.addChild(main + 1, main, "frame");
    if (command != 0) desktop.addChild(command, main + 1, "Command");
  }
  long count(const std::string& prefix) const {
    return std::count_if(log.begin(), log.end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }

  test::EventLog log;
  test::FakeSystem system{log};
  test::FakeDesktop desktop{log};
  test::Cp932CodePage codePage;
  CadSearch search{SettingsSource{desktop, system, codePage}};
};

TEST_F(CadlinkSearch, FirstSearchWithOneInstanceListsItTwiceAndSelectsTheSecondSet) {
  desktop.addProcess(4, "System");
  addCad(10, 1000, "CAD - [plan.dwg]", 1002);
  search.FindCadInstances();

  ASSERT_EQ(search.CadWindows.size(), 3u);
  for (std::size_t i : {1u, 2u}) {
    const CadWindowEntry& e = search.CadWindows[i];
    EXPECT_EQ(e.DrawingName, "plan.dwg");
    EXPECT_EQ(e.MainWnd, 1000);
    EXPECT_EQ(e.MainCmdWnd, 1002);
    EXPECT_EQ(e.TextWnd, 0);
  }
  EXPECT_EQ(search.CadWindows[0].MainWnd, 0);
  const ComboBox& list = search.frmMain.peekList();
  ASSERT_EQ(list.ListCount(), 1);
  EXPECT_EQ(list.items[0].text, "plan.dwg");
  EXPECT_EQ(list.items[0].itemData, 2);
  EXPECT_EQ(list.ListIndex, 0);
  EXPECT_EQ(search.selectedEntry(), &search.CadWindows[2]);
  EXPECT_EQ(search.LastCommandWnd, 1002);

  // The form's load step read the settings before either walk; both walks closed their
  // snapshots.
  EXPECT_EQ(log.front(), "GetPrivateProfileStringA Main ACADName ??? 255");
  EXPECT_EQ(count("GetPrivateProfileStringA"), 8);
  EXPECT_EQ(count("CreateToolhelp32Snapshot 2 0"), 2);
  EXPECT_EQ(count("CreateToolhelp32Snapshot 4 0"), 2);
  EXPECT_EQ(desktop.openSnapshots, 0);

  // A later search in the same process walks once.
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.size(), 2u);
  EXPECT_EQ(search.frmMain.peekList().items[0].itemData, 1);
}

TEST_F(CadlinkSearch, FirstSearchWithTwoInstancesPointsAtTheSecondSetInProcessOrder) {
  addCad(10, 1000, "CAD - [a.dwg]", 1002);
  addCad(20, 2000, "CAD - [b.dwg]", 2002);
  search.FindCadInstances();

  ASSERT_EQ(search.CadWindows.size(), 5u);
  EXPECT_EQ(search.CadWindows[1].MainWnd, 1000);
  EXPECT_EQ(search.CadWindows[2].MainWnd, 2000);
  EXPECT_EQ(search.CadWindows[3].MainWnd, 1000);
  EXPECT_EQ(search.CadWindows[4].MainWnd, 2000);
  const ComboBox& list = search.frmMain.peekList();
  ASSERT_EQ(list.ListCount(), 2);
  EXPECT_EQ(list.items[0].text, "a.dwg");
  EXPECT_EQ(list.items[0].itemData, 3);
  EXPECT_EQ(list.items[1].text, "b.dwg");
  EXPECT_EQ(list.items[1].itemData, 4);
  EXPECT_EQ(list.ListIndex, 1);
  EXPECT_EQ(search.selectedEntry()->MainWnd, 2000);
  EXPECT_EQ(search.LastCommandWnd, 2002);
}

TEST_F(CadlinkSearch, MatchesTheExecutableBaseNameWholeAndCaseSensitively) {
  desktop.addProcess(1, "CAD.EXE");
  desktop.addProcess(2, "cad64.exe");
  desktop.addProcess(3, "ca.exe");
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.size(), 1u);
  EXPECT_EQ(search.frmMain.peekList().ListCount(), 0);
  EXPECT_EQ(search.frmMain.peekList().ListIndex, -1);
  EXPECT_EQ(search.selectedEntry(), nullptr);

  desktop.addProcess(4, "C:\\Program Files\\cad.x64.exe");
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.size(), 2u);
}

TEST_F(CadlinkSearch, WalksOnlyTheThreadsOfTheCadAndPassesTheThreadIdAsData) {
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(99, 50);  // another program's thread
  desktop.addWindow(990, 99, "CAD - [other.dwg]");
  desktop.addThread(11, 10);
  desktop.addThread(12, 10);
  desktop.addWindow(1200, 12, "CAD - [own.dwg]");
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.back().MainWnd, 1200);
  EXPECT_EQ(count("EnumThreadWindows 99"), 0);
  EXPECT_EQ(count("EnumThreadWindows 11 11"), 2);
  EXPECT_EQ(count("EnumChildWindows 1200 12"), 2);
}

TEST_F(CadlinkSearch, AProcessWithoutMatchingWindowsStillGetsAnEmptyEntry) {
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, "Untitled");
  desktop.addWindow(1001, 11, "");  // no text: skipped before its text is read
  search.FindCadInstances();
  const CadWindowEntry& e = search.CadWindows.back();
  EXPECT_EQ(e.DrawingName, "");
  EXPECT_EQ(e.MainWnd, 0);
  EXPECT_EQ(e.TextWnd, 0);
  EXPECT_EQ(search.frmMain.peekList().items.back().text, "");
  EXPECT_EQ(count("GetWindowTextA 1001"), 0);
}

TEST_F(CadlinkSearch, TextWindowAndTheCommandLineFoundLast) {
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, "CAD - [p.dwg]");
  desktop.addChild(1001, 1000, "Command");
  desktop.addWindow(3000, 11, "Text - history");
  desktop.addChild(3001, 3000, "Command");
  search.FindCadInstances();
  const CadWindowEntry& e = search.CadWindows.back();
  EXPECT_EQ(e.MainWnd, 1000);
  EXPECT_EQ(e.MainCmdWnd, 1001);
  EXPECT_EQ(e.TextWnd, 3000);
  EXPECT_EQ(e.TextCmdWnd, 3001);
  EXPECT_EQ(search.LastCommandWnd, 3001);
}

TEST_F(CadlinkSearch, ACaptionMatchingBothPrefixesIsTheMainWindow) {
  desktop.profile["Main/TextCaption"] = "CAD";
  addCad(10, 1000, "CAD - [p.dwg]", 1002);
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.back().MainWnd, 1000);
  EXPECT_EQ(search.CadWindows.back().TextWnd, 0);
}

TEST_F(CadlinkSearch, TheFirstMatchingDescendantStopsTheChildWalk) {
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, "CAD - [p.dwg]");
  desktop.addChild(1001, 1000, "panel");
  desktop.addChild(1002, 1001, "Command");  // grandchild, first in order
  desktop.addChild(1003, 1000, "Command");
  desktop.addChild(1004, 1000, "command");  // case matters
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.back().MainCmdWnd, 1002);
  EXPECT_EQ(count("GetWindowTextLengthA 1003"), 0);
}

TEST_F(CadlinkSearch, AMainWindowWithoutCommandLineKeepsTheLastOneFound) {
  addCad(10, 1000, "CAD - [a.dwg]", 1002);
  addCad(20, 2000, "CAD - [b.dwg]", 0);
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows[4].MainCmdWnd, 1002);  // never cleared
  EXPECT_EQ(search.LastCommandWnd, 1002);
}

TEST_F(CadlinkSearch, UsesTheTextCopiedEvenWhenTheLengthIsOverstated) {
  desktop.overstateTextLength = 4;
  addCad(10, 1000, "CAD - [p.dwg]", 1002);
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.back().DrawingName, "p.dwg");
  EXPECT_EQ(search.LastCommandWnd, 1002);
}

TEST_F(CadlinkSearch, JapaneseCaptionsAreComparedAndCutByCharacter) {
  desktop.profile["Main/MainCaption"] = "\x95\x5c\x8e\xa6";                     // 表示
  desktop.profile["Main/CommandCaption"] = "\x83\x52\x83\x7d\x83\x93\x83\x68";  // コマンド
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, codePage.toAnsi("表示 - [平面図.dwg]"));
  desktop.addChild(1001, 1000, codePage.toAnsi("コマンド"));
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.back().DrawingName, "平面図.dwg");
  EXPECT_EQ(search.LastCommandWnd, 1001);
}

TEST_F(CadlinkSearch, AFailedSnapshotReadsAsNoProcesses) {
  addCad(10, 1000, "CAD - [p.dwg]", 1002);
  desktop.fail("CreateToolhelp32Snapshot", -1);
  search.FindCadInstances();
  EXPECT_EQ(search.CadWindows.size(), 1u);
  EXPECT_EQ(search.selectedEntry(), nullptr);
}

TEST(CadlinkDrawingName, CutsFromTheThirdCharacterAfterTheDashLessTheLast) {
  EXPECT_EQ(drawingNameOf("CAD - [plan.dwg]"), "plan.dwg");
  EXPECT_EQ(drawingNameOf("CAD 2024 - [a-b.dwg]"), "a-b.dwg");  // the first "-" counts
  EXPECT_EQ(drawingNameOf("CADmain"), "Dmai");                  // no "-": from the third
  EXPECT_EQ(drawingNameOf("図面ソフト"), "ソフ");
  EXPECT_EQ(drawingNameOf("CAD -"), "");  // nothing after the "-"
  EXPECT_EQ(drawingNameOf("CAD - ["), "");
  EXPECT_EQ(drawingNameOf("CAD - [x"), "");
  EXPECT_EQ(drawingNameOf("AB"), "");
}

}  // namespace
}  // namespace harlowe::cadlink
