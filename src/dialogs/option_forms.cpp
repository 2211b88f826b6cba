#include "dialogs/option_forms.h"

#include "dialogs/form3.h"
#include "dialogs/form4.h"
#include "dialogs/form9.h"

namespace harlowe::dialogs {

void FormOptionForms::showForm9(RunSettings&) {
  Form9 form;
  runner_.runModal(form9Def(), form);
}

void FormOptionForms::showForm9Ori(RunSettings&) {
  Form9Ori form(system_);
  runner_.runModal(form9OriDef(), form);
}

void FormOptionForms::showForm3(RunSettings& s, bool hideFrame2) {
  Form3 form(s);
  runner_.runModal(form3Def(), form, [hideFrame2](FormHost& host) {
    if (hideFrame2) host.setVisible("Frame2", false);
  });
}

void FormOptionForms::showForm4(RunSettings& s) {
  Form4 form(s, codePage_);
  runner_.runModal(form4Def(), form);
}

}  // namespace harlowe::dialogs
