#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "cadlink/command_delivery.h"
#include "import/run_settings.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_platform.h"

namespace harlowe::cadlink {
namespace {

using Lines = std::vector<std::string>;

const std::string kLoadCommand = "(load \"ENT_GOGO\")\r\n";
const std::string kPromptAnsi =
    "(prompt \"\x8e\xc0\x8d\x73\x92\x86\x82\xc5\x82\xb7\x81\x42\x81\x40\x82\xa8\x91\xd2\x82\xbf"
    "\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42\")\r\n";
const std::string kEchoOffAnsi = "\x1b(setvar \"cmdecho\" 0)\r\n";

std::string key(int vk, int scan, bool up) {
  return "SendInput 1 type=1 vk=" + std::to_string(vk) + " scan=" + std::to_string(scan) +
         " flags=" + (up ? "3" : "1") + " time=0 extra=0";
}

// Every call of one delivery to a CAD whose main window is 1000 and whose command line spans
// `rect`, with the pointer free (the screen) before.
Lines expectedDelivery(int d, const std::string& rect, const std::string& cursor) {
  auto wait = [d](int k) { return "Sleep " + std::to_string(std::max(0, d * k)); };
  Lines l = {"GetClipCursor",
             "CloseWindow 1000",
             "pump",
             wait(5),
             "IsIconic 1000",
             "OpenIcon 1000",
             "GetWindowRect 1002",
             "SetWindowPos 1000 -1 0 0 0 0 3",
             "pump",
             "SetCursorPos " + cursor,
             "pump",
             "ClipCursor " + rect,
             "pump",
             "SetCursorPos " + cursor,
             "pump",
             "WindowFromPoint " + cursor,
             "GetAncestor 1002 2",
             "GetWindowThreadProcessId 1000",
             "GetWindowThreadProcessId 1000",
             "mouse_event 2 0 0 0 0",
             wait(5),
             "mouse_event 4 0 0 0 0",
             wait(5)};
  for (std::size_t bytes : {kEchoOffAnsi.size(), kPromptAnsi.size(), kLoadCommand.size()}) {
    Lines paste = {"OpenClipboard 0",
                   "EmptyClipboard",
                   "CloseClipboard",
                   "pump",
                   wait(7),
                   "OpenClipboard 0",
                   "EmptyClipboard",
                   "SetClipboardText " + std::to_string(bytes),
                   "CloseClipboard",
                   "pump",
                   wait(7),
                   "SetCursorPos " + cursor,
                   "pump",
                   "MapVirtualKeyA 17 0",
                   key(17, 29, false),
                   wait(5),
                   "MapVirtualKeyA 86 0",
                   key(86, 47, false),
                   wait(5),
                   "MapVirtualKeyA 86 0",
                   key(86, 47, true),
                   wait(5),
                   "MapVirtualKeyA 17 0",
                   key(17, 29, true),
                   wait(5)};
    l.insert(l.end(), paste.begin(), paste.end());
  }
  Lines end = {"OpenClipboard 0",
               "EmptyClipboard",
               "CloseClipboard",
               "pump",
               wait(7),
               "ClipCursor 0 0 1920 1080",
               "SetWindowPos 1000 -2 0 0 0 0 67",
               "pump"};
  l.insert(l.end(), end.begin(), end.end());
  return l;
}

class CadlinkDelivery : public ::testing::Test {
 protected:
  CadlinkDelivery() {
    system.folder = "C:\\app";
    desktop.profile["Main/ACADName"] = "cad";
    desktop.profile["Main/CommandCaption"] = "Command";
    desktop.profile["Main/MainCaption"] = "CAD";
    desktop.profile["Main/TextCaption"] = "Text";
    settings.DelayUnit = 5;
    settings.CadCommand = kLoadCommand;
  }
  void addCad(platform::Rect commandRect = {100, 200, 301, 251}) {
    desktop.addProcess(10, "cad.exe");
    desktop.addThread(11, 10);
    desktop.addWindow(1000, 11, "CAD - [plan.dwg]", {0, 0, 800, 600});
    desktop.addChild(1002, 1000, "Command", commandRect);
  }
  void run() {
    CadLink& link = delivery;
    link.sendCommandToCad(settings);
  }
  // The lines that follow the first line equal to `first`, `count` of them.
  Lines after(const std::string& first, std::size_t count) const {
    Lines a = desktop.actions();
    auto it = std::find(a.begin(), a.end(), first);
    if (it == a.end()) return {};
    auto end = static_cast<std::size_t>(a.end() - it) > count ? it + 1 + count : a.end();
    return Lines(it + 1, end);
  }
  bool logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::string message(const std::string& first) const {
    return first +
           "変換したデータは、CADのコマンドラインに　(load "
           "\"ENT_GOGO\")　と入力すると読み込めます。";
  }

