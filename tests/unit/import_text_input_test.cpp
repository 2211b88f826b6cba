// The normalised copy of text input (alone, and through the three text converters), the
// point-line parsers, the unit scaling and the point helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/number_text.h"
#include "import/converters/txt_full_interval.h"
#include "import/converters/txt_quick_interval.h"
#include "import/converters/txt_subsample.h"
#include "import/point_helpers.h"
#include "import/text_input.h"
#include "tests/support/decimal_texts.h"
#include "tests/support/fake_platform.h"
#include "tests/support/interval_fixture.h"
#include "tests/support/test_files.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

struct TempDir : test::TempDir {
  TempDir() : test::TempDir("harlowe_text_") {}
};

std::string readBytes(const std::string& winPath) {
  std::ifstream in(io::toFsPath(winPath), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeBytes(const std::string& winPath, const std::string& bytes) {
  std::ofstream(io::toFsPath(winPath), std::ios::binary) << bytes;
}

// A copy run against the recording progress window.
struct CopyRun {
  test::EventLog log;
  test::FakeUi ui{log};
  test::FakeProgressWindow window{log};
  double lastDrawn = 0;
  TempDir dir;
  std::string in = dir.file("in.txt"), out = dir.file("in.txt.dosasc");
  CopyProgress progress() { return {window, ui, lastDrawn}; }
  std::vector<std::string> percents() const {
    std::vector<std::string> p;
    for (const auto& e : log)
      if (e.rfind("progress.percent:", 0) == 0) p.push_back(e.substr(17));
    return p;
  }
};

TEST(Prescan, LooksForCrLfInTheFirstTenThousandBytes) {
  TempDir dir;
  const std::string f = dir.file("a.txt");
  writeBytes(f, "1 2 3 4 5 6\n7 8 9 1 2 3\n");
  EXPECT_EQ(PrescanLineEnds(f), false);
  writeBytes(f, "1\t2\t3\t4\t5\t6\r\n");
  EXPECT_EQ(PrescanLineEnds(f), true);
  writeBytes(f, "");
  EXPECT_EQ(PrescanLineEnds(f), false);
  writeBytes(f, std::string(9999, 'x') + "\r\n");  // the LF is byte 10,001
  EXPECT_EQ(PrescanLineEnds(f), false);
  writeBytes(f, std::string(9998, 'x') + "\r\n");
  EXPECT_EQ(PrescanLineEnds(f), true);
  EXPECT_EQ(PrescanLineEnds(dir.file("missing.txt")), std::nullopt);
}

// Both copies end every line with CR LF, whichever line end it had, and leave out a UTF-8
// byte-order mark before the first line; the line copy turns TABs into blanks and ends the last
// line too, the chunk copy keeps every other byte.
TEST(Copies, EveryLineEndBecomesCrLf) {
  struct Case {
    std::string input, byLines, byChunks;
  } cases[] = {
      {"1.5\t2\t3\t255\t128\t0\r\n4\t\t5\t6\t7\t8\t9\r10\t11\n12\t13",
       "1.5 2 3 255 128 0\r\n4  5 6 7 8 9\r\n10 11\r\n12 13\r\n",
       "1.5 2 3 255 128 0\r\n4  5 6 7 8 9\r\n10 11\r\n12 13"},
      {"1 2\n3 4\r\n\r\n5\r6\n", "1 2\r\n3 4\r\n\r\n5\r\n6\r\n", "1 2\r\n3 4\r\n\r\n5\r\n6\r\n"},
      {"a\r\r\nb\n\rc\r", "a\r\n\r\nb\r\n\r\nc\r\n", "a\r\n\r\nb\r\n\r\nc\r\n"},
      {"\xEF\xBB\xBF"
       "1 2\r\n\xEF\xBB\xBF",
       "1 2\r\n\xEF\xBB\xBF\r\n", "1 2\r\n\xEF\xBB\xBF"},
      {"\xEF\xBB\xBF", "", ""},
      {"\xEF\xBB", "\xEF\xBB\r\n", "\xEF\xBB"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    CopyRun r;
    writeBytes(r.in, c.input);
    EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::Done);
    EXPECT_EQ(readBytes(r.out), c.byLines) << testing::PrintToString(c.input);
    EXPECT_EQ(CopyByChunks(r.in, r.out, r.progress(), true), CopyStatus::Done);
    EXPECT_EQ(readBytes(r.out), c.byChunks) << testing::PrintToString(c.input);
  }
  // A CR as the last byte of a block, then an LF or another byte as the first of the next (the
  // line copy reads blocks of 1 MB, the chunk copy of 1,280,000 bytes).
  for (std::size_t block : {std::size_t{1} << 20, std::size_t{1'280'000}}) {
    for (const char* tail : {"\r\nb\n", "\rb\n"}) {
      CopyRun r;
      const std::string head(block - 1, 'x');
      writeBytes(r.in, head + tail);
      EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::Done);
      EXPECT_EQ(readBytes(r.out), head + "\r\nb\r\n");
      EXPECT_EQ(CopyByChunks(r.in, r.out, r.progress(), true), CopyStatus::Done);
      EXPECT_EQ(readBytes(r.out), head + "\r\nb\r\n");
    }
  }
}

// One text in the forms that other systems write or that joining files makes converts, through
// each of the three text converters, exactly as its clean form (LF and blanks) does: the same
// script and the same log.
class TextFormsTest : public test::IntervalConverterTest {};

TEST_F(TextFormsTest, EveryFormConvertsAsTheCleanOne) {
  // Ten lines in three clusters along X.
  const char* xs[] = {"0", "0.05", "0.08", "0.5", "0.52", "0.55", "1", "1.02", "1.05", "1.09"};
  auto write = [&xs](const char* separator, auto endOf) {
    std::string text;
    for (int i = 0; i < 10; ++i) {
      for (std::string f : {std::string(xs[i]), std::string("-12.5"), std::string("2"),
                            std::string("255"), std::string("0")})
        text += f + separator;
      text += std::to_string(i + 1) + endOf(i);
    }
    return text;
  };
  auto all = [](const char* end) { return [end](int) { return end; }; };
  const std::string bom = "\xEF\xBB\xBF";
  const std::pair<const char*, std::string> forms[] = {
      {"LF, blanks", write(" ", all("\n"))},
      {"CR LF, TABs", write("\t", all("\r\n"))},
      {"CR LF, blanks", write(" ", all("\r\n"))},
      {"LF, TABs", write("\t", all("\n"))},
      // Two exports joined: lines 3 to 5 of a CR LF file end in LF only.
      {"CR LF with lines 3 to 5 in LF, TABs",
       write("\t", [](int i) { return i >= 2 && i <= 4 ? "\n" : "\r\n"; })},
      {"LF with one CR LF line, blanks", write(" ", [](int i) { return i == 1 ? "\r\n" : "\n"; })},
      {"lone CR, blanks", write(" ", all("\r"))},
      {"LF and lone CR mixed, blanks", write(" ", [](int i) { return i % 2 ? "\r" : "\n"; })},
      {"byte-order mark, CR LF, TABs", bom + write("\t", all("\r\n"))},
      {"byte-order mark, LF, no end after the last line",
       bom + write(" ", [](int i) { return i == 9 ? "" : "\n"; })},
  };
  struct Converter {
    const char* name;
    ConversionResult (*convert)(RunSettings&, Platform&);
    std::int16_t quick;
    float interval;
    std::int64_t points;
    std::string logCounts;
  } converters[] = {
      {"every 2nd", ConvertTxtSubSample, 0, 0, 5, "  総点数 : 10\n描画点数 : 5\n"},
      {"quick", ConvertTxtQuickInterval, 1, 100, 2, ""},
      {"full", ConvertTxtFullInterval, 0, 100, 3, "総点群数 : 10\n描画点群数 : 3\n"},
  };
  for (const Converter& c : converters) {
    std::string clean, cleanLog;
    for (const auto& [name, bytes] : forms) {
      s.DrawUnit = "m";
      s.SubSampleStep = 2;
      s.QuickInterval = c.quick;
      s.ThinningInterval = c.interval;
      input(bytes);
      const ConversionResult r = c.convert(s, p);
      EXPECT_EQ(r.end, End::Finished) << c.name << ": " << name;
      EXPECT_EQ(r.pointsDrawn, c.points) << c.name << ": " << name;
      if (clean.empty()) {
        clean = script();
        cleanLog = log();
        EXPECT_NE(cleanLog.find(test::cp932(c.logCounts)), std::string::npos) << c.name;
      }
      EXPECT_EQ(script(), clean) << c.name << ": " << name;
      EXPECT_EQ(log(), cleanLog) << c.name << ": " << name;
      EXPECT_TRUE(workFiles().empty()) << c.name << ": " << name;
    }
  }
}

TEST(CopyByLines, LinesWithoutATabAreCopiedAsTheyAre) {
  CopyRun r;  // blanks as separators, and an empty line among the points
  writeBytes(r.in, "1 2 3 4 5 6\r\n7\t8\r\n\r\n5 6\r\n");
  EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::Done);
  EXPECT_EQ(readBytes(r.out), "1 2 3 4 5 6\r\n7 8\r\n\r\n5 6\r\n");
}

