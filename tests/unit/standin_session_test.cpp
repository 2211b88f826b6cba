// The stand-in's command line and its dump: how typed and pasted text becomes evaluated lines,
// what the history shows, and the files that tests read.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "standin/cad/lisp/session.h"
#include "tests/support/cp932_codepage.h"

namespace standin::lisp {
namespace {

namespace fs = std::filesystem;

class Host : public SessionHost {
 public:
  std::string decodeAnsi(std::string_view bytes) override { return cp.fromAnsi(bytes); }
  void historyAdded(std::string_view s) override { shown += s; }
  void poll() override {
    ++polls;
    if (onPoll) onPoll();
  }
  harlowe::test::Cp932CodePage cp;
  std::string shown;
  int polls = 0;
  std::function<void()> onPoll;
};

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    dir = fs::temp_directory_path() / ("standin_sess_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir / "support");
    SessionOptions o;
    o.supportFolders = {dir / "support"};
    o.dumpFolder = dir / "dump";
    session = std::make_unique<Session>(drawing, host, o);
  }
  ~SessionTest() override { fs::remove_all(dir); }

  std::string dumped(const std::string& name) {
    std::ifstream in(dir / "dump" / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void enter(const std::string& text) {
    session->type(text);
    session->runPending();
  }

  fs::path dir;
  Host host;
  Drawing drawing;
  std::unique_ptr<Session> session;
};

TEST_F(SessionTest, PastedTextIsTypedInputAndCrLfEndsEachLine) {
  // ESC first clears whatever was left on the command line.
  session->type("(setq junk");
  session->type("\x1b(setvar \"cmdecho\" 0)\r");
  EXPECT_EQ(session->input(), "");
  EXPECT_FALSE(session->idle());  // a line waits
  session->type("\n(prompt \"実行中です。　お待ちください。\")\r\n(setq a 1");
  EXPECT_EQ(session->input(), "(setq a 1");
  session->runPending();
  EXPECT_TRUE(session->idle());
  EXPECT_EQ(drawing.cmdecho, 0);
  EXPECT_EQ(session->state().linesEvaluated, 2);
  EXPECT_EQ(session->history(),
            "*Cancel*\n"
            "Command: (setvar \"cmdecho\" 0)\n"
            "0\n"
            "Command: (prompt \"実行中です。　お待ちください。\")\n"
            "実行中です。　お待ちください。\n"
            "nil\n");
  EXPECT_EQ(host.shown, session->history());
  EXPECT_EQ(session->evaluatedLog(),
            "(setvar \"cmdecho\" 0)\n(prompt \"実行中です。　お待ちください。\")\n");
}

TEST_F(SessionTest, OpenExpressionsWaitForTheirNextLine) {
  enter("(setq b\r\n");
  EXPECT_EQ(session->prompt(), "(_> ");
  enter("  (list 1\n 2))\r\n");
  EXPECT_EQ(session->prompt(), "Command: ");
  EXPECT_EQ(session->history(), "Command: (setq b\n(_>   (list 1\n(_>  2))\n(1 2)\n");
  // ESC drops an open expression as well.
  enter("(setq c (list\r\n");
  session->escape();
  EXPECT_EQ(session->prompt(), "Command: ");
  enter("c\r\n");  // outside parentheses a line is a command
  EXPECT_NE(session->history().find("Unknown command \"c\"."), std::string::npos);
  // Backspace takes back a whole character, also a Japanese one.
  session->type("(princ \"点x\b\b\")");
  EXPECT_EQ(session->input(), "(princ \"\")");
}

TEST_F(SessionTest, CommandLinesTakeTheirInputsSeparatedByBlanks) {
  enter("pdmode 3\r\n.layer m 新レイヤー \r\n");
  EXPECT_EQ(drawing.pdmode, 3);
  EXPECT_EQ(drawing.layers()[drawing.currentLayer()].name, "新レイヤー");
  EXPECT_EQ(session->state().linesEvaluated, 2);
}

TEST_F(SessionTest, ErrorsAreReportedAndTheNextLineRuns) {
  enter("(entmake '((0 . \"POINT\") (10 1 2 3)))\r\n(car 5)\r\n(setq ok 1)\r\n");
  EXPECT_NE(session->history().find("Command: (car 5)\n; error: bad argument type: listp 5\n"),
            std::string::npos);
  EXPECT_EQ(session->state().errors, 1);
  EXPECT_EQ(printValue(session->interpreter().evalText("ok"), true), "1");
  EXPECT_EQ(drawing.entities().size(), 1u);
}

TEST_F(SessionTest, LongEvaluationsPollAndCanBeCancelled) {
  std::string script = "(defun f (/ i) (setq i 0)";
  for (int k = 0; k < 3000; ++k) script += " (entmake '((0 . \"POINT\") (10 1 2 3)))";
  script += ")\r\n";
  std::ofstream(dir / "support" / "long.lsp", std::ios::binary) << script << "(f)(f)(f)(f)\r\n";
  // A line typed while the evaluation runs waits for it; ESC pressed meanwhile cancels it.
  host.onPoll = [&] {
    if (host.polls == 1) session->type("(setq later 1)\r\n");
    if (host.polls == 2) session->cancel();
  };
  enter("(load \"long\")\r\n");
  EXPECT_GE(host.polls, 2);
  EXPECT_LT(drawing.entities().size(), 12000u);
  EXPECT_NE(session->history().find("*Cancel*\n; error: Function cancelled\n"), std::string::npos);
  EXPECT_EQ(printValue(session->interpreter().evalText("later"), true), "1");
  EXPECT_TRUE(session->idle());
}

TEST_F(SessionTest, DumpHoldsTheDrawingAfterEveryLine) {
  session->writeDump();
  EXPECT_EQ(dumped("state.txt"), "lines=0\nidle=1\nerrors=0\nentities=0\nzoom_extents=0\n");
  drawing.osmode = 37;
  enter(
      "(command \".layer\" \"m\" \"点群 A\" \"\")\r\n"
      "(entmake '((0 . \"POINT\") (10 0.1 -2.5e-7 1234567.891) (420 . 16744448)))\r\n"
      "(entmake '((0 . \"POINT\") (8 . \"0\") (10 3 4)))\r\n"
      "(car 1)\r\n");
  EXPECT_EQ(dumped("entities.tsv"),
            "type\tlayer\tx\ty\tz\tcolour\n"
            "POINT\t点群 A\t0.1\t-2.5e-07\t1234567.891\t16744448\n"
            "POINT\t0\t3\t4\t0\t\n");
  EXPECT_EQ(dumped("layers.tsv"), "name\tflags\tcurrent\n0\t0\t0\n点群 A\t0\t1\n");
  const std::string vars = dumped("variables.tsv");
  EXPECT_EQ(vars.rfind("name\tvalue\nCMDECHO\t1\nOSMODE\t37\nPDMODE\t0\nPDSIZE\t0\nUSERI1\t0\n"
                       "CLAYER\t点群 A\nUCSORG\t0,0,0\n",
                       0),
            0u)
      << vars;
  EXPECT_NE(vars.find("VIEWSIZE\t297\n"), std::string::npos);
  EXPECT_EQ(dumped("state.txt"), "lines=4\nidle=1\nerrors=1\nentities=2\nzoom_extents=0\n");
  EXPECT_EQ(dumped("evaluated.log"), session->evaluatedLog());
  EXPECT_EQ(dumped("history.txt"), session->history());
  session->escape();
  EXPECT_EQ(dumped("history.txt"), session->history());
  // Every real reads back to the same double.
  double y = 0;
  std::string_view text = "-2.5e-07";
  std::from_chars(text.data(), text.data() + text.size(), y);
  EXPECT_EQ(y, drawing.entities()[0].point.y);
  for (const auto& entry : fs::directory_iterator(dir / "dump")) {
    EXPECT_NE(entry.path().extension(), ".tmp");
  }
}

}  // namespace
}  // namespace standin::lisp
