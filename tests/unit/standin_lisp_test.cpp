// The stand-in CAD's evaluator: reading, the language functions, the drawing functions and the
// way errors stop an evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "standin/cad/lisp/interpreter.h"
#include "standin/cad/lisp/reader.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/standin_lisp_fixture.h"

namespace standin::lisp {
namespace {

namespace fs = std::filesystem;

class Lisp : public LispFixture {};

TEST_F(Lisp, ReadsNumbersStringsSymbolsAndLists) {
  EXPECT_EQ(run("42"), "42");
  EXPECT_EQ(run("-3.25"), "-3.25");
  EXPECT_EQ(run("5."), "5.0");
  EXPECT_EQ(run(".5"), "0.5");
  EXPECT_EQ(run("1.234568E+07"), "1.23457e+07");
  EXPECT_EQ(in.evalText("1.234568E+07").asReal(), 12345680.0);
  EXPECT_EQ(in.evalText("1e-3").asReal(), 0.001);
  // Beyond 32 bits an integer becomes a real.
  EXPECT_EQ(in.evalText("4294967296").kind(), Kind::Real);
  // Beyond the double range a real is infinite, below it zero, as the C library reads them.
  EXPECT_EQ(in.evalText("1e309").asReal(), HUGE_VAL);
  EXPECT_EQ(in.evalText("-1e309").asReal(), -HUGE_VAL);
  EXPECT_EQ(in.evalText("1e-400").asReal(), 0.0);
  EXPECT_EQ(run("\"a\\\"b\\\\c\\nd\""), "\"a\\\"b\\\\c\\nd\"");
  EXPECT_EQ(strText(in.evalText("\"a\\\"b\\\\c\\nd\\101\"")), "a\"b\\c\ndA");
  EXPECT_EQ(run("'Ent_Go1"), "ENT_GO1");
  EXPECT_EQ(run("'(1 . \"POINT\")"), "(1 . \"POINT\")");
  EXPECT_EQ(run("'(((0 . \"POINT\")(10 1.5 2 -3.25)(420 . 16744448)))"),
            "(((0 . \"POINT\") (10 1.5 2 -3.25) (420 . 16744448)))");
  EXPECT_EQ(run("; a comment\n'(a ;| block |; b) ; tail"), "(A B)");
  EXPECT_EQ(run("nil"), "nil");
  EXPECT_EQ(run("NIL"), "nil");
  EXPECT_EQ(run("t"), "T");
}

TEST_F(Lisp, ReportsMalformedInput) {
  Value form;
  Reader open(in, "(setq a (list 1 2)");
  EXPECT_EQ(open.next(form), ReadStatus::Incomplete);
  Reader string(in, "(princ \"abc)");
  EXPECT_EQ(string.next(form), ReadStatus::Incomplete);
  EXPECT_EQ(error("(setq a 1))"), "extra right paren on input");
  EXPECT_EQ(error("(setq a (list 1 2)"), "malformed list on input");
  EXPECT_EQ(error("'(1 . 2 3)"), "invalid dotted pair");
  EXPECT_EQ(error("'( . 2)"), "invalid dotted pair");
  // The forms before the fault were evaluated.
  EXPECT_EQ(error("(setq a 7) (setq b"), "malformed list on input");
  EXPECT_EQ(run("a"), "7");
}

TEST_F(Lisp, DefinesAndCallsFunctionsWithDynamicBindings) {
  EXPECT_EQ(run("(defun f (x / tmp) (setq tmp x) (list x tmp))"), "F");
  EXPECT_EQ(run("(setq x 'outer tmp 'kept) (f 3)"), "(3 3)");
  EXPECT_EQ(run("(list x tmp)"), "(OUTER KEPT)");
  EXPECT_EQ(error("(f)"), "too few arguments");
  EXPECT_EQ(error("(f 1 2)"), "too many arguments");
  // A function's symbol set to nil: calling it is an error, as in the CAD.
  EXPECT_EQ(run("(defun Ent_GO1() (setq enlist1 '(1)) (princ)) (Ent_Go1) enlist1"), "(1)");
  EXPECT_EQ(error("(setq ent_go1 nil) (ent_go1)"), "no function definition: ENT_GO1");
  // A function may clear its own symbol while it runs.
  EXPECT_EQ(run("(defun g () (setq g nil) 5) (g)"), "5");
  EXPECT_EQ(run("(mapcar '(lambda (p) (car p)) '((1 2) (3 4)))"), "(1 3)");
  EXPECT_EQ(run("(mapcar (lambda (a b) (list a b)) '(1 2 3) '(x y))"), "((1 X) (2 Y))");
  EXPECT_EQ(error("(mapcar 5 '(1))"), "bad function: 5");
  // Bindings are undone when an error leaves the call.
  EXPECT_NE(error("(defun h (x) (car 5)) (h 1)"), "");
  EXPECT_EQ(run("x"), "OUTER");
}

TEST_F(Lisp, ListAndLogicFunctions) {
  EXPECT_EQ(run("(setq e '((0 . \"LAYER\") (70 . 5))) (cdr (assoc 70 e))"), "5");
  EXPECT_EQ(run("(assoc 99 e)"), "nil");
  EXPECT_EQ(run("(logand 5 1)"), "1");
  EXPECT_EQ(run("(logand 4 1)"), "0");
  EXPECT_EQ(run("(= 1 (logand 5 1))"), "T");
  EXPECT_EQ(run("(= 1 1.0 1)"), "T");
  EXPECT_EQ(run("(= \"a\" \"b\")"), "nil");
  EXPECT_EQ(run("(if (= 1 2) 'yes 'no)"), "NO");
  EXPECT_EQ(run("(if nil 'yes)"), "nil");
  EXPECT_EQ(run("(progn 1 2 3)"), "3");
  EXPECT_EQ(run("(car '(1 2 3))"), "1");
  EXPECT_EQ(run("(cadr '(1 2 3))"), "2");
  EXPECT_EQ(run("(caddr '(1 2 3))"), "3");
  EXPECT_EQ(run("(caddr '(1 2))"), "nil");
  EXPECT_EQ(run("(cdr nil)"), "nil");
  EXPECT_EQ(run("(append '(1) nil '(2 3) '(4))"), "(1 2 3 4)");
  EXPECT_EQ(run("(append)"), "nil");
  EXPECT_EQ(run("(setq s 0 l nil) (foreach n '(1 2 3) (setq l (list n l))) l"), "(3 (2 (1 nil)))");
  EXPECT_EQ(run("(gc)"), "nil");
}

TEST_F(Lisp, ArgumentTypesAreChecked) {
  EXPECT_EQ(error("(logand \"x\" 1)"), "bad argument type: fixnump: \"x\"");
  EXPECT_EQ(error("(car 5)"), "bad argument type: listp 5");
  EXPECT_EQ(error("(append '(1) 2)"), "bad argument type: listp 2");
  EXPECT_EQ(error("(prompt 3)"), "bad argument type: stringp 3");
  EXPECT_EQ(error("(undefined_fn 1)"), "no function definition: UNDEFINED_FN");
  EXPECT_EQ(error("(setq 5 1)"), "bad argument type: symbolp 5");
  // Endless recursion is an error, not a crash of the CAD.
  EXPECT_EQ(error("(defun deep (x) (list (deep x))) (deep 1)"), "stack overflow");
  std::string nested(5000, '(');
  EXPECT_EQ(error("'" + nested), "malformed list on input");
}

TEST_F(Lisp, OutputFunctionsWriteTheHistory) {
  EXPECT_EQ(run("(princ \"\\nデータ\")"), "\"\\nデータ\"");
  EXPECT_EQ(run("(terpri)"), "nil");
  EXPECT_EQ(run("(prompt \"実行中です。\")"), "nil");
  EXPECT_EQ(run("(princ 1.5)"), "1.5");
  EXPECT_EQ(console.out, "\nデータ\n実行中です。1.5");
  // (princ) returns a value that prints as nothing.
  EXPECT_EQ(run("(princ)"), "");
}

TEST_F(Lisp, LayerCommandsAndTableSearch) {
  EXPECT_EQ(run("(tblsearch \"LAYER\" \"pts\")"), "nil");
  run("(command \".layer\" \"m\" \"Pts\" \"\")");
  ASSERT_EQ(drawing.layers().size(), 2u);
  EXPECT_EQ(drawing.layers()[drawing.currentLayer()].name, "Pts");
  EXPECT_EQ(run("(cdr (assoc 70 (tblsearch \"layer\" \"PTS\")))"), "0");
  // Make on an existing layer only sets it current; names compare without case.
  run("(command \"_.LAYER\" \"m\" \"0\" \"\" \".layer\" \"m\" \"pts\" \"\")");
  EXPECT_EQ(drawing.layers().size(), 2u);
  EXPECT_EQ(drawing.currentLayer(), 1u);
  auto other = drawing.makeLayer("other");
  drawing.setLayerFlags(other, kLayerFrozen | 4);
  EXPECT_EQ(run("(logand (cdr (assoc 70 (tblsearch \"LAYER\" \"other\"))) 1)"), "1");
  run("(command \".layer\" \"t\" \"other\" \"\")");
  EXPECT_EQ(drawing.layers()[other].flags, 4);
  EXPECT_EQ(run("(getvar \"clayer\")"), "\"Pts\"");
  console.out.clear();
  run("(command \".layer\" \"x\" \"other\" \"\")");
  EXPECT_NE(console.out.find("Invalid option keyword."), std::string::npos);
}

TEST_F(Lisp, UcsSaveAndRestoreAsTheScriptsDoIt) {
  // A rotated, moved user system: the head saves it and switches to world, the end restores it.
  auto start = Ucs::fromThreePoints({10, 20, 0}, {10 + 0.8, 20 + 0.6, 0}, {10 - 0.6, 20 + 0.8, 0});
  ASSERT_TRUE(start);
  drawing.ucs = *start;
  run("(setq lst_ucs_var (list (getvar \"UCSORG\")))");
  run("(setq lst_ucs_var (append lst_ucs_var (mapcar '(lambda (x) (trans x 1 0)) "
      "'((1.0 0 0) (0 1.0 0)))))");
  run("(command \".UCS\" \"w\")");
  EXPECT_TRUE(drawing.ucs.isWorld());
  run("(command \".UCS\" \"3\" (car lst_ucs_var) (cadr lst_ucs_var) (caddr lst_ucs_var))");
  EXPECT_NEAR(drawing.ucs.origin.x, 10, 1e-12);
  EXPECT_NEAR(drawing.ucs.origin.y, 20, 1e-12);
  EXPECT_NEAR(drawing.ucs.xAxis.x, 0.8, 1e-12);
  EXPECT_NEAR(drawing.ucs.xAxis.y, 0.6, 1e-12);
  EXPECT_NEAR(drawing.ucs.yAxis.x, -0.6, 1e-12);
  EXPECT_NEAR(drawing.ucs.yAxis.y, 0.8, 1e-12);
  // trans both ways, and a displacement ignores the origin.
  EXPECT_EQ(run("(trans '(1 0 0) 1 0)"), "(10.8 20.6 0.0)");
  EXPECT_EQ(run("(trans '(10 20) 0 1)"), "(0.0 0.0 0.0)");
  EXPECT_EQ(run("(trans '(1 0 0) 1 0 T)"), "(0.8 0.6 0.0)");
  // Points in a line make no system: the UCS stays.
  run("(command \".UCS\" \"3\" '(0 0) '(1 0) '(2 0))");
  EXPECT_NEAR(drawing.ucs.origin.x, 10, 1e-12);
}

TEST_F(Lisp, VariablesThroughSetvarGetvarAndCommands) {
  drawing.osmode = 37;
  EXPECT_EQ(run("(setq osm_def (getvar \"osmode\")) (setvar \"osmode\" 0)"), "0");
  EXPECT_EQ(drawing.osmode, 0);
  run("(setvar \"OSMODE\" osm_def)");
  EXPECT_EQ(drawing.osmode, 37);
  run("(setvar \"cmdecho\" 0)");
  EXPECT_EQ(drawing.cmdecho, 0);
  drawing.pdmode = 3;
  drawing.pdsize = 2.5;
  run("(command \"pdmode\" \"0\") (command \"pdsize\" \"0\") (command \"useri1\" \"1000\" )");
  EXPECT_EQ(drawing.pdmode, 0);
  EXPECT_EQ(drawing.pdsize, 0.0);
  EXPECT_EQ(drawing.useri1, 1000);
  run("(command \"useri1\" \"1\")");
  EXPECT_EQ(run("(getvar \"useri1\")"), "1");
  EXPECT_EQ(run("(getvar \"UCSORG\")"), "(0.0 0.0 0.0)");
  EXPECT_EQ(run("(getvar \"nosuchvar\")"), "nil");
  EXPECT_EQ(error("(setvar \"UCSORG\" '(1 2 3))"), "variable setting rejected: \"UCSORG\" (1 2 3)");
  EXPECT_EQ(error("(setvar \"osmode\" \"x\")"), "variable setting rejected: \"osmode\" \"x\"");
  EXPECT_EQ(drawing.osmode, 37);
}

TEST_F(Lisp, ZoomExtentsFitsTheView) {
  drawing.aspect = 2.0;
  run("(entmake '((0 . \"POINT\") (10 100 50 0))) (entmake '((0 . \"POINT\") (10 140 60 0)))");
  EXPECT_EQ(drawing.zoomExtentsCount, 0);
  EXPECT_EQ(drawing.view.height, 297);
  run("(command \".zoom\" \"e\")");
  EXPECT_EQ(drawing.zoomExtentsCount, 1);
  EXPECT_EQ(drawing.view.centerX, 120);
  EXPECT_EQ(drawing.view.centerY, 55);
  EXPECT_EQ(drawing.view.height, 20);  // the width 40 at aspect 2 needs a height of 20
}

TEST_F(Lisp, EntmakeDrawsPointsAndRefusesMalformedLists) {
  drawing.setCurrentLayer(drawing.makeLayer("cur"));
  EXPECT_NE(run("(entmake '((0 . \"POINT\") (10 1.5 2 -3.25) (420 . 16744448)))"), "nil");
  EXPECT_NE(run("(entmake '((0 . \"POINT\") (8 . \"own\") (10 1 2)))"), "nil");
  for (const char* bad : {
           "'((10 1 2 3))",                              // no type
           "'((0 . \"LINE\") (10 1 2 3))",               // not a point
           "'((0 . \"POINT\"))",                         // no position
           "'((0 . \"POINT\") (10 1 \"2\" 3))",          // a coordinate that is text
           "'((0 . \"POINT\") (10 1 1e309 3))",          // a coordinate at infinity
           "'((0 . \"POINT\") (10 1))",                  // one coordinate
           "'((0 . \"POINT\") (10 1 2 3) (420 . 1.5))",  // a colour that is a real
           "'((0 . \"POINT\") (10 1 2 3) (420 . -1))",   // a colour out of range
           "'((0 . \"POINT\") (10 1 2 3) (420 . 16777216))",
           "'((0 . \"POINT\") (10 1 2 3) 5)",    // an item that is no group
           "'((0 . \"POINT\") (10 1 2 3) . 5)",  // not a proper list
           "nil",
       }) {
    EXPECT_EQ(run(std::string("(entmake ") + bad + ")"), "nil") << bad;
  }
  EXPECT_EQ(error("(entmake 5)"), "bad argument type: listp 5");
  ASSERT_EQ(drawing.entities().size(), 2u);
  const Entity& a = drawing.entities()[0];
  EXPECT_EQ(drawing.layers()[a.layer].name, "cur");
  EXPECT_EQ(a.point.x, 1.5);
  EXPECT_EQ(a.point.z, -3.25);
  EXPECT_EQ(a.trueColor, 16744448);
  const Entity& b = drawing.entities()[1];
  EXPECT_EQ(drawing.layers()[b.layer].name, "own");
  EXPECT_EQ(b.point.z, 0);
  EXPECT_EQ(b.trueColor, -1);
}

TEST_F(Lisp, GetpointIsAPauseTheConsoleAnswers) {
  EXPECT_EQ(run("(getpoint \"\\n1-続けて描画する場合は画面をクリック、中止はESCキー\")"),
            "(210.0 148.5 0.0)");
  EXPECT_EQ(console.out, "\n1-続けて描画する場合は画面をクリック、中止はESCキー");
  console.answer = false;
  EXPECT_EQ(error("(setq before 1) (getpoint \"\\nx\") (setq after 1)"), "Function cancelled");
  EXPECT_EQ(run("(list before after)"), "(1 nil)");
  EXPECT_EQ(console.pauses, 2);
}

class LispFiles : public Lisp {
 protected:
  LispFiles() {
    dir = fs::temp_directory_path() / ("standin_lisp_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir / "sub");
    in.supportFolders() = {dir / "sub", dir};
  }
  ~LispFiles() override { fs::remove_all(dir); }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  fs::path dir;
};

TEST_F(LispFiles, LoadFindsFilesWithoutRegardToCaseAndDecodesTheCodePage) {
  // ソ and 表 end in the byte 0x5C in CP932: it must not escape the closing quote.
  std::string layer = console.cp.toAnsi("点群 ソ表\\\\x\\\"y");
  write("ENT_start.lsp", "(command \".layer\" \"m\" \"" + layer + "\" \"\")\r\n(setq v 1)\r\n");
  EXPECT_EQ(run("(load \"ent_START\")"), "1");
  EXPECT_EQ(drawing.layers()[drawing.currentLayer()].name, "点群 ソ表\\x\"y");
  write("sub/A.LSP", "(setq w 'sub)");
  write("a.lsp", "(setq w 'top)");
  EXPECT_EQ(run("(load \"a\")"), "SUB");  // support folders in their order
  EXPECT_EQ(run("(load \"a.lsp\")"), "SUB");
  EXPECT_EQ(error("(load \"missing\")"), "LOAD failed: \"missing\"");
  EXPECT_EQ(run("(load \"missing\" 'none)"), "NONE");
}

TEST_F(LispFiles, AnErrorStopsTheWholeLoadChain) {
  write("outer.lsp", "(setq o1 1)\r\n(load \"inner\")\r\n(setq o2 1)\r\n");
  write("inner.lsp",
        "(entmake '((0 . \"POINT\") (10 1 2 3)))\r\n(logand \"x\" 1)\r\n(setq i2 1)\r\n");
  EXPECT_EQ(error("(load \"outer\")"), "bad argument type: fixnump: \"x\"");
  EXPECT_EQ(run("(list o1 i2 o2)"), "(1 nil nil)");
  EXPECT_EQ(drawing.entities().size(), 1u);  // what was made before the error stays
  // A file cut off inside a form.
  write("cut.lsp", "(setq c1 1)\r\n(setq enlist1 (append enlist1 '(((0 . \"POINT\")(10 1 ");
  EXPECT_EQ(error("(load \"cut\")"), "malformed list on input");
  EXPECT_EQ(run("c1"), "1");
  write("self.lsp", "(load \"self\")");
  EXPECT_NE(error("(load \"self\")"), "");
}

}  // namespace
}  // namespace standin::lisp
