#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/placement.h"
#include "installer/copy_files.h"
#include "installer/form1.h"
#include "installer/install_files.h"
#include "installer/module1.h"
#include "tests/support/fake_form_host.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fake_shell.h"

namespace harlowe::installer {
namespace {

using Answer = test::FakeShell::BrowseAnswer;

const std::vector<std::string> kNames = {"cloud_connect.exe",
                                         "cloud_install_dir.lsp",
                                         "cloud_start.lsp",
                                         "harlowe.exe",
                                         "mkscr.ini",
                                         "IJCAD-Quarrendon_インストール.pdf",
                                         "IJCAD-Quarrendon.pdf",
                                         "delay.dat"};

constexpr const char* kSource = "C:\\配布\\Tamsett";
constexpr const char* kTarget = "D:\\Program Files\\点群 ツール";

// The form host of these tests also writes its message boxes into the event log, so that the
// order of copies, message and guide can be checked.
class LoggingHost : public test::FakeFormHost {
 public:
  LoggingHost(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour, test::EventLog& log)
      : FakeFormHost(form, behaviour), log_(log) {}
  void messageBox(const std::string& text, const std::string& title,
                  platform::MessageIcon icon) override {
    FakeFormHost::messageBox(text, title, icon);
    log_.push_back("message:" + text);
  }

 private:
  test::EventLog& log_;
};

// One installer with its fakes: the distribution beside it in kSource, the form loaded.
struct Rig {
  Rig() {
    system.folder = kSource;
    for (const std::string& n : kNames) shell.put(std::string(kSource) + "\\" + n, "new " + n);
    form.hWnd = 0x1234;
    host.load();
    host.show();
  }
  // Presses Install; returns the exit code with which the installer ended.
  int install() {
    try {
      host.click("Command1");
    } catch (const test::ProgramEnded& e) {
      return e.exitCode;
    }
    ADD_FAILURE() << "the installer did not end";
    return -1;
  }
  std::vector<std::string> copies() const {
    std::vector<std::string> out;
    for (const std::string& e : events)
      if (e.rfind("copy:", 0) == 0) out.push_back(e.substr(e.find('>') + 1));
    return out;
  }

  test::EventLog events;
  test::FakeUi ui{events};
  test::FakeSystem system{events};
  test::FakeShell shell{events};
  Form1 form{{shell, ui, system}};
  LoggingHost host{form1Def(), form, events};
};

std::vector<std::string> targets(std::size_t n, const std::string& folder = kTarget) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < n; ++i) out.push_back(folder + "\\" + kNames[i]);
  return out;
}

class InstallerTest : public ::testing::Test, public Rig {};

TEST_F(InstallerTest, BrowserAsksForFileSystemFoldersOwnedByTheForm) {
  shell.browseAnswers.push_back({Answer::Cancel, ""});
  install();
  ASSERT_EQ(shell.browsed.size(), 1u);
  const platform::BrowseInfo& b = shell.browsed[0];
  EXPECT_EQ(b.hwndOwner, 0x1234);
  EXPECT_EQ(b.pidlRoot, 0u);
  EXPECT_EQ(b.lpszTitle, "インストールするフォルダを選択してください");
  EXPECT_EQ(b.ulFlags, 1u);
}

TEST_F(InstallerTest, BrowseResultAndTheItemFreed) {
  struct Case {
    Answer::Kind kind;
    std::string path, want;
    int frees;
  };
  const Case cases[] = {
      {Answer::Folder, "E:\\データ\\新しいフォルダー", "E:\\データ\\新しいフォルダー", 1},
      {Answer::Folder, std::string("E:\\a\0junk", 9), "E:\\a", 1},  // text before the NUL
      {Answer::NoPath, "", "", 1},  // a chosen item without a file-system path
      {Answer::Cancel, "", "", 0},
  };
  for (const Case& c : cases) {
    test::EventLog log;
    test::FakeShell s(log);
    s.browseAnswers.push_back({c.kind, c.path});
    EXPECT_EQ(BrowseInstallFolder(s, 7), c.want);
    EXPECT_EQ(std::count(log.begin(), log.end(), "free"), c.frees);
    EXPECT_EQ(s.itemsOut, 0);
  }
}

TEST_F(InstallerTest, CancelOfTheBrowserAndCancelButtonEndAtOnceCopyingNothing) {
  shell.browseAnswers.push_back({Answer::Cancel, ""});
  EXPECT_EQ(install(), 0);
  shell.browseAnswers.push_back({Answer::NoPath, ""});
  EXPECT_EQ(install(), 0);
  EXPECT_THROW(host.click("Command2"), test::ProgramEnded);
  EXPECT_THROW(host.pressEscape(), test::ProgramEnded);
  EXPECT_TRUE(copies().empty());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(shell.executed.empty());
  EXPECT_EQ(std::count(events.begin(), events.end(), "end:0"), 4);
}

