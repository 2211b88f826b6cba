// The CAD-side files of the distribution, evaluated by the stand-in CAD as a user would use
// them: cloud_install_dir.lsp registers the folder it is pointed at, cloud_start.lsp's command
// CLOUD starts harlowe.exe from there, and the scripts of a run then load without a prompt.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/session.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/test_files.h"

namespace standin::lisp {
namespace {

namespace fs = std::filesystem;
using harlowe::test::cp932;
using harlowe::test::readFileBytes;
using harlowe::test::writeFileBytes;

class Host : public SessionHost {
 public:
  std::string decodeAnsi(std::string_view bytes) override { return cp.fromAnsi(bytes); }
  std::optional<std::string> chooseFile(std::string_view title, std::string_view defaultFile,
                                        std::string_view extension) override {
    asked.push_back(std::string(title) + "|" + std::string(defaultFile) + "|" +
                    std::string(extension));
    return answer;
  }
  bool startProgram(std::string_view commandLine) override {
    started.emplace_back(commandLine);
    return startWorks;
  }
  harlowe::test::Cp932CodePage cp;
  std::optional<std::string> answer;
  std::vector<std::string> asked, started;
  bool startWorks = true;
};

// The distributed form of a setup file: CP932 with CR LF line ends.
void installSetupFile(const fs::path& folder, const std::string& name) {
  std::string source = readFileBytes(fs::path(HARLOWE_SOURCE_DIR) / "distribution" / "cad" / name);
  ASSERT_FALSE(source.empty()) << name;
  writeFileBytes(folder / name, cp932(source));
}

class SetupFiles : public ::testing::TestWithParam<bool> {
 protected:
  SetupFiles() {
    app = tmp.path / "インストール 先";
    support = tmp.path / "CAD" / "Support";
    fs::create_directories(app);
    fs::create_directories(support);
    installSetupFile(app, "cloud_install_dir.lsp");
    installSetupFile(app, "cloud_start.lsp");
    writeFileBytes(app / "harlowe.exe", "MZ");
    // What a run leaves: the loader of the script pieces.
    writeFileBytes(app / "ent_gogo.lsp", "(setq loaded-from-app 1)\r\n");
    SessionOptions o;
    o.supportFolders = {support};
    if (secure()) o.trustedPaths = pathUtf8(tmp.path / "CAD");
    session = std::make_unique<Session>(drawing, host, o);
  }
  bool secure() const { return GetParam(); }
  std::string appText() const { return pathUtf8(app); }
  std::string exe() const { return pathUtf8(fs::path(app / "harlowe.exe").make_preferred()); }
  void enter(const std::string& line) {
    session->type(line + "\r\n");
    session->runPending();
  }
  // Loads cloud_install_dir.lsp from the installed folder, as APPLOAD does.
  void runInstallDir() { enter("(load \"" + pathUtf8(app / "cloud_install_dir.lsp") + "\")"); }
  std::string acad() { return *session->interpreter().getEnv("ACAD"); }

  harlowe::test::TempDir tmp{"setup_files_"};
  fs::path app, support;
  Host host;
  Drawing drawing;
  std::unique_ptr<Session> session;
};

TEST_P(SetupFiles, InstallDirRegistersTheChosenFolderOnceAndCloudStartsHarlowe) {
  enter("CLOUD");  // nothing defines it yet
  EXPECT_NE(session->history().find("Unknown command \"CLOUD\""), std::string::npos);

  host.answer = exe();
  runInstallDir();
  ASSERT_EQ(session->state().errors, 0) << session->history();
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0], "インストールしたフォルダの harlowe.exe を選んでください||exe");
  EXPECT_EQ(acad(), appText() + ";" + pathUtf8(support));
  if (secure()) {
    EXPECT_EQ(drawing.trustedPaths, pathUtf8(tmp.path / "CAD") + ";" + appText());
    EXPECT_EQ(drawing.untrustedLoads, 1);  // this file alone; cloud_start.lsp was trusted then
  } else {
    EXPECT_FALSE(drawing.trustedPaths);
  }
  EXPECT_NE(session->history().find("コマンド CLOUD で Harlowe を起動します。"), std::string::npos);
  EXPECT_NE(session->history().find("Harlowe のフォルダ " + appText() + " を登録しました。"),
            std::string::npos);