TEST(CopyByLines, ProgressAssumes35BytesPerLineAndStopsAtOne) {
  CopyRun r;
  std::string text;
  for (int i = 0; i < 20; ++i) text += "1\t2\t3\t4\t5\t6\r\n";  // 13 bytes a line, 260 in all
  writeBytes(r.in, text);
  EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::Done);
  // 35/260 = 0.1346 after line 1; 3 lines 0.4038; 5 lines 0.673; 7 lines 0.942; 8 lines 1.077.
  EXPECT_EQ(r.percents(),
            (std::vector<std::string>{"13% 終了", "27% 終了", "40% 終了", "54% 終了", "67% 終了",
                                      "81% 終了", "94% 終了", "108% 終了"}));
  EXPECT_GE(r.lastDrawn, 1.0);
}

TEST(CopyByLines, HonoursTheLineLimit) {
  CopyRun r;
  writeBytes(r.in, "1\t2\r\n3\t4\r\n5\t6\r\n");
  EXPECT_EQ(CopyByLines(r.in, r.out, r.progress(), 2), CopyStatus::Done);
  EXPECT_EQ(readBytes(r.out), "1 2\r\n3 4\r\n");
}

TEST(CopyByLines, ReportsAMissingInputAndAnUnwritableCopy) {
  CopyRun r;
  EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::InputFailed);
  writeBytes(r.in, "1\t2\r\n");
  EXPECT_EQ(CopyByLines(r.in, r.dir.file("no\\such\\dir"), r.progress()), CopyStatus::OutputFailed);
}