TEST_F(InstallerTest, CopiesInListOrderReplacingWhatIsThereThenReportsAndOpensTheGuide) {
  shell.put(std::string(kTarget) + "\\HARLOWE.EXE", "old program");
  shell.put(std::string(kTarget) + "\\delay.dat", "old delay");
  shell.put(std::string(kTarget) + "\\Lay.dat", "the user's layers");
  shell.browseAnswers.push_back({Answer::Folder, kTarget});
  EXPECT_EQ(install(), 0);

  EXPECT_EQ(copies(), targets(8));
  for (const std::string& n : kNames)
    EXPECT_EQ(shell.content(std::string(kTarget) + "\\" + n), "new " + n);
  EXPECT_EQ(shell.content(std::string(kTarget) + "\\Lay.dat"), "the user's layers");

  // A pump turn after every copy; the message after the last; then the guide in the target.
  std::vector<std::string> tail(events.end() - 19, events.end());
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(tail[2 * i].rfind("copy:", 0), 0u) << i;
    EXPECT_EQ(tail[2 * i + 1], "pump");
  }
  EXPECT_EQ(tail[16],
            "message:インストール終了\u3000iJ-CADの設定は表示されたPDFを参照してください。");
  EXPECT_EQ(tail[17], "open:D:\\Program Files\\点群 ツール\\IJCAD-Quarrendon_インストール.pdf");
  EXPECT_EQ(events.back(), "end:0");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Tamsett");
  EXPECT_EQ(host.messages[0].icon, platform::MessageIcon::None);
}

TEST_F(InstallerTest, DriveRootGetsTheNamesAppendedAsTheyAre) {
  shell.browseAnswers.push_back({Answer::Folder, "F:\\"});
  EXPECT_EQ(install(), 0);
  EXPECT_EQ(copies(), targets(8, "F:\\"));  // "F:\\\\cloud_connect.exe": a doubled backslash
  EXPECT_EQ(shell.executed, std::vector<std::string>{"F:\\\\IJCAD-Quarrendon_インストール.pdf"});
}

