// The full equal-interval converter on inputs that have made its window search slow, against the
// same converter on a typical scan of the same number of points:
//
//   harlowe_bench --window [--points N] [--intervals 10,1] [--repeat N] [--dir DIR]
//
// Rows, for each interval:
//   typical    the text sample of data/ tiled on a 2 m grid (as scripts/make-bench-cloud.sh does)
//   stray      the same file with one line "1e12 0 0 1 2 3" in its middle, a point so far out
//              that its cell numbers cannot be exact at this interval
//   colliding  N points that go round 1,300 cells, all of which share one slot of a cell table
//              of 4,096 entries under the multiplicative hash the thinning once had (every cell
//              at least two apart from the others, so every point is kept)
//   control    the same, with 1,300 cells spread as widely but not chosen for their slot
// Each row gives the conversion time and the time of the thinning stage (passes 3 and 4), and
// both over those of the row it compares with: the stray line with the typical scan (the same
// points and one more), the colliding cells with the control (the same points kept and drawn),
// the control with the typical scan. The inputs are generated in DIR and removed at the end.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "import/converters/txt_full_interval.h"

namespace harlowe::bench {

namespace {

namespace fs = std::filesystem;

constexpr int kCycle = 1300;

// The text sample of data/ copied side by side on a 2 m grid until `points` are reached, each
// copy in the sample's order; with a stray line in the middle of the file when asked.
void tiledSample(const fs::path& file, std::int64_t points, bool strayLine) {
  std::ifstream in(fs::path(HARLOWE_SOURCE_DIR) / "data" / "table_mug_stereo_cc_space_lf.txt");
  std::vector<double> x, y;
  std::vector<std::string> rest;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    double a, b;
    fields >> a >> b;
    x.push_back(a);
    y.push_back(b);
    std::string tail;
    std::getline(fields >> std::ws, tail);
    rest.push_back(tail);
  }
  const auto per = static_cast<std::int64_t>(x.size());
  const std::int64_t copies = std::max<std::int64_t>(1, (points + per - 1) / per);
  auto columns = static_cast<std::int64_t>(std::sqrt(static_cast<double>(copies)));
  if (columns * columns < copies) ++columns;
  std::FILE* f = std::fopen(file.c_str(), "wb");
  for (std::int64_t k = 0; k < copies; ++k) {
    const double ox = 2.0 * static_cast<double>(k % columns);
    const double oy = 2.0 * static_cast<double>(k / columns);
    if (strayLine && k == copies / 2) std::fputs("1e12 0 0 1 2 3\n", f);
    for (std::size_t i = 0; i < x.size(); ++i)
      std::fprintf(f, "%.4f %.4f %s\n", x[i] + ox, y[i] + oy, rest[i].c_str());
  }
  std::fclose(f);
}

// The cell hash of a thinning table of 4,096 entries that an earlier version used.
std::size_t earlierSlot(const std::int64_t key[3]) {
  std::uint64_t h = static_cast<std::uint64_t>(key[0]) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<std::uint64_t>(key[1]) * 0xC2B2AE3D27D4EB4Full;
  h ^= static_cast<std::uint64_t>(key[2]) * 0x165667B19E3779F9ull;
  return (h ^ (h >> 29)) & 4095;
}

// Points at the centres of 1,300 cells of the thinning's grid at this interval, all cell numbers
// even (so no two cells touch): with `colliding`, cells whose slot in the earlier table is the
// same, otherwise one in 4,096 cells picked by a hash of its number, which spreads them as
// widely. The text of each point is checked to land in its cell as the thinning reads it.
std::vector<std::string> cellCentres(float intervalMm, bool colliding) {
  const float intervalM = intervalMm / 1000.0f;
  const double cell = static_cast<double>(intervalM) * (1.0 + 1.0 / 256);
  const double scale = 1.0 / cell;
  std::vector<std::string> texts;
  std::set<std::size_t> seen;
  char text[96];
  for (std::int64_t n = 0; static_cast<int>(texts.size()) < kCycle; ++n) {
    // Cells on a cube of 201 × 201 × 201 even cell numbers around the origin, in order.
    const std::int64_t key[3] = {2 * (n % 201 - 100), 2 * ((n / 201) % 201 - 100),
                                 2 * (n / (201 * 201) - 100)};
    if (colliding ? earlierSlot(key) != 0
                  : (static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15ull) >> 52 != 0)
      continue;
    std::snprintf(text, sizeof text, "%.7f %.7f %.7f", (static_cast<double>(key[0]) + 0.5) * cell,
                  (static_cast<double>(key[1]) + 0.5) * cell,
                  (static_cast<double>(key[2]) + 0.5) * cell);
    float v[3];
    std::sscanf(text, "%f %f %f", &v[0], &v[1], &v[2]);
    bool inCell = true;
    for (int a = 0; a < 3; ++a)
      inCell = inCell && static_cast<std::int64_t>(std::floor(v[a] * scale)) == key[a];
    if (inCell) texts.emplace_back(text);
  }
  return texts;
}

void cycledCells(const fs::path& file, std::int64_t points, float intervalMm, bool colliding) {
  const std::vector<std::string> cells = cellCentres(intervalMm, colliding);
  std::FILE* f = std::fopen(file.c_str(), "wb");
  for (std::int64_t i = 0; i < points; ++i)
    std::fprintf(f, "%s %d %d %d\n", cells[static_cast<std::size_t>(i % kCycle)].c_str(),
                 static_cast<int>(i % 256), static_cast<int>(i / 256 % 256), 7);
  std::fclose(f);
}

struct Timing {
  double total = 0, thinning = 0;
  std::int64_t drawn = 0;
};

// The fastest of `repeat` runs of the full converter on the file.
Timing runFull(BenchPlatform& b, const fs::path& input, float intervalMm, int repeat) {
  Timing best;
  for (int r = 0; r < repeat; ++r) {
    RunSettings s = b.settings(input);
    s.InputKind = 5;
    s.ThinningInterval = intervalMm;
    const auto t0 = Clock::now();
    const ConversionResult result = ConvertTxtFullInterval(s, b.platform);
    const auto t1 = Clock::now();
    Timing t{std::chrono::duration<double>(t1 - t0).count(), 0, result.pointsDrawn};
    for (std::size_t i = 0; i < b.window.marks.size(); ++i)
      if (b.window.stages[i].rfind("間隔 ", 0) == 0) t.thinning = b.window.stage(i, t1);
    if (r == 0 || t.total < best.total) best = t;
  }
  return best;
}

}  // namespace