TEST(CopyByChunks, LongLinesAndChunkBoundariesArriveWhole) {
  CopyRun r;
  // 2,000,000 bytes: many blocks, a line of 15,000 bytes across chunk and block boundaries, an
  // LF exactly at a chunk's last byte, and a last chunk shorter than the others.
  std::string text(9999, 'a');
  text += '\n';
  text += std::string(15000, 'b') + "\n";
  while (text.size() < 2'000'000) text += "1.25 2.5 -3 255 0 12\n";
  text += "tail";
  writeBytes(r.in, text);
  EXPECT_EQ(CopyByChunks(r.in, r.out, r.progress(), true), CopyStatus::Done);
  std::string expected;
  for (char c : text) {
    if (c == '\n') expected += '\r';
    expected += c;
  }
  EXPECT_EQ(readBytes(r.out), expected);
}

TEST(CopyByChunks, ProgressCountsChunksWithOrWithoutTheCap) {
  CopyRun r;
  writeBytes(r.in, std::string(25000, 'x'));  // chunks at 0.4, 0.8 and 1.2
  EXPECT_EQ(CopyByChunks(r.in, r.out, r.progress(), false), CopyStatus::Done);
  EXPECT_EQ(r.percents(), (std::vector<std::string>{"40% 終了", "80% 終了", "120% 終了"}));

  CopyRun c;
  writeBytes(c.in, std::string(25000, 'x'));
  EXPECT_EQ(CopyByChunks(c.in, c.out, c.progress(), true), CopyStatus::Done);
  EXPECT_EQ(c.percents(), (std::vector<std::string>{"40% 終了", "80% 終了", "100% 終了"}));
  EXPECT_EQ(readBytes(c.out), std::string(25000, 'x'));
}

