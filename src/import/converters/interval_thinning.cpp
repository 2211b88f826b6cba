#include "import/converters/interval_thinning.h"

#include <chrono>
#include <cmath>
#include <random>

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

std::uint64_t WindowThinning::RandomSeed() {
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) *
      0x9E3779B97F4A7C15ull;
  try {
    std::random_device device;
    seed ^= static_cast<std::uint64_t>(device()) << 32 ^ device();
  } catch (...) {
    // No source of randomness: the clock alone still varies from run to run.
  }
  return seed;
}

// Three odd multipliers from the seed (splitmix64), which moves on.
WindowThinning::Multipliers::Multipliers(std::uint64_t& seed) {
  for (std::uint64_t& m : a) {
    std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    m = (z ^ (z >> 31)) | 1;
  }
}

std::size_t WindowThinning::Chain(const std::int64_t key[3], std::uint64_t seed) {
  return Multipliers::chainOf(Multipliers(seed).sum(key));
}

WindowThinning::WindowThinning(float intervalM, std::uint64_t seed)
    : interval_(intervalM),
      compares_(intervalM > 0),
      cellScale_(1.0 / (static_cast<double>(intervalM) * kCellMargin)),
      seed_(seed),
      hash_(seed_),
      x_(kRing),
      y_(kRing),
      z_(kRing),
      marked_(kRing),
      cell_(kRing),
      next_(kRing),
      prev_(kRing),
      cells_(kRing),
      chains_(kChains, -1) {
  for (std::int32_t c = 0; c < static_cast<std::int32_t>(kRing); ++c)
    cells_[c].next = c + 1 < static_cast<std::int32_t>(kRing) ? c + 1 : -1;
  rechain();
}

void WindowThinning::redraw() {
  ++redraws_;
  hash_ = Multipliers(seed_);
  rechain();
}

// The sums of the cells around any cell follow from the multipliers: a cell's sum plus these.
void WindowThinning::rechain() {
  int i = 0;
  for (std::int64_t a = -1; a <= 1; ++a)
    for (std::int64_t b = -1; b <= 1; ++b)
      for (std::int64_t c = -1; c <= 1; ++c) {
        const std::int64_t step[3] = {a, b, c};
        around_[i++] = hash_.sum(step);
      }
  // The cells in play spread over the chains of the new hash.
  std::fill(chains_.begin(), chains_.end(), -1);
  for (std::int64_t r = decided_ + 1; r <= added_; ++r) {
    const std::int32_t c = cell_[r & (kRing - 1)];
    // Each cell once: at the point at the head of its list.
    if (c < 0 || marked_[r & (kRing - 1)] || cells_[c].points != (r & (kRing - 1))) continue;
    Cell& cell = cells_[c];
    cell.chain = Multipliers::chainOf(hash_.sum(cell.key));
    cell.next = chains_[cell.chain];
    chains_[cell.chain] = c;
  }
}

bool WindowThinning::cellOf(std::int32_t slot, std::int64_t key[3]) const {
  const double scaled[3] = {x_[slot] * cellScale_, y_[slot] * cellScale_, z_[slot] * cellScale_};
  for (int a = 0; a < 3; ++a) {
    // Also false for an infinite or undefined product.
    if (!(std::fabs(scaled[a]) < kCellLimit)) return false;
    key[a] = static_cast<std::int64_t>(std::floor(scaled[a]));
  }
  return true;
}

void WindowThinning::link(std::int32_t slot) {
  std::int64_t key[3];
  std::int32_t* first = &outsiders_;
  bool crowded = false;
  cell_[slot] = -1;
  if (!cellOf(slot, key)) {
    ++outside_;
  } else {
    const std::uint32_t chain = Multipliers::chainOf(hash_.sum(key));
    int length = 0;
    std::int32_t c = chains_[chain];
    for (; c >= 0 && !sameKey(cells_[c].key, key); c = cells_[c].next) ++length;
    if (c < 0) {  // a new cell at the head of its chain
      c = free_;
      Cell& cell = cells_[c];
      free_ = cell.next;
      std::copy(key, key + 3, cell.key);
      cell.points = -1;
      cell.chain = chain;
      cell.next = chains_[chain];
      chains_[chain] = c;
    }
    cell_[slot] = c;
    first = &cells_[c].points;
    crowded = length >= kChainLimit;
  }
  if (*first >= 0) prev_[*first] = slot;
  next_[slot] = *first;
  prev_[slot] = -1;
  *first = slot;
  if (crowded) redraw();
}

void WindowThinning::unlink(std::int32_t slot) {
  const std::int32_t before = prev_[slot], after = next_[slot], c = cell_[slot];
  if (after >= 0) prev_[after] = before;
  if (before >= 0) {
    next_[before] = after;
    return;
  }
  if (c < 0) {
    outsiders_ = after;
    return;
  }
  cells_[c].points = after;
  if (after >= 0) return;
  // The cell is empty: out of its chain, into the free cells.
  std::int32_t* link = &chains_[cells_[c].chain];
  while (*link != c) link = &cells_[*link].next;
  *link = cells_[c].next;
  cells_[c].next = free_;
  free_ = c;
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

// Compares the pivot with a point and drops it when it lies closer than the interval.
void WindowThinning::compare(std::int32_t j, float px, float py, float pz) {
  if (PointDistance(px - x_[j], py - y_[j], pz - z_[j]) < interval_) {
    marked_[j] = 1;
    unlink(j);  // may free its cell, but touches no other point of its list
  }
}

void WindowThinning::compareList(std::int32_t first, float px, float py, float pz) {
  for (std::int32_t j = first; j >= 0;) {
    const std::int32_t following = next_[j];
    compare(j, px, py, pz);
    j = following;
  }
}

bool WindowThinning::decide() {
  ++decided_;
  const auto slot = static_cast<std::int32_t>(decided_ & (kRing - 1));
  if (marked_[slot]) return false;  // dropped, and out of the grid since
  if (!compares_) return true;
  // The pivot leaves the cells: what remains there lies within the 1,200 points after it.
  const std::int32_t own = cell_[slot];
  std::int64_t key[3];
  if (own >= 0) std::copy(cells_[own].key, cells_[own].key + 3, key);
  unlink(slot);
  const float px = x_[slot], py = y_[slot], pz = z_[slot];
  if (own < 0) {
    // Outside the grid: the whole window, as the plain loop compares it.
    for (std::int64_t r = decided_ + 1; r <= added_; ++r) {
      const auto j = static_cast<std::int32_t>(r & (kRing - 1));
      if (!marked_[j]) compare(j, px, py, pz);
    }
    return true;
  }
  const std::uint64_t sum = hash_.sum(key);
  int i = 0;
  for (std::int64_t a = -1; a <= 1; ++a) {
    for (std::int64_t b = -1; b <= 1; ++b) {
      for (std::int64_t c = -1; c <= 1; ++c) {
        const std::int64_t near[3] = {key[0] + a, key[1] + b, key[2] + c};
        std::int32_t n = chains_[Multipliers::chainOf(sum + around_[i++])];
        while (n >= 0 && !sameKey(cells_[n].key, near)) n = cells_[n].next;
        if (n >= 0) compareList(cells_[n].points, px, py, pz);
      }
    }
  }
  compareList(outsiders_, px, py, pz);
  return true;
}

}  // namespace harlowe
