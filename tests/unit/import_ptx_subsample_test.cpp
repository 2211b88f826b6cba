// The PTX converter end to end, and the sample scan against CloudCompare's reading of it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "import/converters/ptx_subsample.h"
#include "import/ptx_input.h"
#include "import/ptx_lines.h"
#include "import/text_input.h"
#include "tests/support/converter_fixture.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

using test::cp932;
using test::pointRecord;

// One scan: the ten header lines (identity rotation, the translation in line 10), then the
// point lines.
std::string ptx(const std::vector<std::string>& points, const std::string& line10 = "0 0 0 1",
                const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& l :
       {std::string("160"), std::string("120"), std::string("0 0 0"), std::string("1 0 0"),
        std::string("0 1 0"), std::string("0 0 1"), std::string("1 0 0 0"), std::string("0 1 0 0"),
        std::string("0 0 1 0"), line10})
    text += l + end;
  for (const std::string& l : points) text += l + end;
  return text;
}

std::vector<std::string> numbered(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(std::to_string(i) + " 0 0 0.5 0 0 1");
  return lines;
}

const char* kGroupStart =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n(terpri)\n";

// The flush of functions 1 to n, four lines each.
std::string flush(int n) {
  std::string text = "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n";
  for (int j = 1; j <= n; ++j) {
    const std::string js = std::to_string(j);
    text += "(ent_go" + js + ")\n(setq n nil)\n(foreach n enlist" + js + " (entmake n))\n" +
            "(setq enlist" + js + " nil)\n";
  }
  return text + "(gc)\n";
}

class PtxSubSampleTest : public test::ConverterTest {
 protected:
  PtxSubSampleTest() : ConverterTest("scan.ptx") {
    s.DrawUnit = "m";
    s.SubSampleStep = 1;
  }
  ConversionResult convert() {
    resetInput();
    s.DrawUnit = unit;
    return ConvertPtxSubSample(s, p);
  }
  // The records of the script, in order.
  std::string records() const {
    const std::string b = body();
    std::string out;
    for (auto at = b.find("'((("); at != std::string::npos; at = b.find("'(((", at + 1))
      out += b.substr(at, b.find("))) ", at) + 4 - at);
    return out;
  }
  std::string unit = "m";
  using End = ConversionResult::End;
};

// The examples of a point through the matrix, in metres and millimetres.
TEST_F(PtxSubSampleTest, PointsAreMovedByTheMatrixAndWrittenWithSevenDigits) {
  struct Case {
    std::string line10, unit, record;
  } cases[] = {
      {"0 0 0 1", "m", pointRecord("1.5", "2.5", "3.5", "16744448")},
      {"0 0 0 1", "mm", pointRecord("1500", "2500", "3500", "16744448")},
      {"10 20 30 1", "m", pointRecord("11.5", "22.5", "33.5", "16744448")},
      // From 10 km on the point is moved relative to the translation rounded to whole
      // kilometres (here -1235000 m in Z), and put back there exactly in decimal.
      {"0.1 0 -1234567 1", "m", pointRecord("1.6", "2.5", "-1234563.5", "16744448")},
      {"0.1 0 -1234567 1", "mm", pointRecord("1600", "2500", "-1234563500", "16744448")},
      {"35000 -120000.2422 45 1", "m", pointRecord("35001.5", "-119997.7422", "48.5", "16744448")},
      {"35000 -120000.2422 45 1", "mm",
       pointRecord("35001500", "-119997742.2", "48500", "16744448")},
  };
  for (const Case& c : cases) {
    input(ptx({"1.5 2.5 3.5 0.25 255 128 0"}, c.line10));
    unit = c.unit;
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, End::Finished);
    EXPECT_EQ(records(), c.record) << c.line10 << " " << c.unit;
  }
}

