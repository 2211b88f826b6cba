#pragma once
// Form4 "レイヤー選択": the layer the points are drawn on (from Lay.dat or typed) and whether the
// CAD zooms to the whole drawing at the end. Results: TargetLayer ("Cancel" when cancelled) and
// ZoomExtentsAtEnd.
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/form_host_interface.h"
#include "import/run_settings.h"
#include "platform/codepage.h"

namespace harlowe::dialogs {

const FormDef& form4Def();

inline constexpr const char* kLayerInstruction =
    "描画するレイヤーを選択するか、または新規レイヤーを入力してください。";
inline constexpr const char* kLayerChosenSuffix = "のレイヤーに描画します。";
inline constexpr const char* kNoLayerMessage =
    "レイヤーが選択されてないか、新規レイヤーが入力されていません。";
inline constexpr const char* kTargetMessage =
    "レイヤー名称に 『 Target 』 は含められません。他の名称を入力してください。";
inline constexpr const char* kPipeMessage =
    "レイヤー名称で 『 PIPE 』 は予約レイヤーの為使用出来ません。他の名称を入力してください。";
inline constexpr const char* kCenterlineMessage =
    "レイヤー名称で 『 CENTERLINE 』 "
    "は予約レイヤーの為使用出来ません。他の名称を入力してください。";
inline constexpr const char* kSagyouMessage =
    "レイヤー名称で 『 SAGYOU 』 は予約レイヤーの為使用出来ません。他の名称を入力してください。";
inline constexpr const char* kLayerFormTitle = "レイヤー選択";

// Names the CAD cannot take as they are: the script carries the name in the ANSI code page, and
// the CAD's layer names hold no control character, none of the signs below and at most 255
// characters.
inline constexpr std::size_t kLayerNameMaxCharacters = 255;
inline constexpr std::string_view kLayerNameSigns = "<>/\\\":;?*|,=`";
inline constexpr const char* kLayerControlMessage =
    "レイヤー名称に改行やタブなどの制御文字は含められません。他の名称を入力してください。";
// "レイヤー名称に 『 <the characters> 』 は含められません。" and a line break, followed by one of
// these and kLayerOtherName.
inline constexpr const char* kLayerCodePageReason =
    "Shift-JIS で表せない文字はレイヤー名称に使えません。";
inline constexpr const char* kLayerSignReason =
    "記号 < > / \\ \" : ; ? * | , = ` はレイヤー名称に使えません。";
inline constexpr const char* kLayerOtherName = "他の名称を入力してください。";

// The refusal of a name that the CAD cannot take, or nothing when it can.
std::optional<std::string> LayerNameRefusal(std::string_view name,
                                            const platform::CodePage& codePage);

class Form4 : public FormBehaviour {
 public:
  Form4(RunSettings& settings, const platform::CodePage& codePage)
      : s_(settings), codePage_(codePage) {}
  void Form_Load() override;
  void dispatch(std::string_view control, FormEvent event) override;

  void List1_Click();
  void List1_DblClick();
  void Text1_Change();
  void Text1_Click();
  void Command1_Click();
  void Command2_Click();

  // The name OK checks and stores: the last list entry selected or the last non-empty Text1.
  const std::string& chosenName() const { return chosen_; }

 private:
  void chooseFromList();
  void chooseFromText();
  RunSettings& s_;
  const platform::CodePage& codePage_;
  std::string chosen_;
};

}  // namespace harlowe::dialogs
