#include "dialogs/form3.h"

#include "common/number_text.h"

namespace harlowe::dialogs {

namespace {

constexpr FontSpec kTitleFont{kFormFace, 14.25, true};

constexpr ControlDef kControls[] = {
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 360,
     .top = 240,
     .width = 3645,
     .height = 285,
     .text = "点群の間引率を設定します。",
     .font = kTitleFont},
    {.kind = ControlKind::Label,
     .name = "Label3",
     .left = 240,
     .top = 840,
     .width = 4020,
     .height = 180,
     .text = "間引きとは？：点群データを ｎ 個 置きに取得します。"},
    {.kind = ControlKind::Label,
     .name = "Label2",
     .left = 600,
     .top = 1320,
     .width = 1125,
     .height = 240,
     .text = "SubSample",
     .font = {kFormFace, 12.0}},
    {.kind = ControlKind::TextBox,
     .name = "Text1",
     .left = 1920,
     .top = 1320,
     .width = 855,
     .height = 375,
     .font = {kFormFace, 11.25},
     .toolTip = "半角数字で入力してください。"},
    {.kind = ControlKind::Label,
     .name = "Label5",
     .left = 3000,
     .top = 1440,
     .width = 750,
     .height = 180,
     .text = "(1～1024)"},
    {.kind = ControlKind::Frame,
     .name = "Frame2",
     .left = 120,
     .top = 1800,
     .width = 3975,
     .height = 1095,
     .text = "等間隔間引き"},
    {.kind = ControlKind::TextBox,
     .name = "Text2",
     .container = "Frame2",
     .left = 960,
     .top = 240,
     .width = 1215,
     .height = 270},
    {.kind = ControlKind::Label,
     .name = "Label4",
     .container = "Frame2",
     .left = 2280,
     .top = 240,
     .width = 495,
     .height = 255,
     .text = "mm"},
    {.kind = ControlKind::CheckBox,
     .name = "Check3",
     .container = "Frame2",
     .left = 960,
     .top = 600,
     .width = 1935,
     .height = 255,
     .text = "簡易等間隔を利用"},
    {.kind = ControlKind::Frame,
     .name = "Frame1",
     .left = 120,
     .top = 3000,
     .width = 3975,
     .height = 1095,
     .text = "描画の単位"},
    {.kind = ControlKind::CheckBox,
     .name = "Check1",
     .container = "Frame1",
     .left = 240,
     .top = 360,
     .width = 1455,
     .height = 375,
     .text = "メーター（ｍ）"},
    {.kind = ControlKind::CheckBox,
     .name = "Check2",
     .container = "Frame1",
     .left = 1920,
     .top = 360,
     .width = 1815,
     .height = 375,
     .text = "ミリメーター（ｍｍ）"},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 1440,
     .top = 4320,
     .width = 1215,
     .height = 375,
     .text = "OK"},
    {.kind = ControlKind::CommandButton,
     .name = "Command2",
     .left = 2760,
     .top = 4320,
     .width = 1215,
     .height = 375,
     .text = "Cancel"},
};

constexpr std::string_view kTabOrder[] = {"Text1",  "Command1", "Command2", "Check1",
                                          "Check2", "Text2",    "Check3"};

constexpr FormDef kForm{
    .name = "Form3",
    .caption = "SubSample Setup",
    .clientWidth = 4320,
    .clientHeight = 4905,
    .border = BorderStyle::FixedDialog,
    .showInTaskbar = false,
    .placement = Placement::Centred,
    .topmost = true,
    .controls = kControls,
    .tabOrder = kTabOrder,
    .defaultButton = "Command1",
    .cancelButton = "Command2",
};

constexpr Handler<Form3> kHandlers[] = {
    {"Text1", FormEvent::Change, &Form3::Text1_Change},
    {"Text2", FormEvent::MouseDown, &Form3::Text2_MouseDown},
    {"Check1", FormEvent::Click, &Form3::Check1_Click},
    {"Check2", FormEvent::Click, &Form3::Check2_Click},
    {"Check3", FormEvent::Click, &Form3::Check3_Click},
    {"Command1", FormEvent::Click, &Form3::Command1_Click},
    {"Command2", FormEvent::Click, &Form3::Command2_Click},
};

}  // namespace

const FormDef& form3Def() { return kForm; }

void Form3::dispatch(std::string_view control, FormEvent event) {
  dispatchTo(*this, kHandlers, control, event);
}

void Form3::Form_Load() {
  host().setText("Text1", text::decimal(1024 / 2));
  host().setChecked("Check1", true);
  s_.DrawUnit = std::string("m");
  // The quick-variant box starts unticked at every showing; the setting follows it, so a
  // cancelled earlier showing cannot leave the quick converter selected behind an empty box.
  s_.QuickInterval = 0;
}

// The two boxes exclude each other: a step typed into Text1 drops the spacing, and pressing on
// Text2 to type a spacing drops the step (which, through this handler, empties Text2 as well).
void Form3::Text1_Change() { host().setText("Text2", ""); }

void Form3::Text2_MouseDown() { host().setText("Text1", ""); }

void Form3::Check1_Click() {
  if (!host().checked("Check1")) return;
  host().setChecked("Check2", false);
  s_.DrawUnit = std::string("m");
}

void Form3::Check2_Click() {
  if (!host().checked("Check2")) return;
  host().setChecked("Check1", false);
  s_.DrawUnit = std::string("mm");
}

void Form3::Check3_Click() { s_.QuickInterval = host().checked("Check3") ? 1 : 0; }

void Form3::refuse(const char* message, std::string_view focus) {
  host().messageBox(message, kInputErrorTitle, platform::MessageIcon::Error);
  host().setFocus(focus);
}

void Form3::Command1_Click() {
  const std::string step = host().text("Text1");
  const std::string spacing = host().text("Text2");
  const double n = text::leadingNumber(step);
  // A step that does not fit the 16-bit setting is out of range as well (only reachable with a
  // spacing entered, e.g. -40000).
  const auto rounded = text::roundToInt16(n);
  if ((spacing.empty() && n < 1) || n > 1024 || !rounded) return refuse(kRangeMessage, "Text1");
  if (step.find('.') != std::string::npos) return refuse(kIntegerMessage, "Text1");
  const auto interval = text::toFloat32(text::leadingNumber(spacing));
  if (!interval) return refuse(kIntervalTooLargeMessage, "Text2");

  s_.SubSampleStep = *rounded;
  s_.ThinningInterval = *interval;
  s_.DialogCancel.clear();
  host().unload();
}

void Form3::Command2_Click() {
  s_.DialogCancel = kCancelMarker;
  host().unload();
}

}  // namespace harlowe::dialogs