TEST_F(PtxSubSampleTest, OnePointWholeScriptLogAndWorkFile) {
  input(ptx({"1.5 2.5 3.5 0.25 255 128 0"}));
  const ConversionResult r = convert();
  EXPECT_EQ(r.pointsDrawn, 1);
  EXPECT_EQ(body(),
            cp932(std::string(kGroupStart) + "(defun Ent_GO1()\n(setq enlist1 nil)\n" +
                  "(setq enlist1 (append enlist1 " + pointRecord("1.5", "2.5", "3.5", "16744448") +
                  "))(princ))\n" + flush(1)));
  // The tail names the .ptx itself, with "/"; the work file is gone.
  EXPECT_EQ(s.InputPath, inputPath());
  EXPECT_NE(script().find("(princ \"" + (dir_.path / "data").string() + "/scan.ptx\")"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(data("scan.ptx.temp")));
  // The log keeps its head only, even after a complete run.
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル(PTX)\n実行日時 2026/12/08 9:05:01\n \n"
                         "実行種類 :　単純間引き\nデータ File名 :" +
                         inputPath() + "\n間引き値 : 1 \n指定描画レイヤー :0\n"));
  EXPECT_EQ(stages(),
            (std::vector<std::string>{
                "progress.stage:PTX ファイルデータを前処理しています。", "progress.unload",
                "progress.stage:ファイルデータを処理しています。", "progress.unload",
                "progress.stage:最終処理を行ってます", "progress.unload"}));
}

// The layout: 100 points a line, 200 lines a function, 10 functions a group.
TEST_F(PtxSubSampleTest, FunctionsAndGroupsOfTheScanLayout) {
  struct Case {
    int points, step, drawn;
    std::vector<std::string> parts;  // in this order in the body
  } cases[] = {
      {25, 3, 8, {pointRecord("3", "0", "0", "1"), pointRecord("24", "0", "0", "1")}},
      {20001,
       1,
       20001,
       {"(defun Ent_GO1()", pointRecord("20000", "0", "0", "1") + "))\r\n(princ))\r\n",
        "(defun Ent_GO2()", pointRecord("20001", "0", "0", "1") + "))(princ))\r\n",
        cp932(flush(2))}},
      {200001,
       1,
       200001,
       {"(defun Ent_GO10()", cp932("(princ))\n" + flush(10) + kGroupStart + "(defun Ent_GO1()"),
        pointRecord("200001", "0", "0", "1") + "))(princ))\r\n" + cp932(flush(1))}},
  };
  for (const Case& c : cases) {
    input(ptx(numbered(c.points)));
    s.SubSampleStep = static_cast<std::int16_t>(c.step);
    const ConversionResult r = convert();
    EXPECT_EQ(r.pointsDrawn, c.drawn);
    const std::string b = body();
    std::size_t at = 0;
    for (const std::string& part : c.parts) {
      at = b.find(part, at);
      ASSERT_NE(at, std::string::npos) << c.points << ": " << part;
    }
    // Every batch line but the last holds 100 records.
    const std::size_t firstLine = b.find("(setq enlist1 (append");
    const std::string line = b.substr(firstLine, b.find('\n', firstLine) - firstLine);
    std::size_t records = 0;
    for (auto i = line.find("'((("); i != std::string::npos; i = line.find("'(((", i + 1))
      ++records;
    EXPECT_EQ(records, std::min<std::size_t>(100, c.drawn)) << c.points;
  }
}

// Missing points are those whose x, y and z read as 0, whatever their text.
TEST_F(PtxSubSampleTest, MissingPointsAreLeftOut) {
  input(ptx({"0 0 0 0.5 0 0 0", "0.0 0.0 0.05 0.5 10 10 10", "0.000000 -0.0 0e0 0.5 1 1 1",
             "0.0 0.0 0.0 0.5 2 2 2", "0 0.000001 0 0.5 3 3 3", "+.0 0. 0.0E-3 0.5 4 4 4"},
            "10 20 30 1"));
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(records(),
            pointRecord("10", "20", "30.05", "657930") + pointRecord("10", "20", "30", "197379"));
}

// Lines 1 to 6 are copied whatever they hold; the points follow in file order.
TEST_F(PtxSubSampleTest, WorkFileDropsTheIntensityAndTheMissingPoints) {
  auto header = [](std::string text, const std::string& end) {
    text.replace(0, text.find("1 0 0" + end), "any text" + end + end + "scanner at 1 2" + end);
    return text;
  };
  input(header(ptx({"1.5 2.5 3.5 0.25 255 128 0", "0 0 0 0.5 0 0 0", "-1 2  3 0.5 4 5 6 7"},
                   "0 0 0 1", "\n"),
               "\n"));
  float last = 0;
  const PtxPrePass pre = CopyPtxPoints(inputPath(), inputPath() + ".temp", {window, ui, last});
  EXPECT_EQ(pre.status, CopyStatus::Done);
  EXPECT_EQ(pre.headerLines, 10);
  EXPECT_FALSE(pre.stoppedAt);
  EXPECT_EQ(test::readFileBytes(data("scan.ptx.temp")),
            header(ptx({"1.5 2.5 3.5 255 128 0", "-1 2  0.5 4 5 6 7"}), "\r\n"));
  EXPECT_EQ(pre.matrix(4, 3), 0.0f);
  EXPECT_EQ(pre.matrix(3, 3), 1.0f);
}

