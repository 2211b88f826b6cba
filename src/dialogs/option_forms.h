#pragma once
// The option forms of a run, shown one at a time through a form runner (the Win32 host in the
// program, the fake host in the tests).
#include "dialogs/form_host_interface.h"
#include "import/services.h"

namespace harlowe::dialogs {

class FormOptionForms : public OptionForms {
 public:
  FormOptionForms(FormRunner& runner, platform::System& system, const platform::CodePage& codePage)
      : runner_(runner), system_(system), codePage_(codePage) {}
  void showForm9(RunSettings& s) override;
  void showForm9Ori(RunSettings& s) override;
  void showForm3(RunSettings& s, bool hideFrame2) override;
  void showForm4(RunSettings& s) override;

 private:
  FormRunner& runner_;
  platform::System& system_;
  const platform::CodePage& codePage_;
};

}  // namespace harlowe::dialogs
