// The start procedure against fakes: the order of a whole run, its loops and what each loop
// clears and keeps.
#include "import/run_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>

#include "common/text_util.h"
#include "import/choose_input.h"
#include "import/converters/converter_set.h"
#include "import/converters/ply_vertices.h"
#include "import/converters/ptx_subsample.h"
#include "import/converters/txt_full_interval.h"
#include "import/converters/txt_quick_interval.h"
#include "import/converters/txt_subsample.h"
#include "import/split_scripts.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;
using test::EventLog;
using test::ProgramEnded;

const auto& readFile = test::readFileBytes;
const auto& writeFile = test::writeFileBytes;

class ScriptedForms : public OptionForms {
 public:
  explicit ScriptedForms(EventLog& log) : log_(log) {}
  void showForm9(RunSettings& s) override { call("form9", s, onForm9); }
  void showForm9Ori(RunSettings& s) override { call("form9ori", s, onForm9Ori); }
  void showForm3(RunSettings& s, bool hideFrame2) override {
    call(hideFrame2 ? "form3:noframe2" : "form3", s, onForm3);
  }
  void showForm4(RunSettings& s) override { call("form4", s, onForm4); }

  // Each handler gets the settings and the number of times that form was shown before.
  using Handler = std::function<void(RunSettings&, int)>;
  Handler onForm9, onForm9Ori, onForm3, onForm4;

 private:
  void call(const std::string& name, RunSettings& s, const Handler& h) {
    log_.push_back(name);
    if (h) h(s, counts_[name]++);
  }
  EventLog& log_;
  std::map<std::string, int> counts_;
};

class RecordingConverters : public Converters {
 public:
  explicit RecordingConverters(EventLog& log) : log_(log) {}
  ConversionResult run(ConverterId id, RunSettings&) override {
    log_.push_back("convert:" + std::to_string(static_cast<int>(id)));
    ran.push_back(id);
    return result;
  }
  std::vector<ConverterId> ran;
  ConversionResult result = ConversionResult::finished(1);

 private:
  EventLog& log_;
};

class RecordingCadLink : public CadLink {
 public:
  explicit RecordingCadLink(EventLog& log) : log_(log) {}
  void sendCommandToCad(RunSettings& s) override {
    log_.push_back("cad");
    command = s.CadCommand;
  }
  std::string command;

 private:
  EventLog& log_;
};

class RunImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("harlowe_run_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    system.folder = dir.string();
    writeFile(dir / "delay.dat", "7\r\n");
    writeFile(dir / "data" / "scan.txt", "1 2 3 4 5 6\n");
    writeFile(dir / "data" / "scan.ply", "ply\n");
    writeFile(dir / "data" / "scan.ptx", "1\n");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string input(const std::string& name) { return dir.string() + "\\data\\" + name; }
  void answer(const std::string& name, int filter) {
    dialog.answers.push_back({true, input(name), filter});
  }

  // Runs the whole procedure; returns the exit code it ended with.
  int run() { return run(converters); }
  int run(Converters& convertWith) {
    Platform p{ui, system, dialog, progress, codePage};
    RunSteps steps{forms, convertWith, cad};
    try {
      RunImport(settings, p, steps);
    } catch (const ProgramEnded& e) {
      return e.exitCode;
    }
    ADD_FAILURE() << "RunImport returned";
    return -1;
  }

  // The log without the run lock, and without the pump turns and exit-code queries of the
  // deletion wait.
  std::vector<std::string> steps() const {
    std::vector<std::string> out;
    for (const auto& e : log) {
      if (e == "pump" || e == "exitCode" || e == "closeHandle" || e.rfind("openProcess", 0) == 0 ||
          e.rfind("lock:", 0) == 0)
        continue;
      out.push_back(e.rfind("start:", 0) == 0 ? "delete" : e);
    }
    return out;
  }

  void writeScripts(std::initializer_list<const char*> names) {
    for (const char* name : names) writeFile(dir / name, "(princ)\r\n");
  }
  std::string lockFile() const { return dir.string() + "\\" + kRunLockFile; }

  fs::path dir;
  EventLog log;
  test::FakeUi ui{log};
  test::FakeSystem system{log};
  test::FakeFileDialog dialog{log};
  test::FakeProgressWindow progress{log};
  test::Cp932CodePage codePage;
  ScriptedForms forms{log};
  RecordingConverters converters{log};
  RecordingCadLink cad{log};
  RunSettings settings;
};

