#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadlink/cad_settings.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_platform.h"

namespace harlowe::cadlink {
namespace {

TEST(CadlinkExeBaseName, DropsFolderDriveAndEverythingFromTheFirstDot) {
  EXPECT_EQ(ExeBaseName("C:\\tools\\cad.exe"), "cad");
  EXPECT_EQ(ExeBaseName("a.b.exe"), "a");
  EXPECT_EQ(ExeBaseName("cad.x64.exe"), "cad");
  EXPECT_EQ(ExeBaseName("D:name.exe"), "name");
  EXPECT_EQ(ExeBaseName("cad"), "cad");
  EXPECT_EQ(ExeBaseName("C:\\v1.2\\cad"), "cad");  // a dot in a folder name does not count
  EXPECT_EQ(ExeBaseName("\\\\server\\share\\図面ツール.exe"), "図面ツール");
  EXPECT_EQ(ExeBaseName(""), "");
}

class CadlinkSettings : public ::testing::Test {
 protected:
  CadlinkSettings() { system.folder = "C:\\app"; }
  test::EventLog log;
  test::FakeSystem system{log};
  test::FakeDesktop desktop{log};
  test::Cp932CodePage codePage;
  SettingsSource src{desktop, system, codePage};
};

TEST_F(CadlinkSettings, ReadsTheEightKeysInOrderWithTheirDefaults) {
  const CadSettings s = readCadSettings(src);
  EXPECT_EQ(s.AppFolder, "C:\\app\\");
  EXPECT_EQ(s.ACADName, "???");
  EXPECT_EQ(s.CommandCaption, "???");
  EXPECT_EQ(s.MainCaption, "???");
  EXPECT_EQ(s.TextCaption, "???");
  EXPECT_EQ(s.MainCmdCtrlID, 0);
  EXPECT_EQ(s.TextHistCtrlID, 0);
  const std::vector<std::string> expected = {
      "GetPrivateProfileStringA Main ACADName ??? 255",
      "GetPrivateProfileStringA Main CommandCaption ??? 255",
      "GetPrivateProfileStringA Main MainCaption ??? 255",
      "GetPrivateProfileStringA Main TextCaption ??? 255",
      "GetPrivateProfileStringA Main MainCmdCtrlID 0 255",
      "GetPrivateProfileStringA Main TextCmdCtrlID 0 255",
      "GetPrivateProfileStringA Main MainHistCtrlID 0 255",
      "GetPrivateProfileStringA Main TextHistCtrlID 0 255",
  };
  EXPECT_EQ(log, expected);
  for (const auto& f : desktop.profileFiles) EXPECT_EQ(f, "C:\\app\\MkScr.ini");
}

TEST_F(CadlinkSettings, KeepsAFolderThatEndsInABackslashAndJapaneseFolders) {
  system.folder = "D:\\点群\\";
  EXPECT_EQ(readCadSettings(src).AppFolder, "D:\\点群\\");
  EXPECT_EQ(desktop.profileFiles.front(), "D:\\点群\\MkScr.ini");
}

TEST_F(CadlinkSettings, DecodesJapaneseValuesWholeAndReadsIntegersAsLeadingNumbers) {
  desktop.profile["Main/ACADName"] = "icad";
  desktop.profile["Main/CommandCaption"] = "\x83\x52\x83\x7d\x83\x93\x83\x68";  // コマンド
  desktop.profile["Main/MainCaption"] = "\x95\x5c\x8e\xa6";  // 表示: trail byte 0x5C
  desktop.profile["Main/TextCaption"] = "";
  desktop.profile["Main/MainCmdCtrlID"] = "12abc";
  desktop.profile["Main/TextCmdCtrlID"] = "2.5";
  desktop.profile["Main/MainHistCtrlID"] = "3.5";
  desktop.profile["Main/TextHistCtrlID"] = "99999999999";  // beyond 32 bits: the default
  const CadSettings s = readCadSettings(src);
  EXPECT_EQ(s.ACADName, "icad");
  EXPECT_EQ(s.CommandCaption, "コマンド");
  EXPECT_EQ(s.MainCaption, "表示");
  EXPECT_EQ(s.TextCaption, "");
  EXPECT_EQ(s.MainCmdCtrlID, 12);
  EXPECT_EQ(s.TextCmdCtrlID, 2);
  EXPECT_EQ(s.MainHistCtrlID, 4);
  EXPECT_EQ(s.TextHistCtrlID, 0);
}

TEST_F(CadlinkSettings, AValueOf300BytesKeepsItsFirst254) {
  std::string value;
  for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
  desktop.profile["Main/ACADName"] = value;
  EXPECT_EQ(ReadIniValue(src, "C:\\app\\", "MkScr", "Main", "ACADName", "???"),
            value.substr(0, 254));
}

}  // namespace
}  // namespace harlowe::cadlink
