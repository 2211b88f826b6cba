#pragma once
// Form3 "SubSample Setup": how the points are thinned (every n-th point, or an equal interval in
// millimetres, quick or full) and in which unit the CAD draws them. Results go to the run
// settings: SubSampleStep, ThinningInterval, QuickInterval, DrawUnit, DialogCancel.
#include "dialogs/form_host_interface.h"
#include "import/run_settings.h"

namespace harlowe::dialogs {

const FormDef& form3Def();

inline constexpr const char* kRangeMessage = "間引率は1～1024の間の数字を入力してください。";
inline constexpr const char* kIntegerMessage = "整数を入力してください。";
inline constexpr const char* kIntervalTooLargeMessage =
    "等間隔間引きの間隔が大きすぎます。数字を入力し直してください。";
inline constexpr const char* kInputErrorTitle = "入力エラー";

class Form3 : public FormBehaviour {
 public:
  explicit Form3(RunSettings& settings) : s_(settings) {}
  void Form_Load() override;
  void dispatch(std::string_view control, FormEvent event) override;

  void Text1_Change();
  void Text2_MouseDown();
  void Check1_Click();
  void Check2_Click();
  void Check3_Click();
  void Command1_Click();
  void Command2_Click();

 private:
  void refuse(const char* message, std::string_view focus);
  RunSettings& s_;
};

}  // namespace harlowe::dialogs
