// The stand-in's conditions, arithmetic, strings, file search, files opened by a script,
// environment, trusted locations and commands defined in AutoLISP.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/interpreter.h"
#include "tests/support/standin_lisp_fixture.h"
#include "tests/support/test_files.h"

namespace standin::lisp {
namespace {

namespace fs = std::filesystem;

class StandinFunctions : public LispFixture {};

TEST_F(StandinFunctions, ConditionsArithmeticAndStrings) {
  const std::pair<const char*, const char*> cases[] = {
      {"(cond ((= 1 2) 'a) ((= 1 1) 'b 'c) (T 'd))", "C"},
      {"(cond (nil 1) (\"x\"))", "\"x\""},  // a clause without a body gives its test
      {"(cond (nil 1))", "nil"},
      {"(list (and) (and 1 nil) (or) (or nil 2) (not nil) (null 3))", "(T nil nil T T nil)"},
      {"(setq i 0 s \"\") (while (< i 3) (setq s (strcat s \"ab\") i (1+ i))) s", "\"ababab\""},
      {"(list (+ 1 2) (+ 1 2.5) (- 5) (- 10 1 2) (1- 0) (+))", "(3 3.5 -5 7 -1 0)"},
      {"(list (< 1 2 3) (< 1 3 2) (> \"b\" \"a\") (<= 2 2) (>= 1 2) (/= 1 2) (/= \"a\" \"a\"))",
       "(T nil T T nil T nil)"},
      {"(list (strlen \"点群 A\") (strlen \"ab\" \"c\") (strlen))", "(4 3 0)"},
      {"(list (substr \"点群データ.lsp\" 3) (substr \"点群データ\" 2 2) (substr \"ab\" 5))",
       "(\"データ.lsp\" \"群デ\" \"\")"},
      {"(list (strcase \"Harlowe.exe\") (strcase \"ABC点\" T))", "(\"HARLOWE.EXE\" \"abc点\")"},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(run(text), want) << text;
  EXPECT_EQ(error("(substr \"a\" 0)"), "bad argument type: positive integer 0");
  EXPECT_EQ(error("(strcat \"a\" 1)"), "bad argument type: stringp 1");
  EXPECT_EQ(error("(+ 1 \"a\")"), "bad argument type: numberp: \"a\"");
}

TEST_F(StandinFunctions, FindfileAndTheSupportPathAsAnEnvironmentSetting) {
  harlowe::test::TempDir tmp("standin_find_");
  fs::create_directories(tmp.path / "a");
  fs::create_directories(tmp.path / "b c");
  harlowe::test::writeFileBytes(tmp.path / "b c" / "Tool.EXE", "MZ");
  in.supportFolders() = {tmp.path / "a"};
  const std::string a = pathUtf8(tmp.path / "a"), bc = pathUtf8(tmp.path / "b c");

  EXPECT_EQ(run("(findfile \"tool.exe\")"), "nil");
  EXPECT_EQ(run("(getenv \"acad\")"), "\"" + a + "\"");
  run("(setenv \"ACAD\" \"" + a + "; " + bc + " ;\")");
  // Read back as written; the blanks around an entry are not part of the folder's name.
  EXPECT_EQ(run("(getenv \"ACAD\")"), "\"" + a + "; " + bc + " ;\"");
  EXPECT_EQ(run("(findfile \"tool.exe\")"),
            "\"" + pathUtf8(fs::path(tmp.path / "b c" / "Tool.EXE").make_preferred()) + "\"");
  EXPECT_EQ(run("(findfile \"tool\")"), "nil");  // no extension is added
  EXPECT_EQ(run("(list (getenv \"Other\") (setenv \"Other\" \"1\") (getenv \"OTHER\"))"),
            "(nil \"1\" \"1\")");
  EXPECT_EQ(run("(startapp \"notepad\")"), "nil");  // a console that starts nothing
  EXPECT_EQ(run("(getfiled \"t\" \"\" \"exe\" 0)"), "nil");
}

TEST_F(StandinFunctions, OpenAndCloseAFile) {
  harlowe::test::TempDir tmp("standin_open_");
  const std::string mark = pathUtf8(tmp.path / "点群.end");
  EXPECT_EQ(run("(open \"" + mark + "\" \"r\")"), "nil");  // no such file yet
  EXPECT_EQ(run("(close (open \"" + mark + "\" \"W\"))"), "nil");
  EXPECT_TRUE(fs::is_regular_file(tmp.path / "点群.end"));
  EXPECT_EQ(run("(open \"" + pathUtf8(tmp.path / "no" / "x") + "\" \"w\")"), "nil");
  EXPECT_EQ(error("(close \"x\")"), "bad argument type: streamp \"x\"");
}

TEST_F(StandinFunctions, SecureLoadingAsksOutsideTheTrustedLocations) {
  harlowe::test::TempDir tmp("standin_trust_");
  for (const char* d : {"t", "t/sub", "u", "tree/deep"}) fs::create_directories(tmp.path / d);
  for (const char* f : {"t/a.lsp", "t/sub/b.lsp", "u/c.lsp", "tree/deep/d.lsp"})
    harlowe::test::writeFileBytes(tmp.path / f, "(setq x 1)");
  auto file = [&](const char* f) { return pathUtf8(tmp.path / f); };

  EXPECT_EQ(run("(getvar \"TRUSTEDPATHS\")"), "nil");  // a CAD without secure loading
  EXPECT_EQ(error("(setvar \"TRUSTEDPATHS\" \"x\")"),
            "variable setting rejected: \"TRUSTEDPATHS\" \"x\"");
  run("(load \"" + file("u/c.lsp") + "\")");
  EXPECT_EQ(drawing.untrustedLoads, 0);

  drawing.trustedPaths = "";
  run("(setvar \"trustedpaths\" \"" + file("T") + "\\\\;" + file("tree") + "\\\\...\")");
  EXPECT_EQ(run("(getvar \"TRUSTEDPATHS\")"),
            "\"" + file("T") + "\\\\;" + file("tree") + "\\\\...\"");
  for (const char* f : {"t/a.lsp", "tree/deep/d.lsp"}) run("(load \"" + file(f) + "\")");
  EXPECT_EQ(drawing.untrustedLoads, 0);
  for (const char* f : {"t/sub/b.lsp", "u/c.lsp"}) run("(load \"" + file(f) + "\")");
  EXPECT_EQ(drawing.untrustedLoads, 2);
  EXPECT_EQ(console.untrustedAsked, "b.lsp;c.lsp;");
  console.loadUntrusted = false;
  EXPECT_EQ(error("(load \"" + file("u/c.lsp") + "\")"),
            "LOAD failed: \"" + file("u/c.lsp") + "\" is not trusted");
}

TEST_F(StandinFunctions, CommandsDefinedInAutoLisp) {
  run("(defun c:Hello () (princ \"hi\") (princ))");
  drawing.cmdecho = 0;
  run("(command \"hello\" \"._HELLO\")");
  EXPECT_EQ(console.out, "hihi");
  run("(setq c:plain 1)");
  run("(command \"PLAIN\")");
  EXPECT_NE(console.out.find("Unknown command \"PLAIN\""), std::string::npos);
}

}  // namespace
}  // namespace standin::lisp