TEST_F(RunImportTest, TextRunGoesThroughGuidanceThinningLayerConverterAndCad) {
  answer("scan.txt", 1);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(steps(), (std::vector<std::string>{"delete", "openDialog", "form9", "form3", "form4",
                                               "convert:2", "cad", "end:0"}));
  EXPECT_EQ(settings.InputKind, 5);
  EXPECT_EQ(settings.DelayUnit, 7);
  EXPECT_EQ(settings.AppDir, dir.string() + "\\");
  EXPECT_EQ(settings.InputFileLabel, input("scan.txt"));
  EXPECT_EQ(cad.command, "(load \"ENT_GOGO\")\r\n");
  EXPECT_TRUE(ui.messages.empty());
  // The run lock of the program folder comes before everything else and is held to the end.
  EXPECT_EQ(log.front(), "lock:" + lockFile());
  EXPECT_EQ(system.locked, std::vector<std::string>{lockFile()});
}

// A second run in a program folder that another run holds says so and touches nothing; a lock
// that cannot be taken at all (a folder that cannot be written) does not stop the run.
TEST_F(RunImportTest, RunLockDecidesWhetherTheRunStarts) {
  using platform::FileLock;
  for (FileLock lock : {FileLock::InUse, FileLock::Unavailable}) {
    log.clear();
    ui.messages.clear();
    writeScripts({"ENT_GO.lsp", "ENT_GO1.lsp", "ENT_start.lsp", "ent_gogo.lsp"});
    system.lockAnswer = lock;
    answer("scan.txt", 1);
    const int code = run();
    if (lock == FileLock::InUse) {
      EXPECT_EQ(code, 1);
      EXPECT_EQ(log, (EventLog{"lock:" + lockFile(),
                               "message:" + std::string(kRunInProgress) +
                                   "\n\nフォルダ : " + dir.string(),
                               "end:1"}));
      EXPECT_EQ(ui.messages[0].icon, platform::MessageIcon::Error);
      for (const char* f : {"ENT_GO.lsp", "ENT_GO1.lsp", "ENT_start.lsp", "ent_gogo.lsp"})
        EXPECT_TRUE(fs::exists(dir / f)) << f;
      EXPECT_FALSE(fs::exists(dir / "quit_status.dat"));
    } else {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(steps().back(), "end:0");
    }
  }
}

// The previous run's loader without the mark that its last piece has been loaded: the CAD may
// still need the pieces, so the user decides before anything is deleted.
TEST_F(RunImportTest, UnfinishedPreviousLoadAsksBeforeDeleting) {
  struct Case {
    const char* what;
    bool loader, mark, yes;
    std::vector<std::string> steps;
  } cases[] = {
      {"no previous scripts", false, false, false, {"delete", "openDialog", "end:0"}},
      {"the load was finished", true, true, false, {"delete", "openDialog", "end:0"}},
      {"unfinished, go on", true, false, true, {"ask", "delete", "openDialog", "end:0"}},
      {"unfinished, stop", true, false, false, {"ask", "end:0"}},
  };
  for (const Case& c : cases) {
    log.clear();
    ui.answers = {c.yes};
    fs::remove(dir / kLoaderFile);
    fs::remove(dir / kLoadedMarkFile);
    if (c.loader) writeScripts({kLoaderFile});
    if (c.mark) writeScripts({kLoadedMarkFile});
    EXPECT_EQ(run(), 0) << c.what;  // the open dialog is cancelled
    std::vector<std::string> s = steps();
    for (auto& e : s)
      if (e.rfind("ask:", 0) == 0) e = "ask";
    EXPECT_EQ(s, c.steps) << c.what;
  }
  EXPECT_EQ(ui.messages.back().text, kPreviousLoadUnfinished);
  EXPECT_EQ(ui.messages.back().title, platform::kAppTitle);
  EXPECT_TRUE(fs::exists(dir / kLoaderFile));  // "stop" left everything as it was
}

