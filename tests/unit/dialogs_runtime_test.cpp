#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "dialogs/form2.h"
#include "dialogs/form3.h"
#include "dialogs/form4.h"
#include "dialogs/form9.h"
#include "dialogs/label_wrap.h"
#include "dialogs/option_forms.h"
#include "dialogs/placement.h"
#include "dialogs/progress_bar.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_form_host.h"
#include "tests/support/fake_platform.h"

namespace harlowe::dialogs {
namespace {

const FormDef* const kForms[] = {&form2Def(), &form3Def(), &form4Def(), &form9Def(),
                                 &form9OriDef()};

bool inside(const TwipsRect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}

// The tables are what the hosts build windows from: a misplaced control or a tab order naming a
// control that cannot take the focus would only show up on screen.
TEST(FormTables, ControlsAreConsistentAndFitTheirContainers) {
  for (const FormDef* f : kForms) {
    SCOPED_TRACE(std::string(f->name));
    std::set<std::string_view> names;
    for (const ControlDef& c : f->controls) {
      SCOPED_TRACE(std::string(c.name));
      EXPECT_TRUE(names.insert(c.name).second) << "duplicate name";
      if (c.kind == ControlKind::Line) {
        for (auto [x, y] : {std::pair{c.left, c.top}, std::pair{c.x2, c.y2}}) {
          EXPECT_TRUE(x >= 0 && y >= 0 && x <= f->clientWidth && y <= f->clientHeight);
        }
        continue;
      }
      EXPECT_TRUE(inside(formRect(*f, c), f->clientWidth, f->clientHeight));
      if (!c.container.empty()) {
        const ControlDef* frame = findControl(*f, c.container);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->kind, ControlKind::Frame);
        EXPECT_TRUE(inside({c.left, c.top, c.width, c.height}, frame->width, frame->height));
      }
      if (c.kind == ControlKind::Image) {  // drawn at its own size: it must fit
        EXPECT_LE(c.pictureWidth * 15, c.width);
        EXPECT_LE(c.pictureHeight * 15, c.height);
      }
      if (c.kind == ControlKind::Image || c.kind == ControlKind::PictureBox) {
        EXPECT_TRUE(c.picture.empty() || (c.pictureWidth > 0 && c.pictureHeight > 0));
      }
    }
    for (std::string_view t : f->tabOrder) {
      const ControlDef* c = findControl(*f, t);
      ASSERT_NE(c, nullptr) << t;
      EXPECT_TRUE(c->kind == ControlKind::TextBox || c->kind == ControlKind::CheckBox ||
                  c->kind == ControlKind::ListBox || c->kind == ControlKind::CommandButton ||
                  c->kind == ControlKind::PictureBox)
          << t;
    }
    for (std::string_view b : {f->defaultButton, f->cancelButton}) {
      if (b.empty()) continue;
      const ControlDef* c = findControl(*f, b);
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(c->kind, ControlKind::CommandButton);
    }
  }
}

TEST(FormTables, PlacementAndWindowKind) {
  EXPECT_EQ(form2Def().placement, Placement::TopThird);
  EXPECT_EQ(form4Def().placement, Placement::TopThird);
  EXPECT_EQ(form3Def().placement, Placement::Centred);
  for (const FormDef* f : {&form2Def(), &form3Def(), &form4Def()}) {
    EXPECT_TRUE(f->topmost);
    EXPECT_FALSE(f->showInTaskbar);
    EXPECT_EQ(f->border, BorderStyle::FixedDialog);
  }
  for (const FormDef* f : {&form9Def(), &form9OriDef()}) {
    EXPECT_FALSE(f->topmost);
    EXPECT_TRUE(f->showInTaskbar);
    EXPECT_EQ(f->border, BorderStyle::Sizable);
    EXPECT_TRUE(f->defaultButton.empty() && f->cancelButton.empty());
  }
}

TEST(FormTables, GuidanceTextKeepsItsIdeographicSpaces) {
  std::string expected = "以下のように設定してエクスポートしてください。";
  for (int i = 0; i < 12; ++i) expected += "\u3000";
  expected += "Saveカラー設定は行いません。";
  for (int i = 0; i < 43; ++i) expected += "\u3000";
  expected += "精度は下4桁に設定します。";
  EXPECT_EQ(findControl(form9Def(), "Label1")->text, expected);
  EXPECT_EQ(findControl(form9OriDef(), "Label1")->text,
            "Cloud Compareでは以下のように設定してエクスポートしてください。\u3000");
}

TEST(Placement, CentredAndTopThirdWithTruncatingDivision) {
  Position p = placeForm(Placement::Centred, 28800, 16200, 4500, 5001);
  EXPECT_EQ(p.left, 14400 - 2250);
  EXPECT_EQ(p.top, 8100 - 2500);
  p = placeForm(Placement::TopThird, 28800, 16201, 4501, 2000);
  EXPECT_EQ(p.left, 14400 - 2250);
  EXPECT_EQ(p.top, 5400 - 1000);
  p = placeForm(Placement::Centred, 1000, 1000, 3001, 3001);  // larger than the screen
  EXPECT_EQ(p.left, 500 - 1500);
  EXPECT_EQ(p.top, 500 - 1500);
}

TEST(Placement, ScreensBeyondSixteenBitsOfTwips) {
  // 3840 × 2160 pixels at 96 dots per inch.
  Position p = placeForm(Placement::Centred, 57600, 32400, 4500, 5000);
  EXPECT_EQ(p.left, 26550);
  EXPECT_EQ(p.top, 13700);
  p = placeForm(Placement::TopThird, 115200, 64800, 4500, 5000);
  EXPECT_EQ(p.left, 55350);
  EXPECT_EQ(p.top, 19100);
}

TEST(Twips, ToPixelsAtTheScreenResolution) {
  EXPECT_EQ(twipsToPixels(1440, 96), 96);
  EXPECT_EQ(twipsToPixels(15, 96), 1);
  EXPECT_EQ(twipsToPixels(1410, 96), 94);
  EXPECT_EQ(twipsToPixels(1410, 120), 118);  // 117.5
  EXPECT_EQ(twipsToPixels(4215, 144), 422);  // 421.5
  EXPECT_EQ(pixelsToTwips(1920, 96), 28800);
}

TEST(ProgressBarTest, OnlyGrowsAndShowsTheFullBarAboveOne) {
  ProgressBar bar;
  EXPECT_EQ(bar.pixels(277), 0);
  bar.draw(0.0625);
  EXPECT_EQ(bar.pixels(277), 17);  // 17.3
  bar.draw(0.5);
  bar.draw(0.25);  // a narrower box over a wider one changes nothing
  EXPECT_EQ(bar.pixels(277), 139);
  bar.draw(1.4);
  EXPECT_EQ(bar.pixels(277), 277);
  bar.clear();
  EXPECT_EQ(bar.pixels(277), 0);
  bar.draw(-0.5);
  EXPECT_EQ(bar.pixels(277), 0);
}

// Each character is one unit wide, a wide (Japanese) character two.
std::vector<std::u32string> wrap(std::u32string_view text, int width) {
  auto measure = [&](std::size_t b, std::size_t e) {
    int w = 0;
    for (std::size_t i = b; i < e; ++i) w += text[i] >= 0x2E80 ? 2 : 1;
    return w;
  };
  std::vector<std::u32string> out;
  for (LineRange r : wrapLines(text, width, measure))
    out.emplace_back(text.substr(r.begin, r.end - r.begin));
  return out;
}

TEST(LabelWrap, BreaksAtBlanksBetweenWideCharactersAndInsideLongWords) {
  using L = std::vector<std::u32string>;
  EXPECT_EQ(wrap(U"hello world", 7), (L{U"hello", U"world"}));
  EXPECT_EQ(wrap(U"abcdefghij", 4), (L{U"abcd", U"efgh", U"ij"}));
  EXPECT_EQ(wrap(U"あいうえお", 6), (L{U"あいう", U"えお"}));
  EXPECT_EQ(wrap(U"あいう。", 6), (L{U"あい", U"う。"}));  // no line starts with "。"
  EXPECT_EQ(wrap(U"ab\ncd", 10), (L{U"ab", U"cd"}));
  EXPECT_EQ(wrap(U"fits", 10), (L{U"fits"}));
  EXPECT_EQ(wrap(U"", 10), L{});
}

TEST(LabelWrap, IdeographicSpacesHangSoTheGuidanceFallsIntoThreeLines) {
  // The guidance label of the text export window at 12 pt: 16 pixels a wide character,
  // 8 an ASCII one (here 2 and 1 units), 457 pixels wide (57 units).
  std::u32string text = U"以下のように設定してエクスポートしてください。";
  text += std::u32string(12, U'\u3000') + U"Saveカラー設定は行いません。";
  text += std::u32string(43, U'\u3000') + U"精度は下4桁に設定します。";
  auto lines = wrap(text, 57);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], U"以下のように設定してエクスポートしてください。");
  EXPECT_EQ(lines[1], U"Saveカラー設定は行いません。");
  EXPECT_EQ(lines[2], U"精度は下4桁に設定します。");
}

