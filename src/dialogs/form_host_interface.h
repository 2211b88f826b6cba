#pragma once
// The seam between a form's behaviour and the window that shows it. Handlers read and write the
// controls only through FormHost, so the same behaviour runs in the Win32 host and in the fake
// host of the unit tests.
//
// Host rules that handlers rely on (as in a classic form runtime):
// - setText on a text box whose text actually changes raises its Change event;
// - setChecked that changes a check box raises its Click event;
// - events raised from a handler run at once, nested inside it;
// - unload() ends the form after the running handler returns.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "dialogs/form_model.h"
#include "platform/ui.h"

namespace harlowe::dialogs {

enum class FormEvent { Click, DblClick, Change, MouseDown };

class FormHost {
 public:
  virtual ~FormHost() = default;
  virtual std::string text(std::string_view control) const = 0;
  virtual void setText(std::string_view control, std::string_view text) = 0;
  virtual bool checked(std::string_view control) const = 0;
  virtual void setChecked(std::string_view control, bool ticked) = 0;
  virtual bool visible(std::string_view control) const = 0;
  virtual void setVisible(std::string_view control, bool visible) = 0;  // a frame hides its content
  virtual void listAdd(std::string_view control, std::string_view item) = 0;
  virtual int listCount(std::string_view control) const = 0;
  virtual int listIndex(std::string_view control) const = 0;  // -1 when nothing is selected
  virtual std::string listItem(std::string_view control, int index) const = 0;
  virtual void setFocus(std::string_view control) = 0;
  // An OK-only message box, modal to the form.
  virtual void messageBox(const std::string& text, const std::string& title,
                          platform::MessageIcon icon) = 0;
  virtual void unload() = 0;
};

class FormBehaviour {
 public:
  virtual ~FormBehaviour() = default;
  void attach(FormHost& host) { host_ = &host; }
  // The load step, after the host has placed the window and before it is shown.
  virtual void Form_Load() {}
  // Runs the handler named after the control and the event, if the form has one.
  virtual void dispatch(std::string_view control, FormEvent event) = 0;

 protected:
  FormHost& host() const { return *host_; }

 private:
  FormHost* host_ = nullptr;
};

// One row of a form's handler table: Command1 + Click -> &Form3::Command1_Click.
template <class Form>
struct Handler {
  std::string_view control;
  FormEvent event;
  void (Form::*run)();
};

template <class Form, std::size_t N>
void dispatchTo(Form& form, const Handler<Form> (&table)[N], std::string_view control,
                FormEvent event) {
  for (const Handler<Form>& h : table)
    if (h.control == control && h.event == event) return (form.*h.run)();
}

// Shows forms modally: loads the form (placement, then Form_Load), lets beforeShow change it
// (the caller hides a frame this way), shows it and returns when it is unloaded or closed.
class FormRunner {
 public:
  virtual ~FormRunner() = default;
  virtual void runModal(const FormDef& form, FormBehaviour& behaviour,
                        const std::function<void(FormHost&)>& beforeShow = {}) = 0;
};

}  // namespace harlowe::dialogs