TEST_F(InstallerTest, StopsAtAFileThatCannotBeCopiedKeepingTheFilesBefore) {
  enum Fault { Missing, ReadOnly, Locked };
  struct Case {
    Fault fault;
    std::size_t at;
    std::vector<std::string> wantInMessage;
  };
  const Case cases[] = {
      {Missing, 0, {"「cloud_connect.exe」がインストーラーのフォルダにありません。", kSource}},
      {Missing,
       3,
       {"「harlowe.exe」がインストーラーのフォルダにありません。", "ファイルをすべてそろえて",
        "それまでにコピーしたファイルはインストール先に残っています。"}},
      {Missing, 7, {"「delay.dat」がインストーラーのフォルダにありません。"}},
      {ReadOnly,
       4,
       {"「mkscr.ini」をインストール先に書き込めません。", kTarget, "終了するか",
        "書き込みのできるフォルダを選んで"}},
      {Locked, 0, {"「cloud_connect.exe」をインストール先に書き込めません。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kNames[c.at]);
    Rig r;
    const std::string broken = std::string(kTarget) + "\\" + kNames[c.at];
    r.shell.put(broken, "old");
    if (c.fault == Missing)
      r.shell.files.erase(test::FakeShell::canon(std::string(kSource) + "\\" + kNames[c.at]));
    if (c.fault == ReadOnly) r.shell.readOnly.insert(test::FakeShell::canon(broken));
    if (c.fault == Locked) r.shell.lockedFolders.insert(test::FakeShell::canon(kTarget));
    r.shell.browseAnswers.push_back({Answer::Folder, kTarget});
    const int code = r.install();
    EXPECT_EQ(code, kExitStopped);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      auto got = r.shell.content(std::string(kTarget) + "\\" + kNames[i]);
      if (i < c.at) {
        EXPECT_EQ(got, "new " + kNames[i]);
      } else if (i == c.at) {
        EXPECT_EQ(got, "old");
      } else {
        EXPECT_EQ(got, std::nullopt);
      }
    }
    ASSERT_EQ(r.host.messages.size(), 1u);  // no success message
    EXPECT_EQ(r.host.messages[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(r.host.messages[0].title, "Tamsett");
    for (const std::string& part : c.wantInMessage)
      EXPECT_NE(r.host.messages[0].text.find(part), std::string::npos) << r.host.messages[0].text;
    EXPECT_EQ(r.host.messages[0].text.find("残っています") != std::string::npos, c.at > 0);
    EXPECT_TRUE(r.shell.executed.empty());  // no guide
  }
}

TEST_F(InstallerTest, TheInstallersOwnFolderIsRefusedBeforeAnythingIsTouched) {
  for (const char* chosen : {"C:\\配布\\Tamsett", "c:\\配布\\TAMSETT"}) {
    Rig r;
    r.shell.browseAnswers.push_back({Answer::Folder, chosen});
    EXPECT_EQ(r.install(), kExitStopped);
    EXPECT_TRUE(r.copies().empty());
    for (const std::string& n : kNames)
      EXPECT_EQ(r.shell.content(std::string(kSource) + "\\" + n), "new " + n);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_NE(r.host.messages[0].text.find(
                  "インストーラーと同じフォルダが選ばれたため、「cloud_connect.exe」"),
              std::string::npos);
    EXPECT_NE(r.host.messages[0].text.find("別のフォルダを選んで"), std::string::npos);
    EXPECT_TRUE(r.shell.executed.empty());
  }
}

TEST_F(InstallerTest, AGuideThatCannotBeOpenedIsNamedAfterTheInstallation) {
  const std::string notOpened =
      "インストールガイドを開けませんでした。次のファイルを開いてください。\n";
  const std::string guide = "\\IJCAD-Quarrendon_インストール.pdf";
  // MAX_PATH counts UTF-16 units: 200 Japanese characters are 600 bytes but a usable path.
  std::string japanese = "D:\\";
  for (int i = 0; i < 200; ++i) japanese += "点";
  // The guide's name, with its "\", is 28 characters: its path is then 260 characters long.
  const std::string deep = "D:\\" + std::string(260 - 3 - 28, 'a');
  struct Case {
    std::string folder;
    bool associated, executes;
    bool asked;         // the shell is asked to open the guide
    std::string shown;  // the path in the message; empty: no message
  };
  const Case cases[] = {
      {kTarget, true, true, true, ""},
      {kTarget, true, false, true, kTarget + guide},   // the shell could not be asked
      {kTarget, false, true, false, kTarget + guide},  // no program opens PDF documents
      {"F:\\", false, true, false, "F:" + guide},      // shown with a single "\"
      {japanese, true, true, true, ""},
      {deep.substr(0, deep.size() - 1), true, true, true, ""},  // 259 characters
      {deep, true, true, false, deep + guide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.substr(0, 40));
    Rig r;
    r.shell.pdfAssociated = c.associated;
    r.shell.shellExecuteWorks = c.executes;
    r.shell.browseAnswers.push_back({Answer::Folder, c.folder});
    EXPECT_EQ(r.install(), 0);
    EXPECT_EQ(r.copies().size(), 8u);
    // The end message first, as always; then the guide, or where it lies.
    ASSERT_EQ(r.host.messages.size(), c.shown.empty() ? 1u : 2u);
    EXPECT_EQ(r.host.messages[0].text,
              "インストール終了\u3000iJ-CADの設定は表示されたPDFを参照してください。");
    if (!c.shown.empty()) {
      EXPECT_EQ(r.host.messages[1].text, notOpened + c.shown);
    }
    EXPECT_EQ(r.shell.executed.size(), c.asked ? 1u : 0u);
  }
}

TEST(InstallerForm, TableAndPlacement) {
  const dialogs::FormDef& f = form1Def();
  EXPECT_EQ(f.placement, dialogs::Placement::TopThird);
  EXPECT_TRUE(f.topmost);
  EXPECT_EQ(dialogs::findControl(f, "Command1")->text, "インストール");
  EXPECT_EQ(dialogs::findControl(f, "Command2")->text, "キャンセル");
  EXPECT_EQ(dialogs::findControl(f, "Picture1")->kind, dialogs::ControlKind::PictureBox);
  EXPECT_FALSE(dialogs::findControl(f, "Label1")->text.empty());
  for (const dialogs::ControlDef& c : f.controls) {  // inside the window, the picture whole
    EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.left + c.width <= f.clientWidth &&
                c.top + c.height <= f.clientHeight)
        << c.name;
    EXPECT_LE(c.pictureWidth * 15, c.width) << c.name;
    EXPECT_LE(c.pictureHeight * 15, c.height) << c.name;
  }

  // Left = screen width \ 2 - form width \ 2; Top = screen height \ 3 - form height \ 2, in
  // twips, truncating toward zero; screens beyond 32,767 twips placed without overflow.
  struct Case {
    int sw, sh, fw, fh, left, top;
  };
  const Case cases[] = {
      {19200, 14400, 6690, 3195, 6255, 3203},  {19201, 14401, 6691, 3197, 6255, 3202},
      {57600, 32400, 6690, 3195, 25455, 9203}, {76800, 43200, 6690, 3195, 35055, 12803},
      {3000, 2000, 6691, 3195, -1845, -931},  // a form larger than the screen
  };
  for (const Case& c : cases) {
    dialogs::Position p = dialogs::placeForm(f.placement, c.sw, c.sh, c.fw, c.fh);
    EXPECT_EQ(p.left, c.left) << c.sw;
    EXPECT_EQ(p.top, c.top) << c.sh;
  }
}

}  // namespace
}  // namespace harlowe::installer