// The pre-pass's line scanner: the line ends of the line reader with any end, and the blanks of
// each line, whatever the buffer size cuts.
TEST_F(PtxSubSampleTest, LineScannerFindsLineEndsAndBlanksAcrossRefills) {
  const std::string longLine = std::string(40, 'x') + " " + std::string(30, 'y') + " 1 2 3 4 5 6";
  const struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"1 2 3 0.5 4 5 6\r\n0 0 0 0.5 0 0 0\r\n", {"1 2 3 0.5 4 5 6", "0 0 0 0.5 0 0 0"}},
      {"a b\nc  d\re f g h i j k l\r\n\n\r\nlast line",
       {"a b", "c  d", "e f g h i j k l", "", "", "last line"}},
      {"12345678901234 567890123456789 0 1\r\r\n", {"12345678901234 567890123456789 0 1", ""}},
      {longLine + "\r\n" + longLine, {longLine, longLine}},
  };
  for (const Case& c : cases) {
    input(c.bytes);
    for (std::size_t size : {1, 2, 3, 5, 16, 17, 31, 1 << 20}) {
      PtxLineScanner scanner(size);
      ASSERT_TRUE(scanner.open(inputPath()));
      std::vector<std::string> lines;
      std::string_view line;
      std::size_t at[PtxLineScanner::kBlanks], expected[PtxLineScanner::kBlanks];
      int blanks = 0;
      while (scanner.next(line, at, blanks) == io::ReadResult::Line) {
        lines.emplace_back(line);
        const int want = BlankPositions(line, PtxLineScanner::kBlanks, expected);
        ASSERT_EQ(blanks, want) << line << " buffer " << size;
        for (int i = 0; i < want; ++i) ASSERT_EQ(at[i], expected[i]) << line << " buffer " << size;
      }
      EXPECT_EQ(lines, c.lines) << "buffer " << size;
    }
  }
}

// Working the fraction out only from the first line count that can draw gives the very redraws
// of working it out at every line.
TEST_F(PtxSubSampleTest, LineProgressDrawsWhereTheFractionOfEveryLineWould) {
  for (const std::int64_t length : {1, 37, 1000, 4097, 123457, 98765432}) {
    std::vector<double> naive;
    float last = 0;
    const std::int64_t lines = length / 30 + 50;
    for (std::int64_t n = 1; n <= lines; ++n) {
      float f = static_cast<float>(static_cast<double>(n) * 37.0 / static_cast<double>(length));
      if (f >= 1.0f) f = 1.0f;
      if (f - last > 0.05f) {
        naive.push_back(f);
        last = f;
      }
    }
    window.bars.clear();
    float shownLast = 0;
    PtxLineProgress progress({window, ui, shownLast}, length);
    for (std::int64_t n = 1; n <= lines; ++n) progress.at(n);
    EXPECT_EQ(window.bars, naive) << length;
  }
}

TEST_F(PtxSubSampleTest, LfLineEndsDrawLikeCrLf) {
  const std::vector<std::string> points = {"1.5 2.5 3.5 0.25 255 128 0", "0 0 0 0.5 0 0 0",
                                           "-1 2 3 0.5 4 5 6"};
  input(ptx(points, "10 20 30 1", "\r\n"));
  convert();
  const std::string expected = script();
  input(ptx(points, "10 20 30 1", "\n"));
  const ConversionResult r = convert();
  EXPECT_EQ(r.pointsDrawn, 2);
  EXPECT_EQ(script(), expected);
}