TEST(ParsePointStrict, CutsAtSingleBlanks) {
  ParsedPoint p;
  ASSERT_TRUE(ParsePointStrict("1.5 -2 3e2 255 128 0", 6, p));
  EXPECT_EQ(p.x, "1.5");
  EXPECT_EQ(p.y, "-2");
  EXPECT_EQ(p.z, "3e2");
  EXPECT_EQ(p.colourText(), "255 128 0");

  ASSERT_TRUE(ParsePointStrict("1 2 3 4 5 6 ", 6, p));  // B keeps the trailing blank
  EXPECT_EQ(p.b, "6 ");
  ASSERT_TRUE(ParsePointStrict("1 2 3 4 5 6 7", 6, p));  // and a seventh column
  EXPECT_EQ(p.b, "6 7");
  ASSERT_TRUE(ParsePointStrict("1  2 3 4 5", 6, p));  // a doubled blank moves the fields on
  EXPECT_EQ(p.y, "");
  EXPECT_EQ(p.z, "2");
  EXPECT_EQ(p.colourText(), "3 4 5");

  EXPECT_FALSE(ParsePointStrict("1 2 3 4 5", 6, p));  // five fields: no blank after G
  EXPECT_FALSE(ParsePointStrict("", 6, p));
  ASSERT_TRUE(ParsePointStrict("1 2 3 x", 3, p));  // three fields: the rest is not examined
  EXPECT_EQ(p.z, "3");
  EXPECT_FALSE(ParsePointStrict("1 2 3", 3, p));
}

TEST(ParsePointLenient, DropsLimitedRunsOfBlanks) {
  ParsedPoint p;
  ASSERT_TRUE(ParsePointLenient("1    2 3         4      5      6 ", p));
  EXPECT_EQ(p.x, "1");
  EXPECT_EQ(p.y, "2");
  EXPECT_EQ(p.z, "3");
  EXPECT_EQ(p.colourText(), "4 5 6");

  ASSERT_TRUE(ParsePointLenient("1     2 3 4 5 6", p));  // five blanks after X: Y is empty
  EXPECT_EQ(p.y, "");
  EXPECT_EQ(p.z, "2");
  EXPECT_EQ(p.colourText(), "3 4 5 6");

  ASSERT_TRUE(ParsePointLenient("1 2 3 4 5 6 7  ", p));  // only one trailing blank goes
  EXPECT_EQ(p.b, "6 7 ");
  EXPECT_FALSE(ParsePointLenient("1 2 3 4 5", p));
}

// In millimetres the decimal point moves three places: every digit of the text stays, no other
// digit comes in, and no exponent.
TEST(ScaleCoordinateText, MillimetresMoveTheDecimalPoint) {
  std::string out;
  const std::pair<const char*, const char*> cases[] = {
      {"1.5", "1500"},
      {"12.3456", "12345.6"},
      {"-35.12345", "-35123.45"},
      {"-0.0856", "-85.6"},  // no noise digits of a float (-85.60001)
      {"0.1234", "123.4"},
      {"12", "12000"},
      {"1.5e-3", "1.5"},
      {"+7.5E+2", "750000"},
      {"1d3", "1000000"},
      {"5.", "5000"},
      {".5", "500"},
      {"0.0000123", "0.0123"},
      {"0", "0"},
      {"-0.0000", "0"},
      {"1e-50", "0"},  // below the float range: 0, as the thinnings read it
      // Survey coordinates, and values from 10 km up: plain decimals with every digit.
      {"-35100.6278", "-35100627.8"},
      {"120470.9565", "120470956.5"},
      {"1234.5678", "1234567.8"},
      {"12345.678", "12345678"},
      {"9999.9999", "9999999.9"},
      {"1234567", "1234567000"},  // 7 digits
      {"-120456.789", "-120456789"},
      {"120456.78912", "120456789.12"},  // 11 digits
      {"3.4e35", "340000000000000000000000000000000000000"},
  };
  for (const auto& [in, expected] : cases) {
    ASSERT_TRUE(ScaleCoordinateText(in, "mm", out)) << in;
    EXPECT_EQ(out, expected) << in;
  }
  for (const char* bad : {"", "abc", "1e37", "1e39", "nan", "1 2", "1e"})
    EXPECT_FALSE(ScaleCoordinateText(bad, "mm", out)) << bad;  // 1e37 m: 1E+40 mm overflows a float
}

