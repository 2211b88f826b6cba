// The PLY converter end to end: the vertex list of an ASCII PLY file in, log, script set and
// loader out; binary files and vertices that are not x y z red green blue refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "import/converters/ply_vertices.h"
#include "tests/support/converter_fixture.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

using test::cp932;
using test::pointRecord;

const char* kXyzRgb =
    "property float x\nproperty float y\nproperty float z\n"
    "property uchar red\nproperty uchar green\nproperty uchar blue\n";

std::string header(const std::string& count, const std::string& properties = kXyzRgb,
                   const std::string& format = "ascii") {
  return "ply\nformat " + format + " 1.0\ncomment Created by hand\nelement vertex " + count + "\n" +
         properties + "end_header\n";
}

// The lines of header(count) with kXyzRgb.
constexpr int kHeaderLines = 11;

const char* kGroupStart =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n(terpri)\n"
    "(defun Ent_GO1()\n(setq enlist1 nil)\n(setq enlist1 (append enlist1 ";
const char* kFlush1 =
    "))(princ))\n(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n"
    "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
    "(setq ent_go1 nil)\n(gc)\n";

// The body of a script that draws these records in its first function.
std::string bodyOf(const std::vector<std::string>& records) {
  std::string text = kGroupStart;
  for (const std::string& r : records) text += r;
  return cp932(text + kFlush1);
}

class PlyVerticesTest : public test::ConverterTest {
 protected:
  PlyVerticesTest() : ConverterTest("scan.ply") {}
  ConversionResult convert() {
    resetInput();
    return ConvertPlyVertices(s, p);
  }
  bool workFilesLeft() const {
    return fs::exists(data("scan.ply.dosasc")) || fs::exists(data("scan.ply.dosasc.final"));
  }
  using End = ConversionResult::End;
};

TEST_F(PlyVerticesTest, ThreeVerticesThenFacesDrawTheVerticesAsTheyStand) {
  input(
      header("3", std::string(kXyzRgb) + "element face 1\nproperty list uchar int vertex_index\n") +
      "1.25 -0.5 3 255 128 0 \n2 4.5e-3 -1 0 0 255 \n-7 8 9 1 2 3 \n3 0 1 2\n");
  // Work files of an earlier run go first.
  test::writeFileBytes(data("scan.ply.dosasc"), "stale");
  test::writeFileBytes(data("scan.ply.dosasc.final"), "stale");
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 3);
  // No unit was chosen on this road: the texts go in unchanged, exponent notation included.
  EXPECT_EQ(body(), bodyOf({pointRecord("1.25", "-0.5", "3", "16744448"),
                            pointRecord("2", "4.5e-3", "-1", "255"),
                            pointRecord("-7", "8", "9", "66051")}));
  EXPECT_NE(script().find("(command \"useri1\" \"1000\" )\r\n"), std::string::npos);
  EXPECT_EQ(s.DrawUnit, "1000");
  // The tail names the vertex list, which is gone by now; the log names the input.
  EXPECT_EQ(s.InputPath, inputPath() + ".dosasc.final");
  EXPECT_NE(
      script().find("(princ \"" + (dir_.path / "data").string() + "/scan.ply.dosasc.final\")"),
      std::string::npos);
  EXPECT_FALSE(workFilesLeft());
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル(Mesh)\n実行日時 2026/12/08 9:05:01\n \n"
                         "実行種類 : PLY（メッシュ）描画\nデータ File名 :" +
                         inputPath() +
                         "\n指定描画レイヤー :0\n \n描画点数 : 3\n \n"
                         "修了日時 2026/12/08 9:05:01\n"));
  EXPECT_EQ(test::readFileBytes(app("ent_gogo.lsp")),
            cp932("(load \"ent_start\")\n(load \"ent_go1\")\n(load \"ent_go2\")\n" + loaderMark() +
                  "(gc)\n"));
  EXPECT_TRUE(ui.messages.empty());
}