// Files refused before anything is drawn: no script, no work file.
TEST_F(PtxSubSampleTest, RefusedFiles) {
  const std::string full = ptx({"1 2 3 0.5 4 5 6"});
  struct Case {
    std::string bytes;
    int step;
    NothingReason reason;
    std::int64_t count;  // lines found, or the bad matrix line
  } cases[] = {
      {full, 0, NothingReason::StepBelowOne, 0},
      {full, -3, NothingReason::StepBelowOne, 0},
      {"", 1, NothingReason::PtxShortHeader, 0},
      {full.substr(0, full.find("0 0 1 0")), 1, NothingReason::PtxShortHeader, 8},
      {ptx({"1 2 3 0.5 4 5 6"}, "25 10"), 1, NothingReason::PtxMatrixLine, 10},
      {ptx({}, "25 10 abc 1"), 1, NothingReason::PtxMatrixLine, 10},
  };
  for (const Case& c : cases) {
    input(c.bytes);
    s.SubSampleStep = static_cast<std::int16_t>(c.step);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, End::NothingDrawn);
    EXPECT_EQ(r.reason, c.reason) << c.count;
    if (c.reason == NothingReason::PtxShortHeader) {
      EXPECT_EQ(r.linesRead, c.count);
    }
    if (c.reason == NothingReason::PtxMatrixLine) {
      ASSERT_TRUE(r.badLine);
      EXPECT_EQ(r.badLine->number, c.count);
    }
    EXPECT_FALSE(fs::exists(app("ENT_GO.lsp")));
    EXPECT_FALSE(fs::exists(data("scan.ptx.temp")));
    EXPECT_FALSE(window.loaded);
    EXPECT_NE(log().find(cp932("指定描画レイヤー :0\n")), std::string::npos);
  }
}

// A line that is no point with colour, or a point that cannot be drawn, ends the points; the
// result names the line of the input (missing points counted).
TEST_F(PtxSubSampleTest, PointsThatEndEarly) {
  struct Case {
    std::vector<std::string> points;
    int step;
    End end;
    std::int64_t drawn, line;
    std::string text;
  } cases[] = {
      {{"1 2 3 0.5 4 5 6", "1 2 3 0.5", "1 2 3 0.5 4 5 6"},
       1,
       End::StoppedEarly,
       1,
       12,
       "1 2 3 0.5"},
      {{"1 2 3 0.5 4 5 6", "0 0 0 0.5 0 0 0", "", "1 2 3 0.5 4 5 6"},
       1,
       End::StoppedEarly,
       1,
       13,
       ""},
      {{"1 2 3 0.5 4 5 6", "160", "120", "0 0 0"}, 1, End::StoppedEarly, 1, 12, "160"},
      {{"1 2 3 0.5 4 5 6", "0 0 0 0.5 0 0 0", "1 x 3 0.5 4 5 6", "1 2 3 0.5 4 5 6"},
       1,
       End::StoppedEarly,
       1,
       13,
       "1 x 3 0.5 4 5 6"},
      {{"0 0 0 0.5 0 0 0", "1 2 3 0.5 4 5 z"}, 1, End::NothingDrawn, 0, 12, "1 2 3 0.5 4 5 z"},
      {{"1 2 3 0.5 4 5 6", "1 2 3 0.5 4 5 6"}, 3, End::NothingDrawn, 0, 0, ""},
      {{"0 0 0 0.5 0 0 0"}, 1, End::NothingDrawn, 0, 0, ""},
  };
  for (const Case& c : cases) {
    input(ptx(c.points));
    s.SubSampleStep = static_cast<std::int16_t>(c.step);
    const ConversionResult r = convert();
    EXPECT_EQ(r.end, c.end) << c.line;
    EXPECT_EQ(r.pointsDrawn, c.drawn) << c.line;
    if (c.line != 0) {
      ASSERT_TRUE(r.badLine) << c.line;
      EXPECT_EQ(r.badLine->number, c.line);
      EXPECT_EQ(r.badLine->start, c.text);
      EXPECT_EQ(r.badLine->format, LineFormat::PtxPoint);
    } else {
      EXPECT_FALSE(r.badLine);
      EXPECT_EQ(r.reason,
                c.step == 3 ? NothingReason::StepBeyondPoints : NothingReason::EmptyInput);
    }
    EXPECT_FALSE(fs::exists(data("scan.ptx.temp")));
  }
}

TEST_F(PtxSubSampleTest, HeaderOnlyWritesNoFunction) {
  input(ptx({}));
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::NothingDrawn);
  EXPECT_EQ(r.reason, NothingReason::EmptyInput);
  EXPECT_EQ(body(), "");
}