TEST_F(RunImportTest, DialogSettingsAreSetAtEveryShowing) {
  answer("scan.txt", 1);
  run();
  ASSERT_EQ(dialog.shown.size(), 1u);
  EXPECT_EQ(dialog.shown[0].title, "点群、メッシュのファイルを選択して下さい。");
  EXPECT_EQ(dialog.shown[0].filter,
            "CloudCompare Text FILE(*.txt)|*.txt|PLYファイル（エッジ抽出/メッシュ）(*.ply)|*.ply| "
            "PTX FILE(*.ptx)|*.ptx|");
  EXPECT_EQ(dialog.shown[0].flags, 1u);
}

TEST_F(RunImportTest, KindFollowsTheFilterNotTheExtension) {
  answer("scan.txt", 2);  // a .txt chosen under the PLY filter is converted as PLY
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(steps(), (std::vector<std::string>{"delete", "openDialog", "form9ori", "form4",
                                               "convert:1", "cad", "end:0"}));
  EXPECT_EQ(settings.InputKind, 3);
}

TEST_F(RunImportTest, PtxShowsThinningFormWithoutIntervalFrame) {
  answer("scan.ptx", 3);
  settings.ThinningInterval = 5;  // left over; PTX ignores it
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(steps(), (std::vector<std::string>{"delete", "openDialog", "form3:noframe2", "form4",
                                               "convert:0", "cad", "end:0"}));
  EXPECT_EQ(settings.InputKind, 1);
}

TEST_F(RunImportTest, CancelledOpenDialogWritesStatusFilesAndEnds) {
  writeFile(dir / "qmr_status.dat", "old contents that must go\r\nsecond line\r\n");
  EXPECT_EQ(run(), 0);  // the dialog's answer queue is empty: Cancel
  EXPECT_EQ(steps(), (std::vector<std::string>{"delete", "openDialog", "end:0"}));
  EXPECT_EQ(readFile(dir / "qmr_status.dat"), "OK\r\n");
  EXPECT_EQ(readFile(dir / "quit_status.dat"), "QUIT\r\n");
  EXPECT_TRUE(converters.ran.empty());
}

TEST_F(RunImportTest, RejectedTextNameStartsNewFilePassWithTheNameKept) {
  writeFile(dir / "data" / "scan.text", "x");
  answer("scan.text", 1);
  settings.SubSampleStep = 99;
  dialog.onShow = [&] {
    if (dialog.shown.size() == 2) {
      EXPECT_EQ(settings.SubSampleStep, 0);
    }
  };
  EXPECT_EQ(run(), 0);  // the second dialog is cancelled
  EXPECT_EQ(steps(), (std::vector<std::string>{
                         "delete", "openDialog",
                         "message:Reconstructor TXTファイルではありません。CloudCompare "
                         "TXTファイルを選択して下さい。",
                         "delete", "openDialog", "end:0"}));
  EXPECT_EQ(dialog.namesShown[1], input("scan.text"));
  EXPECT_EQ(ui.messages[0].title, platform::kAppTitle);
  EXPECT_EQ(ui.messages[0].icon, platform::MessageIcon::None);
  EXPECT_TRUE(fs::exists(dir / "quit_status.dat"));
}

