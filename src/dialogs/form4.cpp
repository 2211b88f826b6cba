#include "dialogs/form4.h"

#include "common/number_text.h"
#include "common/text_util.h"
#include "dialogs/layer_list.h"
#include "dialogs/narrow_text.h"

namespace harlowe::dialogs {

namespace {

constexpr ControlDef kControls[] = {
    {.kind = ControlKind::Label,
     .name = "Label7",
     .left = 135,
     .top = 105,
     .width = 5385,
     .height = 345},
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 450,
     .top = 555,
     .width = 4335,
     .height = 285,
     .text = "描画するレイヤーを選択して下さい。",
     .font = {kFormFace, 14.25},
     .autoSize = true},
    {.kind = ControlKind::Label,
     .name = "Label3",
     .left = 210,
     .top = 1035,
     .width = 5010,
     .height = 180,
     .text = kLayerInstruction,
     .autoSize = true},
    {.kind = ControlKind::Label,
     .name = "Label6",
     .left = 210,
     .top = 1275,
     .width = 2520,
     .height = 180,
     .text = "レイヤーの色も指定してください。",
     .autoSize = true},
    {.kind = ControlKind::Label,
     .name = "Label5",
     .left = 210,
     .top = 1590,
     .width = 660,
     .height = 240,
     .font = {kFormFace, 12.0},
     .autoSize = true},
    {.kind = ControlKind::Frame,
     .name = "Frame1",
     .left = 90,
     .top = 1995,
     .width = 5415,
     .height = 2055,
     .text = "現在のレイヤー情報"},
    // Positioned on the form, inside the frame's box.
    {.kind = ControlKind::ListBox,
     .name = "List1",
     .left = 210,
     .top = 2235,
     .width = 5175,
     .height = 1680},
    {.kind = ControlKind::Label,
     .name = "Label4",
     .left = 210,
     .top = 4275,
     .width = 1020,
     .height = 180,
     .text = "新規レイヤー",
     .autoSize = true},
    {.kind = ControlKind::TextBox,
     .name = "Text1",
     .left = 1410,
     .top = 4155,
     .width = 2535,
     .height = 375},
    {.kind = ControlKind::CheckBox,
     .name = "Check1",
     .left = 120,
     .top = 4920,
     .width = 2775,
     .height = 255,
     .text = "描画終了時全体図を表示する"},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 2610,
     .top = 5400,
     .width = 1215,
     .height = 375,
     .text = "OK"},
    {.kind = ControlKind::CommandButton,
     .name = "Command2",
     .left = 4080,
     .top = 5400,
     .width = 1215,
     .height = 375,
     .text = "キャンセル"},
};

constexpr std::string_view kTabOrder[] = {"List1", "Command1", "Command2", "Text1", "Check1"};

constexpr FormDef kForm{
    .name = "Form4",
    .caption = "レイヤー選択",
    .clientWidth = 5625,
    .clientHeight = 6135,
    .border = BorderStyle::FixedDialog,
    .showInTaskbar = false,
    .placement = Placement::TopThird,
    .topmost = true,
    .controls = kControls,
    .tabOrder = kTabOrder,
    .defaultButton = "Command1",
    .cancelButton = "Command2",
};

constexpr Handler<Form4> kHandlers[] = {
    {"List1", FormEvent::Click, &Form4::List1_Click},
    {"List1", FormEvent::DblClick, &Form4::List1_DblClick},
    {"Text1", FormEvent::Change, &Form4::Text1_Change},
    {"Text1", FormEvent::Click, &Form4::Text1_Click},
    {"Command1", FormEvent::Click, &Form4::Command1_Click},
    {"Command2", FormEvent::Click, &Form4::Command2_Click},
};

}  // namespace

const FormDef& form4Def() { return kForm; }

