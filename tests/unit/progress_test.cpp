// The redraw decisions of the progress window: the strict threshold, where the pump turn goes,
// the rounded percentage, and the full bar at the end of a stage.
#include "import/progress.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace harlowe {
namespace {

using test::EventLog;

struct ProgressTest : ::testing::Test {
  EventLog log;
  test::FakeUi ui{log};
  test::FakeProgressWindow window{log};
};

TEST_F(ProgressTest, RedrawsOnlyWhenTheFractionMovedStrictlyMoreThanTheThreshold) {
  double last = 0;
  EXPECT_FALSE(redrawProgress(window, ui, 0.05, last, 0.05));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(last, 0);

  EXPECT_TRUE(redrawProgress(window, ui, 0.0625, last, 0.05));
  EXPECT_EQ(last, 0.0625);
  ASSERT_EQ(window.bars.size(), 1u);
  EXPECT_DOUBLE_EQ(window.bars[0], 0.0625);
  EXPECT_EQ(window.percent, "6% 終了");

  // Going back leaves the wider bar; only a later, larger step draws again.
  EXPECT_FALSE(redrawProgress(window, ui, 0.01, last, 0.05));
  EXPECT_FALSE(redrawProgress(window, ui, 0.1125, last, 0.05));
  EXPECT_TRUE(redrawProgress(window, ui, 0.2, last, 0.05));
  EXPECT_EQ(window.widest, 0.2f);
}

// The step tests in float arithmetic: a fraction exactly 0.05f above the last one in floats
// does not draw, though in doubles the same two floats lie a little more than 0.05 apart.
TEST_F(ProgressTest, SinglePrecisionStepTestsTheThresholdInFloats) {
  const float start = 2.0f / 100000.0f;
  float last = start;
  const float next = start + 0.05f;
  EXPECT_GT(static_cast<double>(next) - static_cast<double>(start), 0.05);
  EXPECT_FALSE(redrawProgressSingle(window, ui, next, last));
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(redrawProgressSingle(window, ui, 0.3125f, last));
  EXPECT_EQ(last, 0.3125f);
  EXPECT_EQ(log,
            (EventLog{"pump", "progress.bar", "progress.percent:31% 終了", "progress.repaint"}));
}

TEST_F(ProgressTest, PumpTurnComesBeforeTheDrawingOrAfterTheRepaint) {
  double last = 0;
  redrawProgress(window, ui, 0.5, last, 0.05, PumpTurn::BeforeDrawing);
  EXPECT_EQ(log,
            (EventLog{"pump", "progress.bar", "progress.percent:50% 終了", "progress.repaint"}));
  log.clear();
  redrawProgress(window, ui, 0.9, last, 0.02, PumpTurn::AfterRepaint);
  EXPECT_EQ(log,
            (EventLog{"progress.bar", "progress.percent:90% 終了", "progress.repaint", "pump"}));
}

TEST_F(ProgressTest, PercentRoundsHalvesToEvenAndIsNotCapped) {
  EXPECT_EQ(percentText(0.125), "12% 終了");
  EXPECT_EQ(percentText(0.375), "38% 終了");
  EXPECT_EQ(percentText(0.0), "0% 終了");
  EXPECT_EQ(percentText(1.3), "130% 終了");
}

TEST_F(ProgressTest, FillDrawsTheFullBarWithoutRepaintOrPump) {
  fillProgress(window);
  EXPECT_EQ(log, (EventLog{"progress.bar", "progress.percent:100% 終了"}));
  EXPECT_EQ(window.bars.back(), 1.0);
}

}  // namespace
}  // namespace harlowe
