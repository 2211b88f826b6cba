#include "dialogs/form9.h"

#include <array>
#include <string_view>

namespace harlowe::dialogs {

namespace {

constexpr FontSpec kLabelFont{kFormFace, 12.0};

// Twelve and forty-three ideographic spaces push the second and third sentence onto lines of
// their own in a label 6855 twips wide.
constexpr std::string_view kSentence1 = "以下のように設定してエクスポートしてください。";
constexpr std::string_view kSentence2 = "Saveカラー設定は行いません。";
constexpr std::string_view kSentence3 = "精度は下4桁に設定します。";
constexpr std::string_view kWideSpace = "\u3000";
constexpr auto kForm9Label1Chars = [] {
  std::array<char, kSentence1.size() + kSentence2.size() + kSentence3.size() +
                       (12 + 43) * kWideSpace.size()>
      out{};
  std::size_t at = 0;
  auto put = [&](std::string_view s, int times) {
    for (int t = 0; t < times; ++t)
      for (char ch : s) out[at++] = ch;
  };
  put(kSentence1, 1);
  put(kWideSpace, 12);
  put(kSentence2, 1);
  put(kWideSpace, 43);
  put(kSentence3, 1);
  return out;
}();
constexpr std::string_view kForm9Label1{kForm9Label1Chars.data(), kForm9Label1Chars.size()};

constexpr ControlDef kForm9Controls[] = {
    {.kind = ControlKind::Label,
     .name = "Label2",
     .left = 240,
     .top = 120,
     .width = 6855,
     .height = 330,
     .text = "ファイルの拡張子は .txt としてエクスポートします。",
     .font = kLabelFont},
    {.kind = ControlKind::Image,
     .name = "Image2",
     .left = 480,
     .top = 600,
     .width = 5760,
     .height = 1215,
     .picture = kPictureSaveTxtFields,
     .pictureWidth = 384,
     .pictureHeight = 81},
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 240,
     .top = 1920,
     .width = 6855,
     .height = 930,
     .text = kForm9Label1,
     .font = kLabelFont},
    {.kind = ControlKind::Image,
     .name = "Image1",
     .left = 960,
     .top = 2880,
     .width = 5025,
     .height = 4290,
     .picture = kPictureAsciiSaveDialog,
     .pictureWidth = 331,
     .pictureHeight = 282},
    {.kind = ControlKind::Line, .name = "Line1", .left = 4320, .top = 2760, .x2 = 4080, .y2 = 3720},
    {.kind = ControlKind::Line, .name = "Line2", .left = 4080, .top = 3720, .x2 = 4080, .y2 = 3360},
    {.kind = ControlKind::Line, .name = "Line3", .left = 4080, .top = 3720, .x2 = 4320, .y2 = 3480},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 5160,
     .top = 7320,
     .width = 1815,
     .height = 630,
     .text = "ＯＫ"},
};

constexpr std::string_view kForm9Tabs[] = {"Command1"};

constexpr FormDef kForm9{
    .name = "Form9",
    .caption = "CloudCompareでのエクスポート設定",
    .clientWidth = 7260,
    .clientHeight = 8130,
    .border = BorderStyle::Sizable,
    .showInTaskbar = true,
    .placement = Placement::Centred,
    .topmost = false,
    .controls = kForm9Controls,
    .tabOrder = kForm9Tabs,
};

constexpr ControlDef kForm9OriControls[] = {
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 150,
     .top = 120,
     .width = 6855,
     .height = 330,
     .text = "Cloud Compareでは以下のように設定してエクスポートしてください。\u3000",
     .font = kLabelFont},
    {.kind = ControlKind::Label,
     .name = "Label2",
     .left = 240,
     .top = 480,
     .width = 6735,
     .height = 330,
     .text = "ファイル形式はPLYのASCII形式で出力します。",
     .font = kLabelFont},
    {.kind = ControlKind::PictureBox,
     .name = "Picture1",
     .left = 720,
     .top = 1320,
     .width = 5745,
     .height = 2175,
     .picture = kPicturePlySave,
     .pictureWidth = 381,
     .pictureHeight = 139},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 2760,
     .top = 3720,
     .width = 1815,
     .height = 630,
     .text = "ＯＫ"},
    {.kind = ControlKind::CommandButton,
     .name = "Command2",
     .left = 4800,
     .top = 3720,
     .width = 1815,
     .height = 630,
     .text = "キャンセル"},
};

constexpr std::string_view kForm9OriTabs[] = {"Picture1", "Command1", "Command2"};

constexpr FormDef kForm9Ori{
    .name = "Form9_ori",
    .caption = "CloudCompareでのﾌｧｲﾙ設定",
    .clientWidth = 7050,
    .clientHeight = 4470,
    .border = BorderStyle::Sizable,
    .showInTaskbar = true,
    .placement = Placement::Centred,
    .topmost = false,
    .controls = kForm9OriControls,
    .tabOrder = kForm9OriTabs,
};

constexpr Handler<Form9> kForm9Handlers[] = {
    {"Command1", FormEvent::Click, &Form9::Command1_Click},
};

constexpr Handler<Form9Ori> kForm9OriHandlers[] = {
    {"Command1", FormEvent::Click, &Form9Ori::Command1_Click},
    {"Command2", FormEvent::Click, &Form9Ori::Command2_Click},
};

}  // namespace

const FormDef& form9Def() { return kForm9; }
const FormDef& form9OriDef() { return kForm9Ori; }

void Form9::dispatch(std::string_view control, FormEvent event) {
  dispatchTo(*this, kForm9Handlers, control, event);
}

void Form9::Command1_Click() { host().unload(); }

void Form9Ori::dispatch(std::string_view control, FormEvent event) {
  dispatchTo(*this, kForm9OriHandlers, control, event);
}

void Form9Ori::Command1_Click() { host().unload(); }

void Form9Ori::Command2_Click() { system_.endProgram(0); }

}  // namespace harlowe::dialogs
