// The local origin of a scan far from the coordinate origin.
#include <gtest/gtest.h>

#include <string>

#include "import/local_origin.h"
#include "import/text_input.h"

namespace harlowe {
namespace {

TEST(LocalOrigin, WholeKilometresFromTenKilometresOn) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"9999.9999", 0},     {"-9999.99999999999999999999", 0},
      {"10000", 10},        {"-10000", -10},
      {"10499.9999", 10},   {"10500", 11},  // halves away from zero
      {"-10500", -11},      {"-35100.6278", -35},
      {"120470.9565", 120}, {"1.05e4", 11},
      {"1e21", 0},  // no scan is there
      {"abc", 0},
  };
  for (const auto& [reference, km] : cases)
    EXPECT_EQ(LocalOrigin::Around(reference, "0", "0").kilometres(0), km) << reference;
  EXPECT_FALSE(LocalOrigin::Around("9999", "-9999", "0").shifts());
}

// A coordinate less the origin is the float of the exact difference, whatever the text's form:
// the float of the coordinate moved back by whole kilometres.
TEST(LocalOrigin, ShiftedCoordinatesAreTheFloatsOfTheUnmovedTexts) {
  const LocalOrigin origin = LocalOrigin::AroundLine("-35000.3819 119999.5518 2.0258 1 2 3");
  std::string scratch;
  const std::pair<const char*, const char*> cases[] = {
      {"-35000.3819", "-0.3819"},
      {"-3.50003819e4", "-0.3819"},
      {"-35000.38190000000000000001", "-0.38190000000000000001"},
      {"-34999.9999999", "0.0000001"},
      {"1e-60", "35000"},
      {"-1e30", "-999999999999999999999999965000"},
  };
  for (const auto& [moved, unmoved] : cases) {
    float value = 0, expected = 0;
    ASSERT_TRUE(CoordinateFloat(moved, value));
    ASSERT_TRUE(CoordinateFloat(unmoved, expected));
    EXPECT_EQ(origin.shifted(0, moved, value, scratch), expected) << moved;
  }
  // Along an axis without a shift the value stays.
  EXPECT_EQ(origin.shifted(2, "2.0258", 2.0258f, scratch), 2.0258f);

  std::string out;
  EXPECT_TRUE(origin.restore(1, "-0.4482", false, out));
  EXPECT_EQ(out, "119999.5518");
  EXPECT_TRUE(origin.restore(0, "-448.2", true, out));
  EXPECT_EQ(out, "-35000448.2");
  EXPECT_FALSE(origin.restore(2, "2.0258", false, out));
}

}  // namespace
}  // namespace harlowe
