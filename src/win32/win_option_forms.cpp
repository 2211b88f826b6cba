#include "win32/win_option_forms.h"

#include "dialogs/option_forms.h"
#include "win32/win_form_host.h"

namespace harlowe::win32 {

namespace {

class Win32OptionForms : public OptionForms {
 public:
  Win32OptionForms(platform::System& system, const platform::CodePage& codePage)
      : forms_(runner_, system, codePage) {}
  void showForm9(RunSettings& s) override { forms_.showForm9(s); }
  void showForm9Ori(RunSettings& s) override { forms_.showForm9Ori(s); }
  void showForm3(RunSettings& s, bool hideFrame2) override { forms_.showForm3(s, hideFrame2); }
  void showForm4(RunSettings& s) override { forms_.showForm4(s); }

 private:
  Win32FormRunner runner_;
  dialogs::FormOptionForms forms_;
};

}  // namespace

std::unique_ptr<OptionForms> makeWin32OptionForms(platform::System& system,
                                                  const platform::CodePage& codePage) {
  return std::make_unique<Win32OptionForms>(system, codePage);
}

}  // namespace harlowe::win32