TEST_F(RunImportTest, ExtensionTestIgnoresCaseAndOnlyAppliesToTextFilter) {
  writeFile(dir / "data" / "UPPER.TXT", "1 2 3 4 5 6\n");
  answer("UPPER.TXT", 1);
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(converters.ran.size(), 1u);
}

TEST_F(RunImportTest, TypedNameThatDoesNotExistAsksAgain) {
  answer("missing.txt", 1);
  answer("scan.txt", 1);
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(input("missing.txt")), std::string::npos);
  EXPECT_EQ(dialog.shown.size(), 2u);
  EXPECT_EQ(settings.InputFileLabel, input("scan.txt"));
}

TEST_F(RunImportTest, Form3CancelReturnsToFileChoiceKeepingItsClicks) {
  answer("scan.txt", 1);
  answer("scan.ply", 2);
  forms.onForm3 = [](RunSettings& s, int) {
    s.DrawUnit = "mm";
    s.DialogCancel = "Cancel";
  };
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(steps(), (std::vector<std::string>{"delete", "openDialog", "form9", "form3", "delete",
                                               "openDialog", "form9ori", "form4", "convert:1",
                                               "cad", "end:0"}));
  EXPECT_EQ(settings.DrawUnit, "mm");
  EXPECT_EQ(dialog.namesShown[1], input("scan.txt"));
}

TEST_F(RunImportTest, Form4CancelShowsTheOptionFormsAgainForTheSameFile) {
  answer("scan.txt", 1);
  forms.onForm3 = [](RunSettings& s, int n) {
    EXPECT_TRUE(s.DialogCancel.empty());
    s.SubSampleStep = static_cast<std::int16_t>(10 + n);
  };
  forms.onForm4 = [](RunSettings& s, int n) {
    EXPECT_TRUE(s.TargetLayer.empty()) << "cleared before every options pass";
    s.TargetLayer = n == 0 ? "Cancel" : "cancel";  // only the exact marker cancels
  };
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(steps(),
            (std::vector<std::string>{"delete", "openDialog", "form9", "form3", "form4", "form9",
                                      "form3", "form4", "convert:2", "cad", "end:0"}));
  EXPECT_EQ(settings.TargetLayer, "cancel");
  EXPECT_EQ(settings.SubSampleStep, 11);
}

// What follows a conversion: a warning before the delivery when the points stopped at a line,
// an error and no delivery when nothing can be drawn, nothing extra after a normal end.
TEST_F(RunImportTest, ConversionResultDecidesMessageAndDelivery) {
  struct Case {
    const char* what;
    ConversionResult result;
    std::vector<std::string> tail;
  } cases[] = {
      {"finished", ConversionResult::finished(5), {"convert:2", "cad", "end:0"}},
      {"stopped at a line",
       ConversionResult::stopped(5000, MakeBadLine(5001, "1 2 3 abc 0 0", LineProblem::BadColour)),
       {"convert:2", "message", "cad", "end:0"}},
      {"nothing to draw",
       ConversionResult::nothing(NothingReason::EmptyInput),
       {"convert:2", "message", "end:1"}},
  };
  const char* scripts[] = {"ENT_GO.lsp", "ENT_GO1.lsp", "ENT_start.lsp", "ent_gogo.lsp"};
  for (const Case& c : cases) {
    log.clear();
    ui.messages.clear();
    cad.command.clear();
    dialog.answers.clear();
    answer("scan.txt", 1);
    converters.result = c.result;
    // The fake deletion leaves these: as if the converter had written them (and an earlier
    // load had ended).
    for (const char* f : scripts) writeFile(dir / f, "(princ)\r\n");
    writeFile(dir / kLoadedMarkFile, "");
    writeFile(dir / "other.lsp", "x");
    run();
    // A run that sends nothing leaves no script that a load by hand could load.
    for (const char* f : scripts)
      EXPECT_EQ(fs::exists(dir / f), c.result.sendsToCad()) << c.what << ": " << f;
    EXPECT_TRUE(fs::exists(dir / "other.lsp"));
    std::vector<std::string> s = steps();
    for (auto& e : s)
      if (e.rfind("message:", 0) == 0) e = "message";
    ASSERT_GE(s.size(), c.tail.size()) << c.what;
    EXPECT_EQ(std::vector<std::string>(s.end() - static_cast<long>(c.tail.size()), s.end()), c.tail)
        << c.what;
  }
  // The message names the file the user chose, and ends the log beside it.
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("ファイル : " + input("scan.txt")), std::string::npos);
  EXPECT_EQ(ui.messages[0].icon, platform::MessageIcon::Error);
  EXPECT_EQ(readFile(dir / "data" / "QMR_実行.log"),
            test::cp932(" \n描画できる点がないため、CADへは何も送りません。\n \nファイル : " +
                        input("scan.txt") + "\nファイルに点のデータがありません。\n \n修了日時 " +
                        system.now + "\n"));
}