// Inputs that draw, each with the records of its first function: element orders, separators
// and colour types.
TEST_F(PlyVerticesTest, VertexListsThatDraw) {
  const std::string face = "element face 2\nproperty list uchar int vertex_indices\n";
  const std::string twoVertices = "1 2 3 4 5 6 \n7 8 9 0 0 1 \n";
  const std::vector<std::string> both = {pointRecord("1", "2", "3", "263430"),
                                         pointRecord("7", "8", "9", "1")};
  auto withElements = [](const std::string& before, const std::string& properties,
                         const std::string& after) {
    return "ply\nformat ascii 1.0\n" + before + "element vertex 2\n" + properties + after +
           "end_header\n";
  };
  struct Case {
    const char* what;
    std::string bytes;
    std::string unit;
    std::vector<std::string> records;
  } cases[] = {
      {"nine values: only the first six count",
       header("2",
              std::string(kXyzRgb) + "property float nx\nproperty float ny\nproperty float nz\n") +
           "1 2 3 4 5 6 0.5 0.5 0.7 \n7 8 9 0 0 1 1 0 0 \n",
       "", both},
      {"two vertex elements: the later is drawn, the earlier's lines come first",
       "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nelement vertex 1\n" +
           std::string(kXyzRgb) + "end_header\n9\n9\n9\n9\n9\n1 2 3 4 5 6 \n7 8 9 0 0 1 \n",
       "",
       {pointRecord("1", "2", "3", "263430")}},
      {"a comment naming an element after the real one changes nothing", header("2") + twoVertices,
       "", both},
      {"no blank after the sixth value", header("2") + "1 2 3 4 5 6\n7 8 9 0 0 1", "", both},
      {"millimetres left by an earlier thinning form",
       header("1") + "1.5 -0.25 2 0 0 0 \n",
       "mm",
       {pointRecord("1500", "-250", "2000", "0")}},
      {"faces declared first: their lines come first, list values and all",
       withElements(face, kXyzRgb, "") + "3 0 1 2\n4 0 1 2 3\n" + twoVertices, "", both},
      {"a camera of six values, then faces after the vertices",
       withElements("element camera 1\nproperty float view_px\n", kXyzRgb, face) + "9 9 9 9 9 9\n" +
           twoVertices + "3 0 1 2\n3 1 2 0\n",
       "", both},
      {"an element of no entries before the vertices",
       withElements("element material 0\nproperty uchar ambient_red\n", kXyzRgb, "") + twoVertices,
       "", both},
      {"TABs, runs of blanks, blanks before the first value and after the last",
       header("2") + "\t 1  2\t3 \t4 5   6\t \n  7 8 9 0 0 1\n", "", both},
      {"colours as int and uint8",
       withElements("",
                    "property double x\nproperty double y\nproperty double z\n"
                    "property int red\nproperty uint8 green\nproperty uchar blue\n",
                    "") +
           twoVertices,
       "", both},
  };
  cases[2].bytes.insert(cases[2].bytes.find("property float x"),
                        "comment element vertex 7\nobj_info end_header\n");
  for (const Case& c : cases) {
    s.DrawUnit = c.unit;
    input(c.bytes);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, End::Finished) << c.what;
    EXPECT_EQ(r.pointsDrawn, static_cast<std::int64_t>(c.records.size())) << c.what;
    EXPECT_EQ(body(), bodyOf(c.records)) << c.what;
  }
}

// Line ends of other systems, mixed in one file, and a UTF-8 byte-order mark read as LF does.
TEST_F(PlyVerticesTest, EveryLineEndDrawsLikeLf) {
  const std::string lf = header("3") + "1.25 -0.5 3 255 128 0 \n2 4 -1 0 0 255 \n-7 8 9 1 2 3 \n";
  input(lf);
  convert();
  const std::string expected = script();
  auto ends = [&lf](const char* end, bool alternate) {
    std::string text;
    bool odd = false;
    for (char c : lf) {
      if (c != '\n') {
        text += c;
      } else {
        text += alternate && (odd = !odd) ? std::string("\n") : std::string(end);
      }
    }
    return text;
  };
  for (const std::string& bytes : {ends("\r\n", false), ends("\r", false), ends("\r\n", true),
                                   ends("\r", true), "\xEF\xBB\xBF" + lf}) {
    input(bytes);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, End::Finished) << testing::PrintToString(bytes);
    EXPECT_EQ(r.pointsDrawn, 3);
    EXPECT_EQ(script(), expected);
  }
}

