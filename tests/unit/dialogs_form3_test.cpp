#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "dialogs/form3.h"
#include "tests/support/fake_form_host.h"
#include "tests/support/test_names.h"

namespace harlowe::dialogs {
namespace {

using test::FakeFormHost;

class Form3Test : public ::testing::Test {
 protected:
  Form3Test() {
    s.SubSampleStep = -7;  // sentinels: a refused OK must not write them
    s.ThinningInterval = -7.0f;
    s.DialogCancel = "before";
    host.load();
    host.show();
  }
  // Text1 typed first (it empties Text2), then Text2 reached by the keyboard (clears nothing).
  void enter(const std::string& step, const std::string& spacing) {
    host.type("Text1", step);
    host.tabTo("Text2");
    host.type("Text2", spacing);
  }
  RunSettings s;
  Form3 form{s};
  FakeFormHost host{form3Def(), form};
};

TEST_F(Form3Test, LoadsWithStep512MetresAndNothingElse) {
  EXPECT_EQ(host.text("Text1"), "512");
  EXPECT_EQ(host.text("Text2"), "");
  EXPECT_TRUE(host.checked("Check1"));
  EXPECT_FALSE(host.checked("Check2"));
  EXPECT_FALSE(host.checked("Check3"));
  EXPECT_EQ(s.DrawUnit, "m");
  EXPECT_EQ(host.focus(), "Text1");
}

TEST_F(Form3Test, OkAtOnceStoresStep512AndNoInterval) {
  host.click("Command1");
  EXPECT_TRUE(host.unloaded());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(s.SubSampleStep, 512);
  EXPECT_EQ(s.ThinningInterval, 0.0f);
  EXPECT_EQ(s.DialogCancel, "");
}

TEST_F(Form3Test, EnterPressesOkAndEscPressesCancel) {
  host.pressEnter();
  EXPECT_TRUE(host.unloaded());
  EXPECT_EQ(s.SubSampleStep, 512);

  RunSettings other;
  Form3 second(other);
  FakeFormHost h2(form3Def(), second);
  h2.load();
  h2.show();
  h2.pressEscape();
  EXPECT_TRUE(h2.unloaded());
  EXPECT_EQ(other.DialogCancel, "Cancel");
}

struct OkCase {
  const char* step;
  const char* spacing;
  std::optional<int> acceptedStep;  // nullopt: refused with `message`
  float acceptedInterval;
  const char* message;
};

void PrintTo(const OkCase& c, std::ostream* os) {
  *os << "step \"" << c.step << "\", spacing \"" << c.spacing << '"';
}

class Form3OkTest : public Form3Test, public ::testing::WithParamInterface<OkCase> {};

TEST_P(Form3OkTest, AcceptsOrRefusesWithTheRightMessage) {
  const OkCase& c = GetParam();
  enter(c.step, c.spacing);
  host.click("Command1");
  if (c.acceptedStep) {
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(host.unloaded());
    EXPECT_EQ(s.SubSampleStep, *c.acceptedStep);
    EXPECT_EQ(s.ThinningInterval, c.acceptedInterval);
    EXPECT_EQ(s.DialogCancel, "");
  } else {
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, c.message);
    EXPECT_EQ(host.messages[0].title, "入力エラー");
    EXPECT_EQ(host.messages[0].icon, platform::MessageIcon::Error);
    EXPECT_FALSE(host.ended());
    EXPECT_EQ(host.text("Text1"), c.step);  // entries stay as typed
    EXPECT_EQ(host.text("Text2"), c.spacing);
    EXPECT_EQ(s.SubSampleStep, -7);
    EXPECT_EQ(s.ThinningInterval, -7.0f);
    EXPECT_EQ(s.DialogCancel, "before");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Form3OkTest,
    ::testing::Values(
        OkCase{"", "5", 0, 5.0f, nullptr},     // a spacing alone: step 0
        OkCase{"0", "10", 0, 10.0f, nullptr},  // step below 1 passes with a spacing
        OkCase{"1024", "", 1024, 0.0f, nullptr}, OkCase{"1", "", 1, 0.0f, nullptr},
        OkCase{"1e3", "", 1000, 0.0f, nullptr},              // an exponent is no decimal point
        OkCase{"12abc", "", 12, 0.0f, nullptr},              // the leading number counts
        OkCase{"8", "abc", 8, 0.0f, nullptr},                // a spacing that is no number is 0
        OkCase{"8", "-2.5", 8, -2.5f, nullptr},              // a negative spacing is kept
        OkCase{" 3 0 ", "", 30, 0.0f, nullptr},              // blanks inside the number are ignored
        OkCase{"", "", std::nullopt, 0, kRangeMessage},      // empty step counts as 0
        OkCase{"1025", "", std::nullopt, 0, kRangeMessage},  // over the top
        OkCase{"1025", "5", std::nullopt, 0, kRangeMessage},  // a spacing does not help
        OkCase{"2e3", "", std::nullopt, 0, kRangeMessage},
        OkCase{"0.5", "", std::nullopt, 0, kRangeMessage},    // range before the point test
        OkCase{"1.5", "", std::nullopt, 0, kIntegerMessage},  // in range, but a fraction
        OkCase{"2.5e2", "", std::nullopt, 0, kIntegerMessage},
        OkCase{"7", ".", 7, 0.0f, nullptr},  // only the step is checked for a point
        // Steps that do not fit the 16-bit setting are out of range, not an overflow.
        OkCase{"-40000", "5", std::nullopt, 0, kRangeMessage},
        OkCase{"-32768.4", "5", std::nullopt, 0, kIntegerMessage},  // fits, but a fraction
        OkCase{"-32768", "5", -32768, 5.0f, nullptr},
        // A spacing beyond the single-precision range cannot be stored.
        OkCase{"8", "1e39", std::nullopt, 0, kIntervalTooLargeMessage}),
    [](const ::testing::TestParamInfo<OkCase>& info) {
      return "step_" + test::caseName(info.param.step) + "_spacing_" +
             test::caseName(info.param.spacing);
    });

TEST_F(Form3Test, FocusGoesBackAfterEachMessage) {
  enter("1.5", "");
  host.tabTo("Command2");
  host.click("Command1");
  EXPECT_EQ(host.focus(), "Text1");

  enter("8", "1e39");
  host.click("Command1");
  EXPECT_EQ(host.focus(), "Text2");
}

TEST_F(Form3Test, TextBoxesClearEachOther) {
  enter("7", "25");
  ASSERT_EQ(host.text("Text2"), "25");  // reached by the keyboard: Text1 kept
  EXPECT_EQ(host.text("Text1"), "7");

  host.type("Text1", "70");  // typing a step drops the spacing
  EXPECT_EQ(host.text("Text2"), "");

  host.pressMouse("Text2");  // pressing on the spacing box drops the step
  EXPECT_EQ(host.text("Text1"), "");
  EXPECT_EQ(host.text("Text2"), "");
  host.type("Text2", "12");
  host.pressMouse("Text2");  // a second press keeps what was typed
  EXPECT_EQ(host.text("Text2"), "12");

  host.click("Command1");
  EXPECT_EQ(s.SubSampleStep, 0);
  EXPECT_EQ(s.ThinningInterval, 12.0f);
}

TEST_F(Form3Test, UnitPairAndQuickVariant) {
  host.click("Check2");
  EXPECT_FALSE(host.checked("Check1"));
  EXPECT_EQ(s.DrawUnit, "mm");

  host.click("Check2");  // unticking leaves both unticked and the last unit chosen
  EXPECT_FALSE(host.checked("Check1"));
  EXPECT_FALSE(host.checked("Check2"));
  EXPECT_EQ(s.DrawUnit, "mm");

  host.click("Check1");
  EXPECT_FALSE(host.checked("Check2"));
  EXPECT_EQ(s.DrawUnit, "m");

  host.click("Check3");
  EXPECT_EQ(s.QuickInterval, 1);
  host.click("Check3");
  EXPECT_EQ(s.QuickInterval, 0);
  host.click("Check3");
  host.click("Command1");
  EXPECT_EQ(s.QuickInterval, 1);
}

TEST_F(Form3Test, CancelKeepsWhatTheClicksStored) {
  host.click("Check2");
  host.click("Check3");
  host.click("Command2");
  EXPECT_TRUE(host.unloaded());
  EXPECT_EQ(s.DialogCancel, "Cancel");
  EXPECT_EQ(s.DrawUnit, "mm");
  EXPECT_EQ(s.QuickInterval, 1);
  EXPECT_EQ(s.SubSampleStep, -7);
}

TEST_F(Form3Test, CloseBoxStoresNothing) {
  host.type("Text1", "9");
  host.closeBox();
  EXPECT_EQ(s.DialogCancel, "before");
  EXPECT_EQ(s.SubSampleStep, -7);
}

TEST(Form3Load, FreshShowingResetsTheQuickVariantWithItsBox) {
  RunSettings s;
  s.QuickInterval = 1;  // left by an earlier, cancelled showing
  s.DrawUnit = "mm";
  Form3 form(s);
  FakeFormHost host(form3Def(), form);
  host.load();
  EXPECT_FALSE(host.checked("Check3"));
  EXPECT_EQ(s.QuickInterval, 0);
  EXPECT_EQ(s.DrawUnit, "m");
}

}  // namespace
}  // namespace harlowe::dialogs