TEST(Form2Test, LoadClearsThePercentTextAndKeepsTheStageText) {
  Form2 form;
  test::FakeFormHost host(form2Def(), form);
  host.setText("Label2", "50% 終了");
  host.load();
  EXPECT_EQ(host.text("Label2"), "");
  EXPECT_EQ(host.text("Label1"), "処理中です。");
}

class OptionFormsTest : public ::testing::Test {
 protected:
  test::EventLog events;
  test::FakeSystem system{events};
  test::Cp932CodePage codePage;
  test::FakeFormRunner runner;
  FormOptionForms forms{runner, system, codePage};
  RunSettings s;
};

TEST_F(OptionFormsTest, Form3ForPtxInputHidesTheEqualIntervalFrame) {
  runner.scripts.push_back([](test::FakeFormHost& h) {
    EXPECT_FALSE(h.visible("Frame2"));
    EXPECT_THROW(h.pressMouse("Text2"), std::logic_error);  // out of the user's reach
    h.click("Command1");
  });
  runner.scripts.push_back([](test::FakeFormHost& h) {
    EXPECT_TRUE(h.visible("Frame2"));
    h.click("Command2");
  });
  forms.showForm3(s, true);
  EXPECT_EQ(s.SubSampleStep, 512);
  EXPECT_EQ(s.ThinningInterval, 0.0f);
  forms.showForm3(s, false);
  EXPECT_EQ(s.DialogCancel, "Cancel");
  EXPECT_EQ(runner.log,
            (std::vector<std::string>{"show:Form3", "unload:Form3", "show:Form3", "unload:Form3"}));
}

