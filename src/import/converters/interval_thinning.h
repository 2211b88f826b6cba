#pragma once
// The two equal-interval thinnings of CloudCompare text.
//
// Quick: each point is measured against one reference point only (the first of the file) and
// kept when its distance lies within 5 mm of a whole multiple of the interval, so the kept points
// form thin spherical shells around the reference.
//
// Full: greedy in file order. A point that is still kept becomes a pivot and drops every later
// point, at most 1,200 points on, that lies closer to it than the interval; a dropped point never
// drops anything itself. Distances are those of the 32-bit float coordinates: float differences,
// PointDistance, strictly less than the interval.
#include <array>
#include <cstdint>
#include <vector>

namespace harlowe {

// ---- quick

// The keep rule of the quick thinning for an interval I in millimetres: with k the quotient of
// the distance and I, each first rounded to the nearest whole number (halves to the even one)
// and the quotient truncated toward zero, a distance d is kept when k × I − 5 < d < k × I + 5.
// An interval that rounds to 0 keeps every point, as every interval up to 5 mm does.
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
// the plain comparison.
class WindowThinning {
 public:
  // A ring of records wide enough for the window and the pivot; callers may keep what belongs
  // to record r in slot r & (kRing - 1) until r has been reported.
  static constexpr std::int64_t kRing = 2048;

  // intervalM: the interval in metres. largestCoordinate: the largest magnitude of any
  // coordinate that will be added (it decides whether the grid's cell numbers stay exact;
  // without the grid every pivot is compared with its whole window).
  WindowThinning(float intervalM, float largestCoordinate);

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

  bool usesGrid() const { return grid_; }

 private:
  struct Cell {
    std::int64_t key[3];
    std::int32_t head;  // first slot of the cell's list; -1 marks a free table entry
  };

  void insert(float x, float y, float z);
  bool decide();  // decides record decided_ + 1
  void cellOf(std::int32_t slot, std::int64_t key[3]) const;
  std::size_t find(const std::int64_t key[3]) const;  // table position, or kNone
  void link(std::int32_t slot);
  void unlink(std::int32_t slot);
  void eraseAt(std::size_t pos);

  static constexpr std::size_t kTable = 4096;  // > 2 × the most cells in play
  static constexpr std::size_t kNone = ~std::size_t{0};

  float interval_;
  bool compares_;     // a positive interval: anything can be dropped at all
  bool grid_;         // cells from the coordinates; otherwise one cell holds everything
  double cellScale_;  // 1 / cell size
  std::int64_t added_ = 0, decided_ = 0;
  std::vector<float> x_, y_, z_;
  std::vector<std::uint8_t> marked_;
  std::vector<std::int64_t> key_;  // 3 per slot
  std::vector<std::int32_t> next_, prev_;
  std::vector<Cell> table_;
};

}  // namespace harlowe
