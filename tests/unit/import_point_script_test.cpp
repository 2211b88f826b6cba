// The point script ENT_GO.lsp, compared byte for byte in CP932 with CR LF line ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "import/point_script.h"
#include "import/run_settings.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/test_files.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

struct TempDir : test::TempDir {
  TempDir() : test::TempDir("harlowe_script_") {}
};

const auto& readBytes = test::readFileBytes;

// Expected text: UTF-8 with "\n" line ends, as it reads; the file holds CP932 with CR LF.
using test::cp932;

// A point source over a list; a failure can be planted at one position.
class ListSource : public PointSource {
 public:
  explicit ListSource(std::int64_t count, std::int64_t failAt = -1)
      : count_(count), failAt_(failAt) {}
  bool atEnd() override { return next_ >= count_; }
  PointStatus next(PointTexts& p) override {
    if (next_ == failAt_) return PointStatus::Failed;
    if (next_ >= count_) return PointStatus::EndOfData;
    ++next_;
    p = {"1.5", "2", "-3.25", "16744448"};
    return PointStatus::Ok;
  }

 private:
  std::int64_t count_, failAt_, next_ = 0;
};

const char* kHead = R"((defun STARTT()
(gc)
(setvar "cmdecho" 0)
(if (tblsearch "LAYER" "<L>")
(progn
(setq td (tblsearch "LAYER" "<L>"))
(setq d70 (cdr (assoc 70 td)))
(if (= 1 (logand d70 1))
(progn
(command ".layer" "t" "<L>" "")))))
(command ".layer" "m" "<L>" "")
(setq lst_ucs_var (list (getvar "UCSORG")))
(setq lst_ucs_var (append lst_ucs_var (mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 1.0 0)))))
(command ".UCS" "w")
(command "pdmode" "0")
(command "pdsize" "0")
(setq osm_def (getvar "osmode"))
(setvar "osmode" 0)
)
(startt)
)";

const char* kGroupStart = R"((princ "\nデータを読み込んでいます。しばらくお待ちください。")
(terpri)
)";

const char* kRecord = R"('(((0 . "POINT")(10 1.5 2 -3.25)(420 . 16744448))) )";

std::string head(const std::string& layer) {
  std::string h = kHead;
  for (auto at = h.find("<L>"); at != std::string::npos; at = h.find("<L>"))
    h.replace(at, 3, layer);
  return h;
}

std::string endd(bool zoom, const char* unit) {
  std::string e =
      "(defun ENDD()\n"
      "(command \".UCS\" \"3\" (car lst_ucs_var) (cadr lst_ucs_var) (caddr lst_ucs_var))\n"
      "(setq lst_ucs_var nil)\n"
      "(setvar \"osmode\" osm_def)\n"
      "(setq osm_def nil)\n";
  if (zoom) e += "(command \".zoom\" \"e\")\n";
  e += "(princ \"\\n ******  点群の設置が終わりました。  ******:\")\n";
  e += std::string("(command \"useri1\" \"") + unit + "\" )\n(gc)\n(princ)\n)\n";
  return e;
}

std::string tail(const std::string& path) {
  return "(princ)\n(princ \"" + path + "\")\n(princ \"\\n作画終了。\")\n(ENDD)\n";
}

// The flush after a group of n functions (5 lines per function, 4 for PTX).
std::string flush(int n, bool fiveLines = true) {
  std::string f = "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n";
  for (int j = 1; j <= n; ++j) {
    const std::string js = std::to_string(j);
    f += "(ent_go" + js + ")\n(setq n nil)\n(foreach n enlist" + js + " (entmake n))\n";
    f += "(setq enlist" + js + " nil)\n";
    if (fiveLines) f += "(setq ent_go" + js + " nil)\n";
  }
  return f + "(gc)\n";
}

// A complete function of the 50 x 50 layout.
std::string fullFunction(int n) {
  const std::string ns = std::to_string(n);
  std::string line = "(setq enlist" + ns + " (append enlist" + ns + " ";
  for (int i = 0; i < 50; ++i) line += kRecord;
  line += "))\n";
  std::string f = "(defun Ent_GO" + ns + "()\n(setq enlist" + ns + " nil)\n";
  for (int b = 0; b < 50; ++b) f += line;
  return f + "(princ))\n";
}

struct Written {
  std::string file;
  BodyEnd end;
  std::int64_t points;
  RunSettings settings;
};

Written writeScript(PointSource& source, RunSettings s, PointScriptLayout layout = kTextLayout) {
  TempDir dir;
  test::Cp932CodePage cp;
  PointScriptWriter w(cp, layout);
  EXPECT_TRUE(w.open(dir.appDir()));
  w.writeHead(s.TargetLayer);
  const BodyEnd end = w.writeBody(source);
  w.writeEnd(s);
  EXPECT_TRUE(w.close());
  return {readBytes(dir.path / "ENT_GO.lsp"), end, w.pointsWritten(), s};
}

