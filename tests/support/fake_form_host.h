#pragma once
// A form host for native tests: it keeps the controls of a form table in memory, raises the
// events a real host raises, and lets a test act as the user (type, click, press the mouse on a
// text box, pick list entries, move the focus, press Enter or Esc, close the window). Unknown
// control names and actions on hidden controls throw, so a typo in a handler or a test that
// clicks something the user cannot reach fails loudly.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/form_host_interface.h"
#include "tests/support/fake_platform.h"

namespace harlowe::test {

class FakeFormHost : public dialogs::FormHost {
 public:
  FakeFormHost(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour);

  // Lifecycle, as a runner drives it.
  void load();  // runs Form_Load
  void show();  // the first control of the tab order takes the focus

  // The user.
  void type(std::string_view textBox, std::string_view text);  // the box now holds `text`
  void click(std::string_view control);       // button; check box (toggles first); text box
  void pressMouse(std::string_view control);  // press and release: MouseDown, then Click
  void select(std::string_view list, int index);
  void doubleClick(std::string_view list, int index);
  void tabTo(std::string_view control);  // keyboard focus: no event
  void pressEnter();
  void pressEscape();
  void closeBox();  // closed by the window's close box: no handler runs

  bool unloaded() const { return unloaded_; }
  bool closed() const { return closed_; }
  bool ended() const { return unloaded_ || closed_; }
  const std::string& focus() const { return focus_; }
  const std::vector<std::string>& items(std::string_view list) const;
  const dialogs::FormDef& form() const { return form_; }

  std::vector<MessageRecord> messages;
  std::vector<std::string> events;  // "Text1_Change", "Command1_Click", ... in the order raised

  // FormHost
  std::string text(std::string_view control) const override;
  void setText(std::string_view control, std::string_view text) override;
  bool checked(std::string_view control) const override;
  void setChecked(std::string_view control, bool ticked) override;
  bool visible(std::string_view control) const override;
  void setVisible(std::string_view control, bool visible) override;
  void listAdd(std::string_view control, std::string_view item) override;
  int listCount(std::string_view control) const override;
  int listIndex(std::string_view control) const override;
  std::string listItem(std::string_view control, int index) const override;
  void setFocus(std::string_view control) override;
  void messageBox(const std::string& text, const std::string& title,
                  platform::MessageIcon icon) override;
  void unload() override;

 private:
  struct Control {
    const dialogs::ControlDef* def = nullptr;
    std::string text;
    bool checked = false;
    bool visible = true;
    std::vector<std::string> items;
    int index = -1;
  };
  Control& at(std::string_view name, dialogs::ControlKind kind);
  Control& at(std::string_view name);
  const Control& at(std::string_view name) const;
  Control& reachable(std::string_view name);  // visible, inside a visible frame, form open
  void raise(std::string_view control, dialogs::FormEvent event);

  const dialogs::FormDef& form_;
  dialogs::FormBehaviour& behaviour_;
  std::map<std::string, Control, std::less<>> controls_;
  std::string focus_;
  bool unloaded_ = false, closed_ = false;
};

// Runs the forms that a test shows: each showing takes the next script, which plays the user.
// A showing with no script left, or whose script leaves the form open, ends by the close box.
class FakeFormRunner : public dialogs::FormRunner {
 public:
  using Script = std::function<void(FakeFormHost&)>;
  void runModal(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour,
                const std::function<void(dialogs::FormHost&)>& beforeShow) override;

  std::deque<Script> scripts;
  // "show:Form3", then "unload:Form3" or "close:Form3"; messages as "message:<text>".
  std::vector<std::string> log;
};

}  // namespace harlowe::test