// The coordinates of the points drawn, in order.
std::vector<std::array<double, 3>> drawnPoints(const std::string& records) {
  std::vector<std::array<double, 3>> points;
  for (auto at = records.find("(10 "); at != std::string::npos; at = records.find("(10 ", at + 1)) {
    std::array<double, 3> p{};
    std::sscanf(records.c_str() + at, "(10 %lf %lf %lf)", &p[0], &p[1], &p[2]);
    points.push_back(p);
  }
  return points;
}

// A registered scan at survey coordinates keeps its shape: the sample with the translation
// (35000, -120000, 45) m draws each point where the sample without a translation draws it, plus
// the translation, within 0.1 mm, in metres and in millimetres.
TEST_F(PtxSubSampleTest, SampleScanAtSurveyCoordinatesKeepsItsShape) {
  std::string sample =
      test::readFileBytes(fs::path(HARLOWE_SOURCE_DIR) / "data" / "table_mug_stereo_rz30_crlf.ptx");
  std::size_t line10 = 0;
  for (int i = 0; i < 9; ++i) line10 = sample.find("\r\n", line10) + 2;
  const std::size_t line10End = sample.find("\r\n", line10);
  auto translated = [&](const std::string& row) {
    return sample.substr(0, line10) + row + sample.substr(line10End);
  };
  const double translation[3] = {35000, -120000, 45};
  for (const char* u : {"m", "mm"}) {
    unit = u;
    const double scale = unit == "mm" ? 1000 : 1;
    input(translated("0 0 0 1"));
    convert();
    const auto near = drawnPoints(records());
    input(translated("35000 -120000 45 1"));
    convert();
    const auto far = drawnPoints(records());
    ASSERT_EQ(near.size(), 13085u);
    ASSERT_EQ(far.size(), near.size());
    for (std::size_t i = 0; i < far.size(); ++i) {
      for (int a = 0; a < 3; ++a) {
        ASSERT_NEAR(far[i][a], near[i][a] + translation[a] * scale, 1e-4 * scale)
            << unit << ", point " << i + 1 << ", axis " << a;
      }
    }
  }
}

// The sample scan drawn point for point as CloudCompare read it: the same points in the same
// order, within the precision of 7 significant digits of 32-bit arithmetic, and the same colours.
TEST_F(PtxSubSampleTest, SampleScanMatchesCloudComparesReading) {
  const fs::path dir = fs::path(HARLOWE_SOURCE_DIR) / "data";
  input(test::readFileBytes(dir / "table_mug_stereo_rz30_crlf.ptx"));
  const ConversionResult r = convert();
  EXPECT_EQ(r.end, End::Finished);
  EXPECT_EQ(r.pointsDrawn, 13085);

  std::istringstream expected(
      test::readFileBytes(dir / "table_mug_stereo_rz30_ptx_cc_readback_space_lf.txt"));
  const std::string drawn = records();
  std::size_t at = 0, compared = 0;
  double worst = 0;
  double x, y, z;
  long red, green, blue;
  while (expected >> x >> y >> z >> red >> green >> blue) {
    at = drawn.find("(10 ", at);
    ASSERT_NE(at, std::string::npos) << "drawn ends after " << compared << " points";
    double dx, dy, dz;
    long colour;
    ASSERT_EQ(std::sscanf(drawn.c_str() + at, "(10 %lf %lf %lf)(420 . %ld", &dx, &dy, &dz, &colour),
              4);
    for (const auto& [got, want] : {std::pair{dx, x}, std::pair{dy, y}, std::pair{dz, z}}) {
      // 7 significant digits of a float, against a reference with 6 decimals.
      const double allowed = 6e-7 * std::fabs(want) + 5e-7;
      worst = std::max(worst, std::fabs(got - want) / allowed);
      ASSERT_LE(std::fabs(got - want), allowed) << "point " << compared + 1;
    }
    ASSERT_EQ(colour, red * 65536 + green * 256 + blue) << "point " << compared + 1;
    ++at;
    ++compared;
  }
  EXPECT_EQ(compared, 13085u);
  EXPECT_EQ(drawn.find("(10 ", at), std::string::npos);
  std::printf("largest difference: %.2f of the allowed\n", worst);
}

}  // namespace
}  // namespace harlowe