// A conversion whose split fails (the program folder full, or a piece that cannot be created):
// nothing is sent, no script stays, and the log ends with the reason instead of counts.
TEST_F(RunImportTest, FailedSplitLeavesNoScriptsAndTheLogSaysWhy) {
  writeFile(dir / "data" / "scan.txt", "1 2 3 4 5 6\n2 3 4 5 6 7\n");
  fs::create_directory(dir / "ENT_GO2.lsp");  // the second piece cannot be created
  answer("scan.txt", 1);
  forms.onForm3 = [](RunSettings& s, int) {
    s.SubSampleStep = 1;
    s.DrawUnit = "m";
  };
  forms.onForm4 = [](RunSettings& s, int) { s.TargetLayer = "壁"; };
  Platform p{ui, system, dialog, progress, codePage};
  ConverterSet real(p);
  EXPECT_EQ(run(real), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  const std::string& why = ui.messages[0].text;
  EXPECT_NE(why.find("ENT_GO2.lsp"), std::string::npos) << why;
  for (const char* f : {"ENT_GO.lsp", "ENT_GO1.lsp", "ENT_start.lsp", "ent_gogo.lsp"})
    EXPECT_FALSE(fs::exists(dir / f)) << f;
  const std::string log = codePage.fromAnsi(readFile(dir / "data" / "QMR_実行.log"));
  const std::string end = "指定描画レイヤー :壁\r\n \r\n" +
                          text::replaceAll(text::replaceAll(why, "\n\n", "\n \n"), "\n", "\r\n") +
                          "\r\n \r\n修了日時 " + system.now + "\r\n";
  ASSERT_GE(log.size(), end.size());
  EXPECT_EQ(log.substr(log.size() - end.size()), end);
  EXPECT_EQ(log.find("描画点数"), std::string::npos);
  EXPECT_TRUE(cad.command.empty());
}

TEST(ChooseConverter, FollowsKindIntervalAndQuickSetting) {
  RunSettings s;
  s.InputKind = 5;
  s.QuickInterval = 1;
  EXPECT_EQ(ChooseConverter(s), ConverterId::TxtSubSample);  // interval 0 wins over quick
  s.ThinningInterval = 2.5f;
  EXPECT_EQ(ChooseConverter(s), ConverterId::TxtQuickInterval);
  s.QuickInterval = 0;
  EXPECT_EQ(ChooseConverter(s), ConverterId::TxtFullInterval);
  s.QuickInterval = 2;
  EXPECT_EQ(ChooseConverter(s), ConverterId::TxtFullInterval);
  s.ThinningInterval = -0.0f;  // compared as a float value: minus zero is zero
  EXPECT_EQ(ChooseConverter(s), ConverterId::TxtSubSample);
  s.InputKind = 3;
  EXPECT_EQ(ChooseConverter(s), ConverterId::PlyVertices);
  s.InputKind = 1;
  EXPECT_EQ(ChooseConverter(s), ConverterId::PtxSubSample);
}

// Every choice of the table has its converter: no choice ends without converting.
TEST(ChooseConverter, EveryChoiceHasItsConverter) {
  const std::pair<ConverterId, ConverterFunction> choices[] = {
      {ConverterId::PtxSubSample, ConvertPtxSubSample},
      {ConverterId::PlyVertices, ConvertPlyVertices},
      {ConverterId::TxtSubSample, ConvertTxtSubSample},
      {ConverterId::TxtQuickInterval, ConvertTxtQuickInterval},
      {ConverterId::TxtFullInterval, ConvertTxtFullInterval},
  };
  for (const auto& [id, convert] : choices)
    EXPECT_EQ(FindConverter(id), convert) << static_cast<int>(id);
}

TEST_F(RunImportTest, DelayValueRules) {
  Platform p{ui, system, dialog, progress, codePage};
  auto delayOf = [&](const char* contents) {
    if (contents) {
      writeFile(dir / "delay.dat", contents);
    } else {
      fs::remove(dir / "delay.dat");
    }
    ui.messages.clear();
    return ReadDelayUnit(dir.string(), p);
  };
  EXPECT_EQ(delayOf("12\r\n"), 12);
  EXPECT_EQ(delayOf("25"), 25);  // no range check
  EXPECT_EQ(delayOf(" 2.5 \r\nignored"), 2);
  EXPECT_EQ(delayOf("3.5"), 4);
  EXPECT_TRUE(ui.messages.empty());
  for (const char* bad :
       {"abc\r\n", "", "40000\r\n", "\r\n12", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(delayOf(bad), 5) << (bad ? bad : "(missing)");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kDelayFileMissing);
  }
}

TEST_F(RunImportTest, DeletionQuotesFolderAndWaitsWithPumpTurns) {
  settings.AppDir = "C:\\my app\\";
  system.exitCodes = {259, 259, 0};
  Platform p{ui, system, dialog, progress, codePage};
  DeletePreviousScripts(settings, p);
  EXPECT_EQ(system.started, (std::vector<std::string>{"cmd.exe /c del \"C:\\my app\\ent_go*\""}));
  EXPECT_EQ(log,
            (EventLog{"start:cmd.exe /c del \"C:\\my app\\ent_go*\"", "openProcess:1024,1,4242",
                      "exitCode", "pump", "exitCode", "pump", "exitCode", "pump", "closeHandle"}));
}

TEST_F(RunImportTest, DeletionWaitEndsWhenTheQueryFails) {
  system.exitQueryFails = true;
  system.exitCodes = {259, 259};
  Platform p{ui, system, dialog, progress, codePage};
  DeletePreviousScripts(settings, p);
  EXPECT_EQ(ui.pumpTurns, 1);
  EXPECT_EQ(system.openHandles, 0);
}

TEST_F(RunImportTest, WithoutCommandProcessorStaleScriptsAreDeletedDirectly) {
  for (const char* name :
       {"ENT_GO.lsp", "ENT_GO3.lsp", "ent_gogo.lsp", "ENT_start.lsp", "other.lsp"})
    writeFile(dir / name, "x");
  system.nextPid = 0;
  settings.AppDir = dir.string() + "\\";
  Platform p{ui, system, dialog, progress, codePage};
  DeletePreviousScripts(settings, p);
  EXPECT_FALSE(fs::exists(dir / "ENT_GO.lsp"));
  EXPECT_FALSE(fs::exists(dir / "ENT_GO3.lsp"));
  EXPECT_FALSE(fs::exists(dir / "ent_gogo.lsp"));
  EXPECT_TRUE(fs::exists(dir / "ENT_start.lsp"));
  EXPECT_TRUE(fs::exists(dir / "other.lsp"));
}

}  // namespace
}  // namespace harlowe