TEST_F(OptionFormsTest, GuidanceWindows) {
  runner.scripts.push_back([](test::FakeFormHost& h) {
    EXPECT_EQ(h.focus(), "Command1");
    h.pressEnter();  // the focused OK acknowledges
  });
  runner.scripts.push_back([](test::FakeFormHost& h) {
    EXPECT_EQ(h.focus(), "Picture1");
    h.pressEnter();   // nothing: no default button and the picture has the focus
    h.pressEscape();  // nothing: no cancel button
    EXPECT_FALSE(h.ended());
    h.click("Command1");
  });
  forms.showForm9(s);
  forms.showForm9Ori(s);
  EXPECT_EQ(runner.log, (std::vector<std::string>{"show:Form9", "unload:Form9", "show:Form9_ori",
                                                  "unload:Form9_ori"}));
}

TEST_F(OptionFormsTest, Form9OriCancelEndsTheProgramAtOnce) {
  runner.scripts.push_back([](test::FakeFormHost& h) { h.click("Command2"); });
  EXPECT_THROW(forms.showForm9Ori(s), test::ProgramEnded);
  EXPECT_EQ(events, (test::EventLog{"end:0"}));
}

TEST_F(OptionFormsTest, Form4ReadsLayDatFromTheProgramFolder) {
  s.AppDir = "/nonexistent-h4/";
  runner.scripts.push_back([](test::FakeFormHost& h) {
    EXPECT_TRUE(h.items("List1").empty());
    h.type("Text1", "L1");
    h.click("Command1");
  });
  forms.showForm4(s);
  EXPECT_EQ(s.TargetLayer, "L1");
  forms.showForm4(s);  // no script left: closed by its close box, nothing stored
  EXPECT_EQ(s.TargetLayer, "L1");
  EXPECT_EQ(runner.log.back(), "close:Form4");
}

}  // namespace
}  // namespace harlowe::dialogs