// Files refused before anything is drawn: no script, no work file, and the log keeps its head.
// A header is refused before any data is copied.
TEST_F(PlyVerticesTest, RefusedFiles) {
  auto colours = [](const std::string& type) {
    return "property float x\nproperty float y\nproperty float z\nproperty " + type +
           " red\nproperty " + type + " green\nproperty " + type + " blue\n";
  };
  struct Case {
    std::string bytes;
    NothingReason reason;
    std::string detail;
    std::int64_t linesRead = 0;
  } cases[] = {
      {header("2", kXyzRgb, "binary_little_endian") + std::string("\x01\x00\n\x7f\xff", 5),
       NothingReason::PlyBinary, "binary_little_endian"},
      {header("2", kXyzRgb, "binary_big_endian"), NothingReason::PlyBinary, "binary_big_endian"},
      {header("2",
              "property float x\nproperty float y\nproperty float z\nproperty float nx\n"
              "property float ny\nproperty float nz\nproperty uchar red\nproperty uchar green\n"
              "property uchar blue\n") +
           "1 2 3 0 0 1 255 0 0 \n",
       NothingReason::PlyProperties,
       "float x, float y, float z, float nx, float ny, float nz, uchar red, uchar green, "
       "uchar blue"},
      {header("1",
              "property double x\nproperty double y\nproperty double z\nproperty float red\n"
              "property float green\nproperty float blue\n") +
           "1 2 3 0.5 0.25 1 \n",
       NothingReason::PlyProperties,
       "double x, double y, double z, float red, float green, float blue"},
      {header("1", "property float x\nproperty float y\nproperty float z\n") + "1 2 3 \n",
       NothingReason::PlyProperties, "float x, float y, float z"},
      // 16-bit colours run to 65,535.
      {header("1", colours("ushort")) + "1 2 3 65535 0 255 \n", NothingReason::PlyProperties,
       "float x, float y, float z, ushort red, ushort green, ushort blue"},
      {header("1", colours("short")), NothingReason::PlyProperties,
       "float x, float y, float z, short red, short green, short blue"},
      {header("1", colours("uint16")), NothingReason::PlyProperties,
       "float x, float y, float z, uint16 red, uint16 green, uint16 blue"},
      {header("1", colours("int16")), NothingReason::PlyProperties,
       "float x, float y, float z, int16 red, int16 green, int16 blue"},
      {header("0") + "1 2 3 4 5 6 \n", NothingReason::EmptyInput, ""},
      {"ply\nformat ascii 1.0\nelement face 2\nend_header\n3 0 1 2\n", NothingReason::EmptyInput,
       ""},
      // The file ends inside the elements declared before the vertices.
      {"ply\nformat ascii 1.0\nelement camera 1\nproperty float x\nelement face 3\n"
       "property list uchar int vertex_indices\nelement vertex 2\n" +
           std::string(kXyzRgb) + "end_header\n0.5\n3 0 1 2\n",
       NothingReason::PlyEndsBeforeVertices, "camera 1, face 3", 2},
  };
  for (const Case& c : cases) {
    events.clear();
    input(c.bytes);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, End::NothingDrawn) << c.detail;
    EXPECT_EQ(r.reason, c.reason) << c.detail;
    EXPECT_EQ(r.detail, c.detail);
    EXPECT_EQ(r.linesRead, c.linesRead) << c.detail;
    EXPECT_FALSE(fs::exists(app("ENT_GO.lsp"))) << c.detail;
    EXPECT_FALSE(workFilesLeft()) << c.detail;
    EXPECT_EQ(log().find(cp932("描画点数")), std::string::npos);
    EXPECT_FALSE(window.loaded);
    // The copy draws its progress; a refused header leaves the bar untouched.
    const bool copied = std::any_of(events.begin(), events.end(), [](const std::string& e) {
      return e.rfind("progress.percent:", 0) == 0;
    });
    EXPECT_EQ(copied, c.reason == NothingReason::PlyEndsBeforeVertices) << c.detail;
  }
}

// A vertex line that cannot be drawn ends the vertices; a file that ends early draws what it
// holds. Either way the result says how many were drawn and why the rest were not.
TEST_F(PlyVerticesTest, VerticesThatEndEarly) {
  struct Case {
    std::string vertices;  // after header("5")
    End end;
    std::int64_t drawn;
    std::int64_t line;  // the bad line, or 0
    std::string text;
  } cases[] = {
      {"1 2 3 4 5 6 \n7 8 9 0 0 1 \n1 2 3 4 5\n4 5 6 7 8 9 \n", End::StoppedEarly, 2,
       kHeaderLines + 3, "1 2 3 4 5"},
      {"1 2 3 4 5 6 \n1 2 3 x\t0\n4 5 6 7 8 9 \n", End::StoppedEarly, 1, kHeaderLines + 2,
       "1 2 3 x 0"},
      {"1 2 3 4 5 6 \n\n4 5 6 7 8 9 \n", End::StoppedEarly, 1, kHeaderLines + 2, ""},
      {"1 2 3 abc 5 6 \n", End::NothingDrawn, 0, kHeaderLines + 1, "1 2 3 abc 5 6"},
      {"1 2 3 4 5 6 \n7 8 9 0 0 1 \n7 8 9 0 0 1 \n", End::FewerThanHeader, 3, 0, ""},
      {"", End::NothingDrawn, 0, 0, ""},
  };
  for (const Case& c : cases) {
    input(header("5") + c.vertices);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, c.end) << c.vertices;
    EXPECT_EQ(r.pointsDrawn, c.drawn) << c.vertices;
    if (c.line != 0) {
      ASSERT_TRUE(r.badLine) << c.vertices;
      EXPECT_EQ(r.badLine->number, c.line);
      EXPECT_EQ(r.badLine->start, c.text);
    } else {
      EXPECT_FALSE(r.badLine) << c.vertices;
      EXPECT_EQ(r.expectedPoints, 5);
      if (c.drawn == 0) {
        EXPECT_EQ(r.reason, NothingReason::PlyNoVertexLines);
      }
    }
    // A run that sends nothing has no count of drawn points.
    EXPECT_EQ(
        log().find(cp932("描画点数 : " + std::to_string(c.drawn) + "\n")) != std::string::npos,
        c.end != End::NothingDrawn)
        << c.vertices;
    EXPECT_FALSE(workFilesLeft());
  }
}

