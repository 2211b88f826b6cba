#include "import/converters/interval_thinning.h"

#include <cmath>

#include "import/point_helpers.h"

namespace harlowe {

namespace {

// Whole numbers of this size and below fit a 64-bit integer.
constexpr double kWholeLimit = 9.2e18;
constexpr double k2p52 = 4503599627370496.0;

// The nearest whole number of a value, halves to the even one. Below 2^52 adding and taking away
// 2^52 does it in the default rounding mode (without a library call, which the baseline x86-64
// instruction set would need here).
double roundHalfEven(double value) {
  if (value >= 0 && value < k2p52) return (value + k2p52) - k2p52;
  return std::nearbyint(value);
}

// Cells are this much wider than the interval, and cell numbers are kept below kCellLimit: the
// coordinate × scale product then errs by far less than the margin, so two points whose cells
// differ by 2 or more along an axis differ along it by more than the interval, also after
// rounding to a float difference.
constexpr double kCellMargin = 1.0 + 1.0 / 256;
constexpr double kCellLimit = 1099511627776.0;  // 2^40

std::uint64_t mix(const std::int64_t key[3]) {
  std::uint64_t h = static_cast<std::uint64_t>(key[0]) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<std::uint64_t>(key[1]) * 0xC2B2AE3D27D4EB4Full;
  h ^= static_cast<std::uint64_t>(key[2]) * 0x165667B19E3779F9ull;
  return h ^ (h >> 29);
}

bool sameKey(const std::int64_t a[3], const std::int64_t b[3]) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace

// ---- quick

ShellBand::ShellBand(float intervalMm) : interval_(intervalMm) {
  const double rounded = std::nearbyint(interval_);  // halves to even in the default mode
  if (std::fabs(rounded) < kWholeLimit) {
    rounded_ = static_cast<std::int64_t>(rounded);
    keepAll_ = rounded_ == 0;
    divisor_ = std::fabs(rounded);
    reciprocal_ = 1 / divisor_;
  } else {
    intervalBeyondDistances_ = true;
  }
}

bool ShellBand::keeps(double distanceMm) const {
  if (keepAll_) return true;
  const double rounded = roundHalfEven(distanceMm);
  // A distance without a whole number of millimetres in 64 bits (a coordinate far outside any
  // survey, or a float difference that overflowed) lies in no shell.
  if (!(rounded < kWholeLimit)) return false;
  std::int64_t k = 0;
  if (intervalBeyondDistances_) {
    k = 0;
  } else if (rounded >= 0 && rounded < k2p52 && divisor_ < k2p52) {
    // Whole numbers below 2^52: the quotient by the reciprocal is at most one off, and the
    // products that correct it are exact; no division on this road.
    double q = std::floor(rounded * reciprocal_);
    if ((q + 1) * divisor_ <= rounded) {
      q += 1;
    } else if (q * divisor_ > rounded) {
      q -= 1;
    }
    k = static_cast<std::int64_t>(rounded_ < 0 ? -q : q);
  } else {
    k = static_cast<std::int64_t>(rounded) / rounded_;
  }
  const double centre = static_cast<double>(k) * interval_;
  // Both comparisons made, without a branch between them: lines in and out of the band alternate
  // at random.
  return (centre - 5 < distanceMm) & (distanceMm < centre + 5);
}

double ShellDistanceMm(const std::array<float, 3>& reference, const std::array<float, 3>& point) {
  const double dx = point[0] - reference[0];  // float differences, widened afterwards
  const double dy = point[1] - reference[1];
  const double dz = point[2] - reference[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz) * 1000.0;
}

// ---- full

WindowThinning::WindowThinning(float intervalM, float largestCoordinate)
    : interval_(intervalM),
      compares_(intervalM > 0),
      x_(kRing),
      y_(kRing),
      z_(kRing),
      marked_(kRing),
      key_(3 * kRing),
      next_(kRing),
      prev_(kRing),
      table_(kTable, Cell{{0, 0, 0}, -1}) {
  cellScale_ = 1.0 / (static_cast<double>(intervalM) * kCellMargin);
  grid_ = compares_ && std::isfinite(cellScale_) &&
          static_cast<double>(largestCoordinate) * cellScale_ < kCellLimit;
}

void WindowThinning::cellOf(std::int32_t slot, std::int64_t key[3]) const {
  if (!grid_) {
    key[0] = key[1] = key[2] = 0;
    return;
  }
  key[0] = static_cast<std::int64_t>(std::floor(x_[slot] * cellScale_));
  key[1] = static_cast<std::int64_t>(std::floor(y_[slot] * cellScale_));
  key[2] = static_cast<std::int64_t>(std::floor(z_[slot] * cellScale_));
}

std::size_t WindowThinning::find(const std::int64_t key[3]) const {
  for (std::size_t pos = mix(key) & (kTable - 1);; pos = (pos + 1) & (kTable - 1)) {
    const Cell& c = table_[pos];
    if (c.head < 0) return kNone;
    if (sameKey(c.key, key)) return pos;
  }
}

void WindowThinning::link(std::int32_t slot) {
  std::int64_t* key = &key_[3 * static_cast<std::size_t>(slot)];
  cellOf(slot, key);
  std::size_t pos = mix(key) & (kTable - 1);
  while (table_[pos].head >= 0 && !sameKey(table_[pos].key, key)) pos = (pos + 1) & (kTable - 1);
  Cell& c = table_[pos];
  if (c.head < 0) {
    c.key[0] = key[0];
    c.key[1] = key[1];
    c.key[2] = key[2];
  } else {
    prev_[c.head] = slot;
  }
  next_[slot] = c.head;
  prev_[slot] = -1;
  c.head = slot;
}

void WindowThinning::unlink(std::int32_t slot) {
  const std::int32_t before = prev_[slot], after = next_[slot];
  if (after >= 0) prev_[after] = before;
  if (before >= 0) {
    next_[before] = after;
    return;
  }
  const std::size_t pos = find(&key_[3 * static_cast<std::size_t>(slot)]);
  if (after >= 0) {
    table_[pos].head = after;
  } else {
    eraseAt(pos);
  }
}

// Linear probing without tombstones: the entries after the freed one that would no longer be
// found move back into the hole.
void WindowThinning::eraseAt(std::size_t pos) {
  std::size_t hole = pos;
  for (std::size_t j = (pos + 1) & (kTable - 1); table_[j].head >= 0; j = (j + 1) & (kTable - 1)) {
    const std::size_t home = mix(table_[j].key) & (kTable - 1);
    // The entry stays when its home lies cyclically in (hole, j].
    const bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (!stays) {
      table_[hole] = table_[j];
      hole = j;
    }
  }
  table_[hole].head = -1;
}

void WindowThinning::insert(float x, float y, float z) {
  ++added_;
  const auto slot = static_cast<std::int32_t>(added_ & (kRing - 1));
  x_[slot] = x;
  y_[slot] = y;
  z_[slot] = z;
  marked_[slot] = 0;
  if (compares_) link(slot);
}

bool WindowThinning::decide() {
  ++decided_;
  const auto slot = static_cast<std::int32_t>(decided_ & (kRing - 1));
  if (marked_[slot]) return false;  // dropped, and out of the grid since
  if (!compares_) return true;
  // The pivot leaves the cells: what remains there lies within the 1,200 points after it.
  unlink(slot);
  const float px = x_[slot], py = y_[slot], pz = z_[slot];
  const std::int64_t* own = &key_[3 * static_cast<std::size_t>(slot)];
  std::int64_t key[3];
  const int reach = grid_ ? 1 : 0;
  for (int a = -reach; a <= reach; ++a) {
    for (int b = -reach; b <= reach; ++b) {
      for (int c = -reach; c <= reach; ++c) {
        key[0] = own[0] + a;
        key[1] = own[1] + b;
        key[2] = own[2] + c;
        const std::size_t pos = find(key);
        if (pos == kNone) continue;
        for (std::int32_t j = table_[pos].head; j >= 0;) {
          const std::int32_t following = next_[j];
          const float d = PointDistance(px - x_[j], py - y_[j], pz - z_[j]);
          if (d < interval_) {
            marked_[j] = 1;
            unlink(j);  // may move or free this cell's table entry, but not j's successors
          }
          j = following;
        }
      }
    }
  }
  return true;
}

}  // namespace harlowe