// Outside millimetres a coordinate goes into the script as it stands, so it must be a finite
// number to the CAD: anything else would be a symbol, an empty place (moving the point) or the
// dot of a dotted pair.
TEST(ScaleCoordinateText, OtherUnitsPassNumbersUnchangedButNothingElse) {
  std::string out;
  for (const char* unit : {"m", "", "MM"}) {
    for (const char* number : {"-12.500E+3", "5.", ".5", "+7", "0", "1e308", "-1E-400"}) {
      ASSERT_TRUE(ScaleCoordinateText(number, unit, out)) << number;
      EXPECT_EQ(out, number);
    }
    for (const char* bad : {"", ".", "-.", "1-2", "1e", "e5", "1.2.3", "1e309", "-1e400",
                            "1)(command", "1\t2", "nan", "inf", "1,5"})
      EXPECT_FALSE(ScaleCoordinateText(bad, unit, out)) << unit << " " << bad;
  }
  EXPECT_FALSE(ScaleCoordinateText(std::string(320, '9'), "m", out));
  EXPECT_TRUE(ScaleCoordinateText(std::string(300, '9'), "m", out));
}

TEST(PackTrueColor, PacksRoundedDownFieldsFromZeroTo255) {
  std::string out;
  const std::pair<const char*, const char*> cases[] = {
      {"255 128 0", "16744448"}, {"0 0 0", "0"},       {"0 0 255", "255"},
      {"12.7 0 0", "786432"},    {"1 2 3 ", "66051"},  {"152 150 128", "10000000"},
      {"255.9 0 0", "16711680"}, {"007 0 0", "458752"}};
  for (const auto& [in, expected] : cases) {
    ASSERT_TRUE(PackTrueColor(in, out)) << in;
    EXPECT_EQ(out, expected) << in;
  }
  // A value outside 0 to 255 would pack into a colour the CAD refuses, or into another field.
  for (const char* bad : {"1 2", "1 2 3 4", "1  2 3", "a 2 3", "1 2 ", "", "256 0 0", "0 300 0",
                          "-1 0 0", "0 0 -0.5", "1e300 0 0", "0 1e308 0", "0 0 nan", "0 0 1000"})
    EXPECT_FALSE(PackTrueColor(bad, out)) << bad;
}

TEST(PointHelpers, DistanceAndPtxTransform) {
  EXPECT_EQ(PointDistance(3, 4, 0), 5.0f);
  EXPECT_EQ(PointDistance(0, 0, 0), 0.0f);
  EXPECT_EQ(PointDistance(1, 1, 1), static_cast<float>(std::sqrt(3.0)));

  PtxMatrix m;
  m(1, 1) = m(2, 2) = m(3, 3) = 1;
  m(4, 1) = 10, m(4, 2) = 20, m(4, 3) = 30;
  const PtxPoint p = TransformPtxPoint(m, 1, 2, 3);
  EXPECT_EQ(p.x, 11.0f);
  EXPECT_EQ(p.y, 22.0f);
  EXPECT_EQ(p.z, 33.0f);

  // Each partial sum is a single: 2^24 + 1 rounds back to 2^24 twice over, where a double
  // sum would give 2^24 + 2.
  PtxMatrix s;
  s(1, 1) = s(2, 1) = s(3, 1) = 1;
  EXPECT_EQ(TransformPtxPoint(s, 16777216.0f, 1, 1).x, 16777216.0f);
}