TEST_F(PlyVerticesTest, ProgressStagesInOrder) {
  std::string text = header("400");
  for (int i = 0; i < 400; ++i) text += "1 2 3 4 5 6 \n";
  input(text);
  convert();
  EXPECT_EQ(stages(), (std::vector<std::string>{
                          "progress.stage:ファイルデータを処理しています。－１", "progress.unload",
                          "progress.stage:ファイルデータを処理しています。－２",
                          "progress.stage:ファイルデータを処理しています。", "progress.unload",
                          "progress.stage:最終処理を行ってます", "progress.unload"}));
}

// Vertex lines with their values separated in every way, against a plain cutting of each line
// at runs of blanks and TABs: lines of many lengths, so that separators fall on both sides of
// every sixteen-byte boundary.
TEST_F(PlyVerticesTest, RandomSeparatorsGiveTheValuesAPlainCutGives) {
  std::mt19937 rng(3);
  const char* separators[] = {" ", " ", " ", "\t", "  ", " \t", "\t\t "};
  auto pick = [&](int most) { return static_cast<int>(rng() % static_cast<unsigned>(most)); };
  std::string lines, expected;
  const int count = 3000;
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> values;
    for (int v = 0; v < 3; ++v) {
      std::string x = pick(2) ? "-" : "";
      x.append(std::to_string(pick(100000))).append(".");
      values.push_back(x.append(static_cast<std::size_t>(pick(12)), '7'));
    }
    for (int v = 0; v < 3; ++v) values.push_back(std::to_string(pick(256)));
    for (int v = pick(3); v > 0; --v) values.push_back(std::to_string(pick(1000)));
    // Half of the lines in the usual form, single blanks only.
    const int kinds = pick(2) ? 1 : 7;
    std::string line;
    if (kinds > 1 && pick(4) == 0) line.append(separators[pick(kinds)]);
    for (std::size_t v = 0; v < values.size(); ++v) {
      if (v > 0) line.append(separators[pick(kinds)]);
      line.append(values[v]);
    }
    if (pick(2)) line.append(separators[pick(kinds)]);
    lines += line + "\n";
    expected += pointRecord(values[0], values[1], values[2],
                            std::to_string(std::stoi(values[3]) * 65536 +
                                           std::stoi(values[4]) * 256 + std::stoi(values[5])));
  }
  input(header(std::to_string(count)) + lines);
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, count);
  std::string drawn;
  const std::string b = body();
  for (std::size_t at = b.find("'((("); at != std::string::npos; at = b.find("'(((", at + 1))
    drawn += b.substr(at, b.find("))) ", at) + 4 - at);
  EXPECT_EQ(drawn, expected);
}

// CloudCompare's PLY export of the sample scan: every vertex, in order, with the coordinate
// texts of its line and its packed colour.
TEST_F(PlyVerticesTest, RealExportDrawsEveryVertex) {
  const std::string sample =
      test::readFileBytes(fs::path(HARLOWE_SOURCE_DIR) / "data" / "table_mug_stereo_cc_ascii.ply");
  ASSERT_FALSE(sample.empty());
  input(sample);
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 19404);

  std::istringstream lines(sample.substr(sample.find("end_header\n") + 11));
  std::string expected, line;
  while (std::getline(lines, line)) {
    std::istringstream v(line);
    std::string x, y, z;
    long red, green, blue;
    v >> x >> y >> z >> red >> green >> blue;
    expected += pointRecord(x, y, z, std::to_string(red * 65536 + green * 256 + blue));
  }
  std::string drawn;
  const std::string b = body();
  for (std::size_t at = b.find("'((("); at != std::string::npos; at = b.find("'(((", at + 1)) {
    drawn += b.substr(at, b.find("))) ", at) + 4 - at);
  }
  EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace harlowe
