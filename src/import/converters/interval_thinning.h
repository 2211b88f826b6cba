#pragma once
// The two equal-interval thinnings of CloudCompare text.
//
// Quick: each point is measured against one reference point only (the first of the file) and
// kept when its distance lies within 5 mm of k times the interval, k counted with the distance
// and the interval rounded to whole millimetres (ShellBand), so the kept points form thin
// spherical shells around the reference.
//
// Full: greedy in file order. A point that is still kept becomes a pivot and drops every later
// point, at most 1,200 points on, that lies closer to it than the interval; a dropped point never
// drops anything itself. Distances are those of the 32-bit float coordinates: float differences,
// PointDistance, strictly less than the interval.
//
// Both take the coordinates relative to the local origin of the scan (import/local_origin.h),
// which leaves a scan within 10 km of the coordinate origin as it is.
#include <array>
#include <cstdint>
#include <vector>

namespace harlowe {

// ---- quick

// The keep rule of the quick thinning for an interval I in millimetres: with k the quotient of
// the distance and I, each first rounded to the nearest whole number (halves to the even one)
// and the quotient truncated toward zero, a distance d is kept when k × I − 5 < d < k × I + 5.
// An interval that rounds to 0 keeps every point, and so does a whole-number interval of 1 to
// 5 mm, whose k leaves every distance within 5 mm of k × I. Any other interval counts k with its
// rounded value but centres the band on k × I, so the band drifts off the distances as they grow:
// beyond some distance nothing is kept (about 25 mm at 2.5 mm, 65 mm at 4.6 mm, 37 cm at 10.4 mm).
class ShellBand {
 public:
  explicit ShellBand(float intervalMm);
  bool keeps(double distanceMm) const;

 private:
  double interval_;
  std::int64_t rounded_ = 0;
  double divisor_ = 0, reciprocal_ = 0;  // |rounded_| and its reciprocal
  bool keepAll_ = false;
  bool intervalBeyondDistances_ = false;  // |I| beyond every distance that has a whole number
};

// The distance in millimetres of a point from the reference point, both in metres as 32-bit
// floats: the differences are floats, their squares, the sum, the root and the product by 1000
// are doubles.
double ShellDistanceMm(const std::array<float, 3>& reference, const std::array<float, 3>& point);

// ---- full

inline constexpr std::int64_t kThinningWindow = 1200;

// The full thinning, fed with the points in file order. A point's fate is final once the 1,200
// points after it are known (or the input has ended), and it is reported then, in file order,
// through the callback given to add and finish: onDecided(recordNumber, kept), numbers from 1.
//
// Only the last 1,201 points are held. Instead of comparing a pivot with each of the 1,200 points
// after it, the points still in play are kept in a grid of cells a little larger than the
// interval, and only those in the 27 cells around the pivot are compared: a point two cells away
// or more is farther than the interval even after rounding, so the marks are exactly those of
// the plain comparison. A point whose cell numbers would be too large to be exact (a stray point
// far out, or an interval finer than the coordinates can resolve) stays out of the grid: it is
// compared with every pivot, and as a pivot with every point in play, as the plain loop does.
//
// The cells in play are found through a table of 4,096 chains. Its hash is drawn at random for
// each thinning from a universal family (the cell numbers times random multipliers, summed, the
// top 12 bits), so that no input can make many cells share a chain: whatever the cells, the
// chain a cell is looked up in holds fewer than 1.6 of them on average. Should one ever hold more
// than kChainLimit, other multipliers are drawn and the cells spread anew. The sum's linearity
// gives the chains of the 27 cells around a pivot by additions alone.
class WindowThinning {
 public:
  // A ring of records wide enough for the window and the pivot; callers may keep what belongs
  // to record r in slot r & (kRing - 1) until r has been reported.
  static constexpr std::int64_t kRing = 2048;
  static constexpr int kChainBits = 12;
  static constexpr std::size_t kChains = std::size_t{1} << kChainBits;
  static constexpr int kChainLimit = 24;

  // intervalM: the interval in metres. seed: where the hash's multipliers are drawn from (a test
  // gives its own).
  explicit WindowThinning(float intervalM, std::uint64_t seed = RandomSeed());

  template <class OnDecided>
  void add(float x, float y, float z, OnDecided&& onDecided) {
    insert(x, y, z);
    if (added_ > kThinningWindow) {
      const bool kept = decide();
      onDecided(decided_, kept);
    }
  }
  template <class OnDecided>
  void finish(OnDecided&& onDecided) {
    while (decided_ < added_) {
      const bool kept = decide();
      onDecided(decided_, kept);
    }
  }

  // The chain of a cell under the first multipliers drawn from a seed (a test builds cells that
  // share one).
  static std::size_t Chain(const std::int64_t key[3], std::uint64_t seed);
  static std::uint64_t RandomSeed();
  // What the thinning has seen: points outside the grid, and draws of other multipliers.
  std::int64_t pointsOutsideGrid() const { return outside_; }
  std::int64_t redraws() const { return redraws_; }

 private:
  struct Cell {
    std::int64_t key[3];
    std::int32_t points;  // first slot of the cell's points
    std::int32_t next;    // the next cell of its chain, or of the free cells
    std::uint32_t chain;
  };
  struct Multipliers {
    std::uint64_t a[3];
    explicit Multipliers(std::uint64_t& seed);
    std::uint64_t sum(const std::int64_t key[3]) const {
      return a[0] * static_cast<std::uint64_t>(key[0]) + a[1] * static_cast<std::uint64_t>(key[1]) +
             a[2] * static_cast<std::uint64_t>(key[2]);
    }
    static std::uint32_t chainOf(std::uint64_t sum) {
      return static_cast<std::uint32_t>(sum >> (64 - kChainBits));
    }
  };

  void insert(float x, float y, float z);
  bool decide();                                              // decides record decided_ + 1
  bool cellOf(std::int32_t slot, std::int64_t key[3]) const;  // false: outside the grid
  void link(std::int32_t slot);
  void unlink(std::int32_t slot);
  void redraw();   // other multipliers
  void rechain();  // the cells in play spread over the chains of the hash
  void compare(std::int32_t j, float px, float py, float pz);
  void compareList(std::int32_t first, float px, float py, float pz);

  float interval_;
  bool compares_;     // a positive interval: anything can be dropped at all
  double cellScale_;  // 1 / cell size
  std::uint64_t seed_;
  Multipliers hash_;
  std::uint64_t around_[27];  // the sums of the 27 cells around a cell, less its own
  std::int64_t added_ = 0, decided_ = 0;
  std::int64_t outside_ = 0, redraws_ = 0;
  std::vector<float> x_, y_, z_;
  std::vector<std::uint8_t> marked_;
  std::vector<std::int32_t> cell_;  // per slot: its cell, or -1 outside the grid
  std::vector<std::int32_t> next_, prev_;
  std::vector<Cell> cells_;  // at most one per point in play
  std::vector<std::int32_t> chains_;
  std::int32_t free_ = 0;        // the first free cell
  std::int32_t outsiders_ = -1;  // the points outside the grid, as one list
};

}  // namespace harlowe