  test::EventLog log;
  test::FakeUi ui{log};
  test::FakeSystem system{log};
  test::FakeDesktop desktop{log};
  test::Cp932CodePage codePage;
  CommandDelivery delivery{desktop, ui, system, codePage};
  RunSettings settings;
};

TEST_F(CadlinkDelivery, DeliversTheThreeTextsInOrderAndRestoresEverything) {
  addCad();
  run();
  EXPECT_EQ(desktop.actions(), expectedDelivery(5, "100 200 301 251", "200 225"));
  const Lines texts = {kEchoOffAnsi, kPromptAnsi, kLoadCommand};
  EXPECT_EQ(desktop.clipboardTexts, texts);
  EXPECT_EQ(desktop.clipboard, "");
  EXPECT_EQ(desktop.clip, desktop.screen);
  EXPECT_FALSE(desktop.windows[1000].topmost);
  EXPECT_FALSE(desktop.windows[1000].iconic);
  EXPECT_EQ(desktop.cursorX, 200);
  EXPECT_EQ(desktop.cursorY, 225);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CadlinkDelivery, WaitsAreMultiplesOfTheDelayFormedIn32Bits) {
  addCad();
  const std::vector<int> factors = {5, 5, 5, 7, 7, 5, 5, 5, 5, 7, 7,
                                    5, 5, 5, 5, 7, 7, 5, 5, 5, 5, 7};
  for (int d : {5, 0, 4681, 32767, -3}) {
    log.clear();
    settings.DelayUnit = static_cast<std::int16_t>(d);
    run();
    std::vector<std::uint32_t> expected;
    for (int k : factors) expected.push_back(static_cast<std::uint32_t>(std::max(0, d * k)));
    EXPECT_EQ(desktop.sleeps(), expected) << "DelayUnit " << d;
  }
  settings.DelayUnit = 5;
  log.clear();
  run();
  auto s = desktop.sleeps();
  EXPECT_EQ(std::accumulate(s.begin(), s.end(), 0u), 620u);
  settings.DelayUnit = 4681;
  log.clear();
  run();
  s = desktop.sleeps();
  EXPECT_EQ(std::accumulate(s.begin(), s.end(), 0u), 124u * 4681u);
  EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32767u);
}

TEST_F(CadlinkDelivery, RetriesWithAndWithoutPumpTurns) {
  addCad();
  desktop.fail("OpenIcon", 2);
  desktop.fail("SetWindowPos", 1);
  desktop.fail("ClipCursor", 1);
  desktop.fail("SendInput", 2, 1);  // the V press is refused twice
  run();
  EXPECT_EQ(after("IsIconic 1000", 4),
            Lines({"OpenIcon 1000", "OpenIcon 1000", "OpenIcon 1000", "GetWindowRect 1002"}));
  EXPECT_EQ(after("GetWindowRect 1002", 4), Lines({"SetWindowPos 1000 -1 0 0 0 0 3", "pump",
                                                   "SetWindowPos 1000 -1 0 0 0 0 3", "pump"}));
  EXPECT_EQ(after("SetCursorPos 200 225", 5), Lines({"pump", "ClipCursor 100 200 301 251", "pump",
                                                     "ClipCursor 100 200 301 251", "pump"}));
  EXPECT_EQ(after("MapVirtualKeyA 86 0", 4),
            Lines({key(86, 47, false), key(86, 47, false), key(86, 47, false), "Sleep 25"}));
  EXPECT_EQ(desktop.clipboardTexts.size(), 3u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CadlinkDelivery, AWindowThatStaysOpenIsBroughtToTheForeground) {
  addCad();
  desktop.minimiseWorks = false;
  desktop.fail("SetForegroundWindow", 1);
  run();
  EXPECT_EQ(after("IsIconic 1000", 3),
            Lines({"SetForegroundWindow 1000", "SetForegroundWindow 1000", "GetWindowRect 1002"}));
  EXPECT_FALSE(logged("OpenIcon 1000"));
}

TEST_F(CadlinkDelivery, NoCadMovesNothingAndSaysHowToLoadTheData) {
  desktop.addProcess(10, "notepad.exe");
  run();
  EXPECT_EQ(desktop.actions(),
            Lines({"GetClipCursor", "message:" + message("CADが見つかりませんでした。")}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, platform::kAppTitle);
  EXPECT_EQ(ui.messages[0].icon, platform::MessageIcon::Error);
}

TEST_F(CadlinkDelivery, ACadWithoutMainWindowOrCommandLineIsNotTouched) {
  desktop.addProcess(10, "cad.exe");
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, "Splash");
  run();
  EXPECT_EQ(desktop.actions().back(), "message:" + message("CADが見つかりませんでした。"));

  log.clear();
  desktop.windows[1000].caption = "CAD - [plan.dwg]";
  run();
  EXPECT_EQ(desktop.actions(),
            Lines({"GetClipCursor",
                   "message:" + message("CADのコマンドラインが見つかりませんでした。")}));
}

TEST_F(CadlinkDelivery, ACommandLineGoneBeforeTheClickStopsTheDelivery) {
  addCad();
  ui.onPump = [&] { desktop.windows.erase(1002); };
  run();
  EXPECT_EQ(desktop.actions().back(),
            "message:" + message("CADのコマンドラインが見つかりませんでした。"));
  EXPECT_FALSE(logged("SetWindowPos 1000 -1 0 0 0 0 3"));
  EXPECT_FALSE(logged("mouse_event 2 0 0 0 0"));
}

TEST_F(CadlinkDelivery, ACallThatNeverSucceedsStopsAfterTheLimitAndRestores) {
  addCad();
  desktop.clip = {10, 20, 800, 600};
  desktop.fail("SetCursorPos", -1);
  const std::uint64_t start = desktop.now;
  run();
  EXPECT_GE(desktop.now - start, kRetryLimitMs);
  EXPECT_LT(desktop.now - start, kRetryLimitMs + 200);
  EXPECT_EQ(after("SetCursorPos 200 225", 1), Lines({"pump"}));
  const Lines a = desktop.actions();
  EXPECT_EQ(
      Lines(a.end() - 4, a.end()),
      Lines({"ClipCursor 10 20 800 600", "SetWindowPos 1000 -2 0 0 0 0 67", "pump",
             "message:" + message("CADの画面を操作できないため、コマンドの送信を中止しました。")}));
  EXPECT_FALSE(logged("mouse_event 2 0 0 0 0"));
  EXPECT_FALSE(logged("OpenClipboard 0"));
  EXPECT_FALSE(desktop.windows[1000].topmost);
}

TEST_F(CadlinkDelivery, ARaiseThatNeverSucceedsStopsBeforeTouchingThePointer) {
  addCad();
  desktop.fail("OpenIcon", -1);
  run();
  EXPECT_FALSE(logged("SetWindowPos 1000 -1 0 0 0 0 3"));
  EXPECT_FALSE(logged("ClipCursor 0 0 1920 1080"));
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(CadlinkDelivery, AKeyboardThatStopsTakingInputLeavesNoKeyHeld) {
  addCad();
  desktop.fail("SendInput", -1, 1);  // Ctrl goes down, then nothing is taken
  run();
  const Lines a = desktop.actions();
  const auto lastVPress = std::find(a.rbegin(), a.rend(), key(86, 47, false)).base();
  EXPECT_EQ(
      Lines(lastVPress, a.end()),
      Lines({"MapVirtualKeyA 17 0", key(17, 29, true), "ClipCursor 0 0 1920 1080",
             "SetWindowPos 1000 -2 0 0 0 0 67", "pump",
             "message:" + message("CADの画面を操作できないため、コマンドの送信を中止しました。")}));
}

TEST_F(CadlinkDelivery, AClipboardHeldElsewhereIsWaitedForBrieflyThenReported) {
  addCad();
  desktop.fail("OpenClipboard", 2);
  run();
  EXPECT_EQ(after("mouse_event 4 0 0 0 0", 6),
            Lines({"Sleep 25", "OpenClipboard 0", "Sleep 10", "OpenClipboard 0", "Sleep 10",
                   "OpenClipboard 0"}));
  EXPECT_EQ(desktop.clipboardTexts.size(), 3u);

  log.clear();
  desktop.clipboardHeldByOther = true;
  run();
  const Lines a = desktop.actions();
  EXPECT_EQ(
      a.back(),
      "message:" + message("クリップボードを使用できないため、コマンドの送信を中止しました。"));
  EXPECT_LE(std::count(a.begin(), a.end(), "Sleep 10"), 100);
  EXPECT_FALSE(logged("MapVirtualKeyA 17 0"));
  EXPECT_EQ(desktop.clip, desktop.screen);
}

TEST_F(CadlinkDelivery, AnOwnerlessTextRefusedIsSetAgainWithAWindowOfOurs) {
  addCad();
  desktop.ownerlessTextRefused = true;
  run();
  // Each text: the ownerless try, then the same steps with our window owning the clipboard.
  Lines expected = expectedDelivery(5, "100 200 301 251", "200 225");
  for (auto it = expected.begin(); it != expected.end(); ++it) {
    if (it->rfind("SetClipboardText ", 0) != 0) continue;
    const std::string set = *it;
    it = expected.insert(it + 2, {"ClipboardOwnerWindow", "OpenClipboard 900", "EmptyClipboard",
                                  set, "CloseClipboard"});
    it += 4;
  }
  EXPECT_EQ(desktop.actions(), expected);
  const Lines texts = {kEchoOffAnsi, kPromptAnsi, kLoadCommand};
  EXPECT_EQ(desktop.clipboardTexts, texts);
  EXPECT_EQ(desktop.clipboard, "");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CadlinkDelivery, NoWindowToOwnTheClipboardStopsBeforeTheFirstPaste) {
  addCad();
  desktop.ownerlessTextRefused = true;
  desktop.clipboardOwnerWindow = 0;
  run();
  EXPECT_FALSE(logged("OpenClipboard 900"));
  EXPECT_FALSE(logged("MapVirtualKeyA 17 0"));
  EXPECT_TRUE(desktop.clipboardTexts.empty());
  EXPECT_EQ(desktop.clip, desktop.screen);
  EXPECT_FALSE(desktop.windows[1000].topmost);
  EXPECT_EQ(
      desktop.actions().back(),
      "message:" + message("クリップボードを使用できないため、コマンドの送信を中止しました。"));
}

// A refused click: the guard's queries, then the confinement and the topmost state given back,
// then the message; no click, no clipboard, no keystroke.
void expectCoveredStop(const test::FakeDesktop& desktop, const Lines& guard,
                       const std::string& message) {
  const Lines a = desktop.actions();
  auto it = std::find_if(a.begin(), a.end(),
                         [](const std::string& l) { return l.rfind("WindowFromPoint ", 0) == 0; });
  ASSERT_NE(it, a.end());
  Lines expected = guard;
  expected.insert(expected.end(), {"ClipCursor 10 20 800 600", "SetWindowPos 1000 -2 0 0 0 0 67",
                                   "pump", "message:" + message});
  EXPECT_EQ(Lines(it + 1, a.end()), expected);
  for (const std::string& l : a) {
    EXPECT_NE(l.rfind("mouse_event", 0), 0u) << l;
    EXPECT_NE(l.rfind("OpenClipboard", 0), 0u) << l;
    EXPECT_NE(l.rfind("SendInput", 0), 0u) << l;
  }
  EXPECT_TRUE(desktop.clipboardTexts.empty());
  EXPECT_EQ(desktop.clip, (platform::Rect{10, 20, 800, 600}));
}

TEST_F(CadlinkDelivery, ACommandLineUnderAnotherProgramsWindowIsNotClicked) {
  const std::string covered = message(
      "CADのコマンドラインが他のウィンドウに隠れているため、コマンドの送信を中止しました。");
  addCad();
  desktop.clip = {10, 20, 800, 600};
  desktop.addProcess(30, "notepad.exe");
  desktop.addThread(31, 30);
  desktop.addWindow(3000, 31, "memo", {150, 210, 250, 240});
  run();
  expectCoveredStop(
      desktop,
      {"GetAncestor 3000 2", "GetWindowThreadProcessId 3000", "GetWindowThreadProcessId 1000"},
      covered);
  EXPECT_FALSE(desktop.windows[1000].topmost);

  // Nothing at all under the point: the command line lies off every window.
  log.clear();
  desktop.windows.erase(3000);
  desktop.windows[1002].rect = {900, 700, 1001, 751};
  run();
  expectCoveredStop(desktop, {}, covered);
}

TEST_F(CadlinkDelivery, OnlyAWindowOfTheChosenInstanceMayTakeTheClick) {
  // Two instances; the search picks the second (pid 20), whose command line found last is in its
  // text window. The first instance's text window lies over it.
  addCad();
  desktop.clip = {10, 20, 800, 600};
  desktop.addWindow(1100, 11, "Text Window", {0, 620, 800, 900});
  desktop.addChild(1102, 1100, "Command", {0, 850, 800, 881});
  desktop.addProcess(20, "cad.exe");
  desktop.addThread(21, 20);
  desktop.addWindow(2000, 21, "CAD - [b.dwg]", {0, 0, 800, 600});
  desktop.addChild(2002, 2000, "Command", {0, 560, 800, 591});
  desktop.addWindow(2100, 21, "Text Window", {0, 620, 800, 900});
  desktop.addChild(2102, 2100, "Command", {0, 850, 800, 881});
  // Raise the first instance's text window above the second's.
  auto& order = desktop.windowOrder;
  order.erase(std::find(order.begin(), order.end(), 1100));
  order.erase(std::find(order.begin(), order.end(), 1102));
  order.insert(order.end(), {1100, 1102});
  run();
  EXPECT_TRUE(logged("GetWindowRect 2102"));
  const Lines a = desktop.actions();
  auto it = std::find(a.begin(), a.end(), "WindowFromPoint 400 865");
  ASSERT_NE(it, a.end());
  EXPECT_EQ(Lines(it + 1, it + 4), Lines({"GetAncestor 1102 2", "GetWindowThreadProcessId 1100",
                                          "GetWindowThreadProcessId 2000"}));
  EXPECT_FALSE(logged("mouse_event 2 0 0 0 0"));
  EXPECT_TRUE(desktop.clipboardTexts.empty());
  EXPECT_FALSE(desktop.windows[2000].topmost);
  EXPECT_EQ(desktop.clip, (platform::Rect{10, 20, 800, 600}));
  ASSERT_EQ(ui.messages.size(), 1u);

  // With its own text window on top, the second instance's command line takes the click and the
  // three texts, although it is not in the main window that was raised.
  log.clear();
  ui.messages.clear();
  order.erase(std::find(order.begin(), order.end(), 2100));
  order.erase(std::find(order.begin(), order.end(), 2102));
  order.insert(order.end(), {2100, 2102});
  run();
  it = std::find(log.begin(), log.end(), "WindowFromPoint 400 865");
  ASSERT_NE(it, log.end());
  EXPECT_EQ(Lines(it + 1, it + 5),
            Lines({"GetAncestor 2102 2", "GetWindowThreadProcessId 2100",
                   "GetWindowThreadProcessId 2000", "mouse_event 2 0 0 0 0"}));
  EXPECT_EQ(desktop.clipboardTexts.size(), 3u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CadlinkDelivery, AFailedConfinementQueryFreesThePointerAtTheEnd) {
  addCad();
  desktop.fail("GetClipCursor", 1);
  run();
  const Lines a = desktop.actions();
  EXPECT_EQ(a[a.size() - 3], "ClipCursor null");
  EXPECT_EQ(desktop.clip, desktop.screen);
}

TEST_F(CadlinkDelivery, ClicksTheMiddleRoundedDownOnScreensLeftOfThePrimary) {
  addCad({-301, -251, -100, -200});
  desktop.windows[1000].rect = {-400, -300, 0, 0};
  run();
  EXPECT_TRUE(logged("SetCursorPos -201 -226"));
  EXPECT_TRUE(logged("WindowFromPoint -201 -226"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CadlinkDelivery, TargetsTheLastInstanceFound) {
  addCad();
  desktop.addProcess(20, "cad.exe");
  desktop.addThread(21, 20);
  desktop.addWindow(2000, 21, "CAD - [b.dwg]", {0, 0, 800, 600});
  desktop.addChild(2002, 2000, "Command", {0, 0, 10, 10});
  run();
  EXPECT_TRUE(logged("CloseWindow 2000"));
  EXPECT_TRUE(logged("GetWindowRect 2002"));
  EXPECT_FALSE(logged("CloseWindow 1000"));
  EXPECT_EQ(desktop.clipboardTexts.size(), 3u);

  // Without a command line of its own, the last instance is not touched, and the first one's
  // command line is not used in its place.
  log.clear();
  desktop.clipboardTexts.clear();
  desktop.windows[2002].caption = "Status";
  run();
  EXPECT_EQ(desktop.actions(),
            Lines({"GetClipCursor",
                   "message:" + message("CADのコマンドラインが見つかりませんでした。")}));
}

}  // namespace
}  // namespace harlowe::cadlink
