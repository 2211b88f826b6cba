// The two equal-interval thinnings on their own: the quick keep rule, and the full window
// thinning against a plain transcription of its loop.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "import/converters/interval_thinning.h"
#include "import/point_helpers.h"

namespace harlowe {
namespace {

TEST(ShellBand, KeepsTheBandAroundEachMultiple) {
  struct Case {
    float interval;
    double distance;
    bool kept;
  } cases[] = {
      {100, 96, false},      // k = 0 although within 5 mm of 100
      {100, 99.4, false},    // rounds to 99: k = 0
      {100, 99.5, true},     // rounds to 100 (the even neighbour): k = 1
      {100, 104.9, true},    //
      {100, 105, false},     // strictly less
      {100, 200.2, true},    //
      {100, 0, true},        // the band around 0 holds everything closer than 5 mm
      {100, -4.9, true},     //
      {2.5f, 10, true},      // divided by 2 (2.5 to the even neighbour), band from 7.5 to 17.5
      {0.5f, 1234.5, true},  // an interval that rounds to 0 keeps every point
      {0.4f, 77, true},      //
      {-0.5f, 77, true},     //
      {-100, 150, false},    // a negative interval: k = -1, k × I = 100
      {-100, 102, true},     //
      // A distance far beyond 32 bits still has its shell.
      {1000, 3000000002.0, true},
      {1000, 3000000006.0, false},
      {1e30f, 4, true},    // k = 0 for every distance
      {1e30f, 6, false},   //
      {100, 1e19, false},  // no whole number of millimetres in 64 bits: in no shell
      {100, INFINITY, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShellBand(c.interval).keeps(c.distance), c.kept) << c.interval << " " << c.distance;
  // Whole-number intervals of 1 to 5 mm keep every point.
  for (float interval : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f})
    for (double d = 0; d < 400; d += 0.37) EXPECT_TRUE(ShellBand(interval).keeps(d)) << d;
}

// The rule as it reads, with 64-bit integers for the rounded values.
bool plainShellBand(float interval, double d) {
  const auto ri = static_cast<std::int64_t>(std::nearbyint(interval));
  if (ri == 0) return true;
  const std::int64_t k = static_cast<std::int64_t>(std::nearbyint(d)) / ri;
  const double centre = static_cast<double>(k) * interval;
  return centre - 5 < d && d < centre + 5;
}

TEST(ShellBand, SameAsTheRuleOnRandomDistances) {
  std::mt19937_64 rng(9);
  for (int i = 0; i < 200'000; ++i) {
    const float interval = static_cast<float>(rng() % 3 ? (rng() % 100000) / 10.0
                                                        : -static_cast<double>(rng() % 5000));
    // Distances at and next to multiples of the rounded interval, and anywhere.
    const double ri = std::nearbyint(interval);
    const double d = rng() % 2 ? std::fabs(ri) * static_cast<double>(rng() % 100000) +
                                     (static_cast<double>(rng() % 2001) - 1000) / 1000
                               : static_cast<double>(rng() % 10'000'000'000'000ull) / 100;
    if (d < 0) continue;
    ASSERT_EQ(ShellBand(interval).keeps(d), plainShellBand(interval, d)) << interval << " " << d;
  }
}

TEST(ShellDistanceMm, FloatDifferencesTimesAThousand) {
  EXPECT_DOUBLE_EQ(ShellDistanceMm({1, 2, 3}, {4, 6, 3}), 5000.0);
  // The differences are floats: 0.1f - 0.0f is the float 0.1, not the double 0.1.
  EXPECT_DOUBLE_EQ(ShellDistanceMm({0, 0, 0}, {0.1f, 0, 0}), static_cast<double>(0.1f) * 1000);
}

// The loop as it reads: each kept record in turn compares the 1,200 records after it and marks
// those closer than the interval.
std::vector<bool> plainThinning(const std::vector<std::array<float, 3>>& p, float interval) {
  const auto n = static_cast<std::int64_t>(p.size());
  std::vector<bool> dropped(p.size());
  for (std::int64_t i = 0; i < n; ++i) {
    if (dropped[i]) continue;
    const std::int64_t end = std::min(i + kThinningWindow, n - 1);
    for (std::int64_t j = i + 1; j <= end; ++j) {
      if (dropped[j]) continue;
      const float dx = p[i][0] - p[j][0], dy = p[i][1] - p[j][1], dz = p[i][2] - p[j][2];
      if (PointDistance(dx, dy, dz) < interval) dropped[j] = true;
    }
  }
  std::vector<bool> kept(p.size());
  for (std::size_t i = 0; i < p.size(); ++i) kept[i] = !dropped[i];
  return kept;
}

// What the window thinning saw of a cloud: points outside the grid, hashes drawn again.
struct WindowStats {
  std::int64_t outside = 0, redraws = 0;
};

std::vector<bool> windowThinning(const std::vector<std::array<float, 3>>& p, float interval,
                                 WindowStats* stats = nullptr,
                                 std::uint64_t seed = WindowThinning::RandomSeed()) {
  WindowThinning thinning(interval, seed);
  std::vector<bool> kept;
  auto decided = [&](std::int64_t record, bool k) {
    EXPECT_EQ(record, static_cast<std::int64_t>(kept.size()) + 1);
    kept.push_back(k);
  };
  for (const auto& q : p) thinning.add(q[0], q[1], q[2], decided);
  thinning.finish(decided);
  if (stats) *stats = {thinning.pointsOutsideGrid(), thinning.redraws()};
  return kept;
}

std::vector<int> keptRecords(const std::vector<bool>& kept) {
  std::vector<int> r;
  for (std::size_t i = 0; i < kept.size(); ++i)
    if (kept[i]) r.push_back(static_cast<int>(i) + 1);
  return r;
}

TEST(WindowThinning, CasesOfTheLoop) {
  using Cloud = std::vector<std::array<float, 3>>;
  // A, B, C on a line 0.06 apart: B lies within 0.1 of A and of C, A and C do not.
  EXPECT_EQ(keptRecords(windowThinning(Cloud{{0, 0, 0}, {0.06f, 0, 0}, {0.12f, 0, 0}}, 0.1f)),
            (std::vector<int>{1, 3}));
  // Two points 0.05 apart: the earlier one stays.
  EXPECT_EQ(keptRecords(windowThinning(Cloud{{1, 1, 1}, {1.05f, 1, 1}}, 0.1f)),
            (std::vector<int>{1}));
  // A distance equal to the interval keeps both.
  EXPECT_EQ(keptRecords(windowThinning(Cloud{{0, 0, 0}, {0, 0.25f, 0}}, 0.25f)),
            (std::vector<int>{1, 2}));
  // A negative interval (and 0) drops nothing, not even equal points.
  for (float interval : {-1.0f, 0.0f})
    EXPECT_EQ(keptRecords(windowThinning(Cloud{{0, 0, 0}, {0, 0, 0}}, interval)),
              (std::vector<int>{1, 2}));

  // Equal points at records 1, 1201 and 1202, the others far apart: record 1201 (= 1 + 1200) is
  // compared with record 1 and dropped; record 1202 is not, and stays.
  Cloud apart(1300);
  for (std::size_t i = 0; i < apart.size(); ++i) apart[i] = {static_cast<float>(i) * 10, 0, 0};
  apart[1200] = apart[1201] = apart[0];
  std::vector<int> expected;
  for (int i = 1; i <= 1300; ++i)
    if (i != 1201) expected.push_back(i);
  EXPECT_EQ(keptRecords(windowThinning(apart, 1)), expected);

  // An interval larger than every distance keeps records 1, 1202, 2403, ...
  Cloud near(5000, {0.5f, 0.5f, 0.5f});
  EXPECT_EQ(keptRecords(windowThinning(near, 1e30f)),
            (std::vector<int>{1, 1202, 2403, 3604, 4805}));
}

// The window thinning gives exactly the marks of the plain loop, on clouds made to have many
// distances at or near the interval: coordinates on a coarse lattice, far from the origin or
// near it, duplicates, stray points far out among the others, and intervals from below every
// distance to above all of them.
TEST(WindowThinning, SameMarksAsThePlainLoopOnRandomClouds) {
  std::mt19937_64 rng(20261208);
  auto pick = [&](int below) { return static_cast<int>(rng() % static_cast<unsigned>(below)); };
  int grids = 0, plains = 0, mixed = 0;
  for (int cloud = 0; cloud < 2500; ++cloud) {
    const int n = cloud % 100 == 0 ? 1500 + pick(1500) : 1 + pick(cloud % 7 == 0 ? 1400 : 200);
    const double step = std::pow(10.0, -pick(4));  // lattice of 1 m to 1 mm
    const int span = 1 + pick(60);
    const double offset = pick(3) == 0 ? 0 : (pick(2) ? 1 : -1) * std::pow(10.0, pick(10));
    std::vector<std::array<float, 3>> p(static_cast<std::size_t>(n));
    for (auto& q : p) {
      if (!p.empty() && &q != &p[0] && pick(10) == 0) {
        q = p[static_cast<std::size_t>(pick(static_cast<int>(&q - &p[0])))];  // a duplicate
        continue;
      }
      for (float& v : q) v = static_cast<float>(offset + step * (pick(2 * span + 1) - span));
      if (cloud % 5 == 0 && pick(200) == 0) q[static_cast<std::size_t>(pick(3))] = 1e12f;
    }
    float interval;
    switch (pick(6)) {
      case 0:
        interval = static_cast<float>(step * pick(4));
        break;  // on the lattice
      case 1:
        interval = static_cast<float>(step * std::sqrt(2.0 + pick(3)));
        break;
      case 2:
        interval = static_cast<float>(step * span * 10);
        break;  // above all
      case 3:
        interval = static_cast<float>(step / (3 + pick(5)));
        break;  // below all
      case 4:
        interval = -static_cast<float>(step);
        break;
      default:
        interval = static_cast<float>(step * (0.5 + pick(1000) / 100.0));
        break;
    }
    WindowStats stats;
    const auto fast = windowThinning(p, interval, &stats);
    if (interval > 0) {
      const auto outside = stats.outside;
      (outside == 0 ? grids : outside == n ? plains : mixed)++;
    }
    ASSERT_EQ(fast, plainThinning(p, interval))
        << "cloud " << cloud << ": n " << n << ", step " << step << ", offset " << offset
        << ", interval " << interval;
  }
  EXPECT_GT(grids, 1000);
  EXPECT_GT(plains, 5);  // intervals too fine for the cell numbers of the coordinates
  EXPECT_GT(mixed, 20);  // a stray point among points in the grid
}

// 1,300 cells (more than the window holds) that share one chain of the table under the hash
// drawn first from a seed: other hashes are drawn, and the marks stay those of the plain loop.
TEST(WindowThinning, CellsThatShareAChainThinAsThePlainLoop) {
  const float interval = 0.01f;
  const double cell = static_cast<double>(interval) * (1 + 1.0 / 256);
  const std::uint64_t seed = 42;
  std::vector<std::array<float, 3>> cells;
  for (std::int64_t n = 0; cells.size() < 1300; ++n) {
    const std::int64_t key[3] = {2 * (n % 200), 2 * (n / 200 % 200), 2 * (n / 40000)};
    if (WindowThinning::Chain(key, seed) != 0) continue;
    cells.push_back({static_cast<float>((key[0] + 0.5) * cell),
                     static_cast<float>((key[1] + 0.5) * cell),
                     static_cast<float>((key[2] + 0.5) * cell)});
  }
  // Each cell twice in a row, the second time just within the interval of the first: every
  // other point is dropped.
  std::vector<std::array<float, 3>> cloud;
  for (int round = 0; round < 3; ++round) {
    for (const auto& c : cells) {
      cloud.push_back(c);
      cloud.push_back({c[0], c[1], c[2] + interval * 0.9f});
    }
  }
  WindowStats stats;
  const auto kept = windowThinning(cloud, interval, &stats, seed);
  EXPECT_EQ(kept, plainThinning(cloud, interval));
  EXPECT_EQ(stats.outside, 0);
  EXPECT_GT(stats.redraws, 0);
}

}  // namespace
}  // namespace harlowe
