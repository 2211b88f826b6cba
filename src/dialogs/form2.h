#pragma once
// Form2, the progress window: a stage text, a navy bar and a percentage text. The converters
// drive it through platform::ProgressWindow; this is its layout and its load step.
#include "dialogs/form_host_interface.h"

namespace harlowe::dialogs {

const FormDef& form2Def();

inline constexpr std::string_view kForm2Stage = "処理中です。";

class Form2 : public FormBehaviour {
 public:
  void Form_Load() override;
  void dispatch(std::string_view, FormEvent) override {}
};

}  // namespace harlowe::dialogs