std::optional<std::string> LayerNameRefusal(std::string_view name,
                                            const platform::CodePage& codePage) {
  std::string lost, signs;  // the characters found, each once, with a blank between them
  auto note = [](std::string& found, std::string_view character) {
    if (found.find(character) != std::string::npos) return;
    if (!found.empty()) found += ' ';
    found += character;
  };
  bool control = false;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++characters) {
    char32_t c = 0;
    std::size_t n = text::decodeUtf8(name, i, c);
    if (n == 0) n = 1;  // not UTF-8: the code page cannot hold it either
    const std::string_view character = name.substr(i, n);
    i += n;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      control = true;
    } else if (c < 0x80) {
      if (kLayerNameSigns.find(static_cast<char>(c)) != std::string_view::npos)
        note(signs, character);
    } else if (codePage.fromAnsi(codePage.toAnsi(character)) != character) {
      note(lost, character);  // it would reach the CAD as "?" or as another character
    }
  }
  const auto refuse = [](const std::string& found, const char* reason) {
    return "レイヤー名称に 『 " + found + " 』 は含められません。\n" + reason + kLayerOtherName;
  };
  if (control) return std::string(kLayerControlMessage);
  if (!lost.empty()) return refuse(lost, kLayerCodePageReason);
  if (!signs.empty()) return refuse(signs, kLayerSignReason);
  if (characters > kLayerNameMaxCharacters) {
    return "レイヤー名称は " + text::decimal(static_cast<std::int64_t>(kLayerNameMaxCharacters)) +
           " 文字までです（入力された名称は " +
           text::decimal(static_cast<std::int64_t>(characters)) + " 文字）。" + kLayerOtherName;
  }
  return std::nullopt;
}

void Form4::dispatch(std::string_view control, FormEvent event) {
  dispatchTo(*this, kHandlers, control, event);
}

void Form4::Form_Load() {
  // Every item passes through TargetLayer on its way into the list, so a form closed by its
  // close box leaves the last item there.
  for (const std::string& item : readLayerFile(s_.AppDir + "Lay.dat", codePage_)) {
    s_.TargetLayer = item;
    host().listAdd("List1", item);
  }
  host().setText("Label7", s_.InputFileLabel);
  chosen_.clear();
  host().setText("Label3", kLayerInstruction);
  host().setText("Label5", "");
}

void Form4::chooseFromList() {
  int index = host().listIndex("List1");
  if (index < 0) return;
  chosen_ = host().listItem("List1", index);
  host().setText("Label5", chosen_ + kLayerChosenSuffix);
}

void Form4::chooseFromText() {
  std::string typed = host().text("Text1");
  if (typed.empty()) {
    host().setText("Label5", "");
    return;
  }
  chosen_ = typed;
  host().setText("Label5", chosen_ + kLayerChosenSuffix);
}

void Form4::List1_Click() { chooseFromList(); }
void Form4::List1_DblClick() { chooseFromList(); }
void Form4::Text1_Change() { chooseFromText(); }
void Form4::Text1_Click() { chooseFromText(); }

void Form4::Command1_Click() {
  if (chosen_.empty()) {
    host().messageBox(kNoLayerMessage, platform::kAppTitle, platform::MessageIcon::None);
    return;
  }
  const std::string n = upperAscii(narrowText(chosen_));
  const char* refusal = nullptr;
  if (n.find("TARGET") != std::string::npos)
    refusal = kTargetMessage;
  else if (n == "PIPE")
    refusal = kPipeMessage;
  else if (n == "CENTERLINE")
    refusal = kCenterlineMessage;
  else if (n == "SAGYOU")
    refusal = kSagyouMessage;
  if (refusal) {
    host().messageBox(refusal, kLayerFormTitle, platform::MessageIcon::Error);
    return;
  }
  if (const auto refused = LayerNameRefusal(chosen_, codePage_)) {
    host().messageBox(*refused, kLayerFormTitle, platform::MessageIcon::Error);
    return;
  }
  s_.ZoomExtentsAtEnd = host().checked("Check1") ? 1 : 0;
  s_.TargetLayer = chosen_;
  host().unload();
}

void Form4::Command2_Click() {
  s_.TargetLayer = kCancelMarker;
  host().unload();
}

}  // namespace harlowe::dialogs