// ---- The fast roads of the drawing loop against plain restatements of the rules, over many
// random lines and values: the scanning eight bytes at a time, the digit-only colour fields and
// the millimetre texts must give exactly what the rules give.

// The strict cuts done the slow way: the text before the first blank, then the rest.
bool referenceStrict(std::string_view line, int fields, std::vector<std::string_view>& out) {
  out.clear();
  for (int i = 0; i < (fields == 3 ? 3 : 5); ++i) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) return false;
    out.push_back(line.substr(0, blank));
    line.remove_prefix(blank + 1);
  }
  if (fields == 6) out.push_back(line);
  return true;
}

TEST(ParsePointStrict, AgreesWithPlainCutsOnRandomLines) {
  std::mt19937 rng(42);
  // Blanks often, and the bytes next to them in value ("!" is blank + 1, "\x1f" blank - 1),
  // bytes with the top bit set (Shift-JIS), TABs and NULs.
  const std::string alphabet = std::string(" ! \x1f\xa0\xe0\t1-.9E") + '\0';
  std::vector<std::string_view> expected;
  for (int i = 0; i < 200'000; ++i) {
    std::string line(rng() % 48, ' ');
    for (char& c : line) c = alphabet[rng() % alphabet.size()];
    for (int fields : {3, 6}) {
      ParsedPoint p;
      const bool ok = ParsePointStrict(line, fields, p);
      ASSERT_EQ(ok, referenceStrict(line, fields, expected)) << line;
      if (!ok) continue;
      const std::vector<std::string_view> got = {p.x, p.y, p.z, p.r, p.g, p.b};
      for (std::size_t f = 0; f < expected.size(); ++f) ASSERT_EQ(got[f], expected[f]) << line;
    }
  }
}

// Every digit text of up to four digits, leading zeros included, read by the plain-digit road
// and (behind a blank) by the general reader: both take exactly the values up to 255.
TEST(PackTrueColor, DigitFieldsGiveTheSameTextAsTheGeneralReading) {
  std::string plain, general;
  for (int length = 1; length <= 4; ++length) {
    int limit = 1;
    for (int i = 0; i < length; ++i) limit *= 10;
    for (int v = 0; v < limit; ++v) {
      std::string t = std::to_string(v);
      t.insert(0, static_cast<std::size_t>(length) - t.size(), '0');
      const bool taken = PackTrueColorFields("0", t, "1", plain);
      ASSERT_EQ(taken, v <= 255) << t;
      ASSERT_EQ(PackTrueColorFields("0", " " + t, "1", general), taken) << t;
      if (taken) {
        ASSERT_EQ(plain, std::to_string(v * 256 + 1)) << t;
        ASSERT_EQ(general, plain) << t;
      }
    }
  }
}

// Random coordinates of up to 18 digits in millimetres: the decimal point moves three places.
TEST(ScaleCoordinateText, MillimetresMoveThePointOfRandomCoordinates) {
  std::mt19937_64 rng(11);
  std::string out;
  for (int i = 0; i < 200'000; ++i) {
    std::string text = std::to_string(rng() % 1'000'000'000'000'000'000ull >> rng() % 60);
    const std::size_t decimals = rng() % 12;
    if (decimals) {
      text.insert(0, decimals + 1 - std::min(text.size(), decimals + 1), '0');
      text.insert(text.size() - decimals, 1, '.');
    }
    if (rng() % 2) text.insert(0, 1, '-');
    ASSERT_TRUE(ScaleCoordinateText(text, "mm", out)) << text;
    ASSERT_EQ(out, test::millimetreText(text)) << text;
  }
}