RunSettings settings(const char* layer, const char* unit, int zoom,
                     const char* input = "C:\\data\\scan.txt") {
  RunSettings s;
  s.TargetLayer = layer;
  s.DrawUnit = unit;
  s.ZoomExtentsAtEnd = zoom;
  s.InputPath = input;
  return s;
}

TEST(PointScript, ThreePointsEndingInsideABatchLine) {
  ListSource src(3);
  const Written r = writeScript(src, settings("Layer 1", "mm", 1));
  const std::string expected = head("Layer 1") + kGroupStart +
                               "(defun Ent_GO1()\n"
                               "(setq enlist1 nil)\n"
                               "(setq enlist1 (append enlist1 " +
                               kRecord + kRecord + kRecord + "))(princ))\n" + flush(1) +
                               endd(true, "1000") + tail("C:/data/scan.txt");
  EXPECT_EQ(r.file, cp932(expected));
  EXPECT_EQ(r.end, BodyEnd::ReadPastEnd);
  EXPECT_EQ(r.points, 3);
  EXPECT_EQ(r.settings.DrawUnit, "1000");
}

TEST(PointScript, NoPointsGivesHeadEnddAndTail) {
  ListSource src(0);
  const Written r = writeScript(src, settings("0", "m", 0, "scan.txt"));
  EXPECT_EQ(r.file, cp932(head("0") + endd(false, "1") + tail("scan.txt")));
  EXPECT_EQ(r.end, BodyEnd::EndBeforeFunction);
  EXPECT_EQ(r.settings.DrawUnit, "1");
}

TEST(PointScript, UnitFactorIsOneOnlyForExactlyM) {
  for (const char* unit : {"", "M", "mm", "1"}) {
    ListSource src(0);
    const Written r = writeScript(src, settings("0", unit, 0));
    EXPECT_NE(r.file.find("(command \"useri1\" \"1000\" )\r\n"), std::string::npos) << unit;
    EXPECT_EQ(r.settings.DrawUnit, "1000") << unit;
  }
}

TEST(PointScript, FiftyPointsLeaveAnEmptySecondBatchLine) {
  ListSource src(50);
  const Written r = writeScript(src, settings("0", "m", 0));
  std::string line = "(setq enlist1 (append enlist1 ";
  for (int i = 0; i < 50; ++i) line += kRecord;
  const std::string body = std::string(kGroupStart) + "(defun Ent_GO1()\n(setq enlist1 nil)\n" +
                           line + "))\n(setq enlist1 (append enlist1 ))(princ))\n" + flush(1);
  EXPECT_EQ(r.file, cp932(head("0") + body + endd(false, "1") + tail("C:/data/scan.txt")));
  EXPECT_EQ(r.points, 50);
}

TEST(PointScript, FullFunctionEndsAtTheNextEndTest) {
  ListSource src(2500);
  const Written r = writeScript(src, settings("0", "m", 0));
  const std::string body = kGroupStart + fullFunction(1) + flush(1);
  EXPECT_EQ(r.file, cp932(head("0") + body + endd(false, "1") + tail("C:/data/scan.txt")));
  EXPECT_EQ(r.end, BodyEnd::EndBeforeFunction);
}

TEST(PointScript, FullGroupIsFlushedAndNothingFollowsBeforeEndd) {
  ListSource src(12500);
  const Written r = writeScript(src, settings("0", "m", 0));
  std::string body = kGroupStart;
  for (int n = 1; n <= 5; ++n) body += fullFunction(n);
  body += flush(5);
  EXPECT_EQ(r.file, cp932(head("0") + body + endd(false, "1") + tail("C:/data/scan.txt")));
  EXPECT_EQ(r.points, 12500);
}

TEST(PointScript, SecondGroupReusesTheFunctionNames) {
  ListSource src(12501);
  const Written r = writeScript(src, settings("0", "m", 0));
  std::string body = kGroupStart;
  for (int n = 1; n <= 5; ++n) body += fullFunction(n);
  body += flush(5) + kGroupStart + "(defun Ent_GO1()\n(setq enlist1 nil)\n" +
          "(setq enlist1 (append enlist1 " + kRecord + "))(princ))\n" + flush(1);
  EXPECT_EQ(r.file, cp932(head("0") + body + endd(false, "1") + tail("C:/data/scan.txt")));
}

