#pragma once
// The fixture of the equal-interval converter tests: the converter fixture with an input that
// every write makes the run's input again, the files left beside it, and the opening and flush
// texts of a script with one function.
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "import/conversion_result.h"
#include "tests/support/converter_fixture.h"
#include "tests/support/decimal_texts.h"

namespace harlowe::test {

// The group start message and the opening of the first function and its first batch line.
inline const char* kFirstBatchStart =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")\n"
    "(terpri)\n"
    "(defun Ent_GO1()\n"
    "(setq enlist1 nil)\n"
    "(setq enlist1 (append enlist1 ";

// The flush of a group of one function.
inline const char* kFlushOfOne =
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")\n(terpri)\n"
    "(ent_go1)\n(setq n nil)\n(foreach n enlist1 (entmake n))\n(setq enlist1 nil)\n"
    "(setq ent_go1 nil)\n(gc)\n";

// The records of a script body: X, Y, Z and the colour texts of each POINT, in order.
inline std::vector<std::array<std::string, 4>> drawnRecords(const std::string& body) {
  std::vector<std::array<std::string, 4>> records;
  const std::string start = "(10 ";
  for (auto at = body.find(start); at != std::string::npos; at = body.find(start, at + 1)) {
    std::array<std::string, 4> r;
    std::size_t from = at + start.size();
    for (int f = 0; f < 4; ++f) {
      const std::size_t end = body.find_first_of(" )", from);
      r[static_cast<std::size_t>(f)] = body.substr(from, end - from);
      from = end + (f == 2 ? 8 : 1);  // after Z comes ")(420 . "
    }
    records.push_back(r);
  }
  return records;
}

class IntervalConverterTest : public ConverterTest {
 protected:
  IntervalConverterTest() : ConverterTest("scan.txt") { s.DrawUnit = "m"; }

  // Writes the input and makes it the run's input again (the full converter moves InputPath).
  void input(const std::string& bytes) {
    ConverterTest::input(bytes);
    resetInput();
  }
  // The files beside the input, other than the input and the log.
  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(data(""))) {
      const std::string name = e.path().filename().string();
      if (name != inputName_ && name != "QMR_実行.log") names.push_back(name);
    }
    return names;
  }
  // What the progress window was asked to do when: shown, given a stage text, unloaded.
  std::vector<std::string> windowSteps() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("progress.stage:", 0) == 0 || e == "progress.unload" || e == "progress.show")
        out.push_back(e);
    return out;
  }
  using End = ConversionResult::End;

  // The real sample of data/ moved by whole metres, as a survey export of the same scan at site
  // coordinates would hold it.
  static std::string movedSample(std::int64_t dx, std::int64_t dy, std::int64_t dz) {
    std::istringstream lines(readFileBytes(std::filesystem::path(HARLOWE_SOURCE_DIR) / "data" /
                                           "table_mug_stereo_cc_space_lf.txt"));
    std::string moved, x, y, z, colour;
    while (lines >> x >> y >> z && std::getline(lines, colour))
      moved += movedText(x, dx) + " " + movedText(y, dy) + " " + movedText(z, dz) + colour + "\n";
    return moved;
  }

  // The sample drawn at each interval, and the sample moved by (-35000, 120000, 0) m in metres
  // and in millimetres: the moved runs must draw the points of the unmoved run, each at its
  // moved coordinates, exactly.
  template <class Convert>
  void expectSameThinningOfTheMovedSample(Convert convert) {
    const std::string sample = movedSample(0, 0, 0), moved = movedSample(-35000, 120000, 0);
    for (const float interval : {2.5f, 10.0f, 100.0f}) {
      auto run = [&](const std::string& text, const char* unit) {
        input(text);
        s.ThinningInterval = interval;
        s.DrawUnit = unit;
        convert();
        return drawnRecords(body());
      };
      const auto unmoved = run(sample, "m");
      auto expected = unmoved;
      for (auto& r : expected) {
        r[0] = movedText(r[0], -35000);
        r[1] = movedText(r[1], 120000);
      }
      EXPECT_EQ(run(moved, "m"), expected) << interval;
      // In millimetres: the same texts with their points moved three places.
      for (auto& r : expected)
        for (int a = 0; a < 3; ++a) r[a] = millimetreText(r[a]);
      EXPECT_EQ(run(moved, "mm"), expected) << interval;
      EXPECT_GT(unmoved.size(), 10u) << interval;
    }
  }
};

}  // namespace harlowe::test