TEST(CopyByLines, LinesLongerThanTheWriteBlockArriveWhole) {
  CopyRun r;
  std::string longLine(3'000'000, '7');
  for (std::size_t i = 5; i < longLine.size(); i += 1'000) longLine[i] = '\t';
  writeBytes(r.in, "1\t2\r\n" + longLine + "\r\n3\t4");
  EXPECT_EQ(CopyByLines(r.in, r.out, r.progress()), CopyStatus::Done);
  std::string expected = longLine;
  std::replace(expected.begin(), expected.end(), '\t', ' ');
  EXPECT_EQ(readBytes(r.out), "1 2\r\n" + expected + "\r\n3 4\r\n");
}

// The one-pass reading of the usual form gives what cutting the fields and reading each one as a
// number gives, on random lines of digits, signs, points, exponents, blanks and TABs.
TEST(ReadCoordinates, AgreesWithCuttingAndReadingEachField) {
  std::mt19937_64 rng(7);
  const std::string alphabet = "0123456789012345678901234567890123456789-+..  e\tE";
  for (int i = 0; i < 300'000; ++i) {
    std::string line(rng() % 40, ' ');
    for (char& c : line) c = alphabet[rng() % alphabet.size()];
    std::optional<LineProblem> expected;
    std::array<float, 3> want{};
    ParsedPoint cut;
    if (!ParsePointStrict(line, 3, cut)) {
      expected = LineProblem::TooFewFields;
    } else {
      const std::string_view fields[3] = {cut.x, cut.y, cut.z};
      for (int f = 0; f < 3 && !expected; ++f) {
        const auto v = text::parseNumber(fields[f]);
        want[f] = v ? static_cast<float>(*v) : 0;
        if (!v || !std::isfinite(want[f])) expected = LineProblem::NotANumber;
      }
    }
    std::array<float, 3> got{};
    LineProblem problem{};
    const bool ok = ReadCoordinates(line, got, problem);
    ASSERT_EQ(ok, !expected) << line;
    if (ok) {
      ASSERT_EQ(got, want) << line;
    } else {
      ASSERT_EQ(problem, *expected) << line;
    }
    // With a unit, a coordinate that the drawing's scaling would not take is no number either.
    for (const char* unit : {"m", "mm"}) {
      bool drawable = ok;
      std::string scaled;
      for (std::string_view f : {cut.x, cut.y, cut.z})
        drawable = drawable && ScaleCoordinateText(f, unit, scaled);
      ASSERT_EQ(ReadCoordinates(line, unit, got, problem), drawable) << unit << " " << line;
      if (!drawable) {
        ASSERT_EQ(problem, expected.value_or(LineProblem::NotANumber)) << line;
      }
    }
  }
}

// Plain decimals become the float of their correctly rounded double, also the decimals of up to
// 15 digits closest to the half-way points between two floats, where a shortcut would slip.
TEST(CoordinateFloat, PlainDecimalsGiveTheFloatOfTheirNearestDouble) {
  std::mt19937_64 rng(5);
  char text[40];
  float got = 0;
  for (int i = 0; i < 400'000; ++i) {
    if (i % 2 == 0) {
      const int digits = 1 + static_cast<int>(rng() % 15);
      std::uint64_t v = rng() % 1'000'000'000'000'000ull;
      for (int d = digits; d < 15; ++d) v /= 10;
      std::snprintf(text, sizeof text, "%s%llu", rng() % 2 ? "-" : "",
                    static_cast<unsigned long long>(v));
      const std::size_t at = std::strlen(text) - rng() % (std::strlen(text) + 1 - (text[0] == '-'));
      std::memmove(text + at + 1, text + at, std::strlen(text) - at + 1);
      text[at] = '.';
    } else {
      const float f = std::ldexp(static_cast<float>(1 + rng() % (1u << 23)), -23) *
                      static_cast<float>(1u << (rng() % 20));
      const double half = (static_cast<double>(f) + std::nextafter(f, 2e9f)) / 2;
      const int whole = half < 1 ? 1 : static_cast<int>(std::floor(std::log10(half))) + 1;
      std::snprintf(text, sizeof text, "%.*f", 15 - whole, half);
    }
    const float want = static_cast<float>(std::strtod(text, nullptr));
    ASSERT_TRUE(CoordinateFloat(text, got)) << text;
    ASSERT_EQ(got, want) << text;
  }
}

}  // namespace
}  // namespace harlowe