// A point that cannot be read ends the body like the end of the data: the open function is
// closed and every function of the unfinished group is called, so no point written is lost.
TEST(PointScript, FailureDrawsEveryPointWrittenBeforeIt) {
  const std::string open1 = std::string(kGroupStart) + "(defun Ent_GO1()\n(setq enlist1 nil)\n";
  const std::string batch = "(setq enlist1 (append enlist1 ";
  std::string full = batch, four = batch;
  for (int i = 0; i < 50; ++i) full += kRecord;
  for (int i = 0; i < 4; ++i) four += kRecord;
  std::string firstGroup = kGroupStart;
  for (int n = 1; n <= 5; ++n) firstGroup += fullFunction(n);
  firstGroup += flush(5);
  std::string twoFunctions = kGroupStart + fullFunction(1);
  twoFunctions += "(defun Ent_GO2()\n(setq enlist2 nil)\n(setq enlist2 (append enlist2 " +
                  std::string(kRecord) + "))(princ))\n" + flush(2);
  struct Case {
    const char* what;
    int failAt;  // points read before the failing one
    std::string body;
  } cases[] = {
      {"very first point", 0, open1 + batch + "))(princ))\n" + flush(1)},
      {"inside a batch line", 54, open1 + full + "))\n" + four + "))(princ))\n" + flush(1)},
      {"in the second function", 2501, twoFunctions},
      {"first point of the second group", 12500,
       firstGroup + open1 + batch + "))(princ))\n" + flush(1)},
  };
  for (const Case& c : cases) {
    ListSource src(c.failAt + 100, c.failAt);
    const Written r = writeScript(src, settings("0", "m", 0));
    EXPECT_EQ(r.file, cp932(head("0") + c.body + endd(false, "1") + tail("C:/data/scan.txt")))
        << c.what;
    EXPECT_EQ(r.end, BodyEnd::Failure) << c.what;
    EXPECT_EQ(r.points, c.failAt) << c.what;
  }

  // The PTX layout flushes with its four lines per function.
  ListSource src(300, 120);
  const Written r = writeScript(src, settings("0", "m", 0), kPtxLayout);
  std::string hundred = batch;
  for (int i = 0; i < 100; ++i) hundred += kRecord;
  std::string twenty = batch;
  for (int i = 0; i < 20; ++i) twenty += kRecord;
  EXPECT_EQ(r.file, cp932(head("0") + open1 + hundred + "))\n" + twenty + "))(princ))\n" +
                          flush(1, false) + endd(false, "1") + tail("C:/data/scan.txt")));
}

TEST(PointScript, PtxLayoutHasLongerLinesAndFourFlushLines) {
  ListSource src(150);
  const Written r = writeScript(src, settings("0", "m", 0), kPtxLayout);
  std::string first = "(setq enlist1 (append enlist1 ", second = first;
  for (int i = 0; i < 100; ++i) first += kRecord;
  for (int i = 0; i < 50; ++i) second += kRecord;
  const std::string body = std::string(kGroupStart) + "(defun Ent_GO1()\n(setq enlist1 nil)\n" +
                           first + "))\n" + second + "))(princ))\n" + flush(1, false);
  EXPECT_EQ(r.file, cp932(head("0") + body + endd(false, "1") + tail("C:/data/scan.txt")));
  EXPECT_EQ(layoutFor(ConverterId::PtxSubSample).pointsPerLine, 100);
  EXPECT_EQ(layoutFor(ConverterId::PlyVertices).flushLinesPerFunction, 5);
}

TEST(PointScript, LayerAndPathCannotBreakOutOfTheirStrings) {
  ListSource src(0);
  const Written r = writeScript(src, settings("a\\b\"c", "m", 0, "C:\\データ\\表\\say \"hi\".txt"));
  EXPECT_EQ(r.file, cp932(head("a\\\\b\\\"c") + endd(false, "1") +
                          tail("C:/データ/表/say \\\"hi\\\".txt")));
  // 表 is 0x95 0x5C in CP932: its trail byte is written as it is, not doubled.
  EXPECT_NE(r.file.find("/\x95\x5c/say"), std::string::npos);

  // A line break in the layer stays an escape inside its line.
  ListSource none(0);
  const Written broken = writeScript(none, settings("a\r\n(defun x()", "m", 0));
  EXPECT_NE(broken.file.find("(if (tblsearch \"LAYER\" \"a\\r\\n(defun x()\")\r\n"),
            std::string::npos);
}

TEST(PointScript, OpenFailsInAMissingFolder) {
  test::Cp932CodePage cp;
  PointScriptWriter w(cp, kTextLayout);
  EXPECT_FALSE(w.open("/nonexistent-folder-harlowe\\"));
}

}  // namespace
}  // namespace harlowe
