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
  EXPECT_EQ(acad(), pathUtf8(support) + ";" + appText());
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
  EXPECT_EQ(acad(), pathUtf8(support) + ";" + appText());
  if (secure()) {
    EXPECT_EQ(drawing.trustedPaths, pathUtf8(tmp.path / "CAD") + ";" + appText());
  }
  EXPECT_EQ(session->state().errors, 0) << session->history();
}

TEST_P(SetupFiles, NothingIsRegisteredWithoutHarloweChosen) {
  const std::string before = acad();
  const std::optional<std::string> trustedBefore = drawing.trustedPaths;
  struct Case {
    std::optional<std::string> answer;
    std::string said;
  };
  const Case cases[] = {
      {std::nullopt, "Harlowe のフォルダは登録しませんでした。"},
      {pathUtf8(app / "cloud_connect.exe"),
       "harlowe.exe を選んでください。Harlowe のフォルダは登録しませんでした。"},
  };
  for (const Case& c : cases) {
    host.answer = c.answer;
    runInstallDir();
    EXPECT_NE(session->history().find(c.said), std::string::npos) << session->history();
    EXPECT_EQ(acad(), before);
    EXPECT_EQ(drawing.trustedPaths, trustedBefore);
  }
  EXPECT_EQ(session->state().errors, 0) << session->history();
}

TEST_P(SetupFiles, CloudSaysWhatIsMissing) {
  // The command defined, but the folder not (or no longer) on the support path.
  enter("(load \"" + pathUtf8(app / "cloud_start.lsp") + "\")");
  enter("CLOUD");
  EXPECT_NE(
      session->history().find("harlowe.exe が見つかりません。cloud_install_dir.lsp をロードして"),
      std::string::npos);
  EXPECT_TRUE(host.started.empty());

  session->interpreter().setEnv("ACAD", appText());
  host.startWorks = false;
  enter("CLOUD");
  EXPECT_NE(session->history().find(exe() + " を起動できませんでした。"), std::string::npos);
  EXPECT_EQ(session->state().errors, 0) << session->history();
}

INSTANTIATE_TEST_SUITE_P(SecureLoading, SetupFiles, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Secure" : "Plain"; });

}  // namespace
}  // namespace standin::lisp