int WindowInputsBench(int argc, char** argv) {
  fs::path dir = fs::current_path() / "harlowe_bench_data";
  std::int64_t points = 2'000'000;
  std::vector<float> intervals = {10, 1};
  int repeat = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--window") {
      --i;  // a flag without a value
    } else if (a == "--dir") {
      dir = argv[i + 1];
    } else if (a == "--points") {
      points = std::stoll(argv[i + 1]);
    } else if (a == "--intervals") {
      intervals.clear();
      for (const std::string& v : SplitList(argv[i + 1])) intervals.push_back(std::stof(v));
    } else if (a == "--repeat") {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
  }
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  BenchPlatform b(dir / "app");

  const fs::path typical = dir / "data" / "typical.txt", stray = dir / "data" / "stray.txt";
  tiledSample(typical, points, false);
  tiledSample(stray, points, true);
  std::printf("%-10s %9s %10s %9s %11s  %-8s %6s %8s\n", "input", "interval", "drawn", "conv s",
              "thinning s", "against", "conv", "thinning");
  for (const float interval : intervals) {
    const fs::path colliding = dir / "data" / "colliding.txt",
                   control = dir / "data" / "control.txt";
    cycledCells(colliding, points, interval, true);
    cycledCells(control, points, interval, false);
    struct Row {
      const char* name;
      fs::path file;
      int against;  // the row it compares with
      Timing t;
    } rows[] = {{"typical", typical, 0, {}},
                {"stray", stray, 0, {}},
                {"control", control, 0, {}},
                {"colliding", colliding, 2, {}}};
    for (Row& r : rows) {
      r.t = runFull(b, r.file, interval, repeat);
      const Timing& base = rows[r.against].t;
      std::printf("%-10s %6g mm %10lld %9.3f %11.3f  %-8s %6.2f %8.2f\n", r.name, interval,
                  static_cast<long long>(r.t.drawn), r.t.total, r.t.thinning, rows[r.against].name,
                  r.t.total / base.total, r.t.thinning / base.thinning);
      std::fflush(stdout);
    }
  }
  fs::remove_all(dir);
  return 0;
}

}  // namespace harlowe::bench