  enter("CLOUD");
  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.started[0], '"' + exe() + '"');  // a path with a blank, quoted
  EXPECT_NE(session->history().find("Harlowe を起動しました。"), std::string::npos);

  // The run's scripts load from the registered folder, without a prompt.
  enter("(load \"ENT_GOGO\")");
  EXPECT_EQ(session->state().errors, 0) << session->history();
  EXPECT_EQ(drawing.untrustedLoads, secure() ? 1 : 0);

  // Loaded again: the dialog opens at the registered harlowe.exe; nothing is added twice.
  runInstallDir();
  EXPECT_EQ(host.asked.back(),
            "インストールしたフォルダの harlowe.exe を選んでください|" + exe() + "|exe");
  EXPECT_EQ(acad(), appText() + ";" + pathUtf8(support));
  if (secure()) {
    EXPECT_EQ(drawing.trustedPaths, pathUtf8(tmp.path / "CAD") + ";" + appText());
  }
  EXPECT_EQ(session->state().errors, 0) << session->history();
}

TEST_P(SetupFiles, ReinstalledElsewhereTheNewFolderTakesOverFromTheOld) {
  // Installed first into another folder and registered from there.
  const fs::path old = tmp.path / "旧 フォルダ";
  fs::create_directories(old);
  installSetupFile(old, "cloud_install_dir.lsp");
  installSetupFile(old, "cloud_start.lsp");
  writeFileBytes(old / "harlowe.exe", "MZ");
  host.answer = pathUtf8(fs::path(old / "harlowe.exe").make_preferred());
  enter("(load \"" + pathUtf8(old / "cloud_install_dir.lsp") + "\")");
  // A folder the user added meanwhile, which holds no harlowe.exe, stays where it is.
  const std::string own = pathUtf8(tmp.path / "自作");
  session->interpreter().setEnv("ACAD", acad() + ";" + own);
  if (secure()) *drawing.trustedPaths += ";" + own + "\\...";

  host.answer = exe();
  runInstallDir();
  ASSERT_EQ(session->state().errors, 0) << session->history();
  EXPECT_EQ(acad(), appText() + ";" + pathUtf8(support) + ";" + own);
  if (secure()) {
    EXPECT_EQ(drawing.trustedPaths, pathUtf8(tmp.path / "CAD") + ";" + own + "\\...;" + appText());
  }
  EXPECT_NE(session->history().find("以前の Harlowe のフォルダ " + pathUtf8(old) +
                                    " を登録から外しました。"),
            std::string::npos)
      << session->history();
  EXPECT_EQ(printValue(session->interpreter().evalText("(findfile \"harlowe.exe\")"), false),
            exe());
  enter("CLOUD");
  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.started[0], '"' + exe() + '"');

  // Loaded once more: nothing changes.
  const std::string acadBefore = acad();
  const std::optional<std::string> trustedBefore = drawing.trustedPaths;
  const std::size_t said = session->history().size();
  runInstallDir();
  EXPECT_EQ(acad(), acadBefore);
  EXPECT_EQ(drawing.trustedPaths, trustedBefore);
  EXPECT_EQ(session->history().find("を登録から外しました。", said), std::string::npos);
  EXPECT_EQ(session->state().errors, 0) << session->history();
}

// How folders are written and compared: a drive root keeps its "\", which alone makes it the
// root; "C:" (the current folder of drive C, left by an earlier version) counts as that root and
// is replaced; folders compare whatever their case, separators or a separator at the end.
TEST(SetupFileFolders, DriveRootsAndSpellings) {
  Drawing drawing;
  Host host;  // the dialog is cancelled: loading the file registers nothing
  Session session(drawing, host, SessionOptions{});
  Interpreter& in = session.interpreter();
  in.load(HARLOWE_SOURCE_DIR "/distribution/cad/cloud_install_dir.lsp");
  struct Case {
    const char* expression;
    const char* value;
  };
  const Case cases[] = {
      {R"((cloud:folder-of "C:\\harlowe.exe"))", R"("C:\\")"},
      {R"((cloud:folder-of "D:\\新 フォルダ\\harlowe.exe"))", R"("D:\\新 フォルダ")"},
      {R"((cloud:folder-of "\\\\pc\\share\\harlowe.exe"))", R"("\\\\pc\\share")"},
      {R"((cloud:file-in "C:\\" "cloud_start.lsp"))", R"("C:\\cloud_start.lsp")"},
      {R"((cloud:file-in "C:" "harlowe.exe"))", R"("C:\\harlowe.exe")"},
      {R"((cloud:others "C:\\" "C:;D:\\CAD;;c:/"))", R"(("D:\\CAD"))"},
      {R"((cloud:others "d:\\a" "D:/A/;E:\\B\\"))", R"(("E:\\B\\"))"},
      {R"((cloud:join (cloud:split ";a;;b;")))", R"("a;b")"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(printValue(in.evalText(c.expression), true), c.value) << c.expression;
}

INSTANTIATE_TEST_SUITE_P(SecureLoading, SetupFiles, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Secure" : "Plain"; });

}  // namespace
}  // namespace standin::lisp
