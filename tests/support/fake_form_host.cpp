#include "tests/support/fake_form_host.h"

#include <stdexcept>

namespace harlowe::test {

using dialogs::ControlKind;
using dialogs::FormEvent;

namespace {

const char* eventName(FormEvent e) {
  switch (e) {
    case FormEvent::Click:
      return "Click";
    case FormEvent::DblClick:
      return "DblClick";
    case FormEvent::Change:
      return "Change";
    case FormEvent::MouseDown:
      return "MouseDown";
  }
  return "?";
}

bool takesFocus(ControlKind k) {
  return k == ControlKind::TextBox || k == ControlKind::CheckBox || k == ControlKind::ListBox ||
         k == ControlKind::CommandButton || k == ControlKind::PictureBox;
}

}  // namespace

FakeFormHost::FakeFormHost(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour)
    : form_(form), behaviour_(behaviour) {
  for (const dialogs::ControlDef& c : form.controls) {
    Control state;
    state.def = &c;
    state.text = c.text;
    state.visible = c.visible;
    if (!controls_.emplace(std::string(c.name), state).second)
      throw std::logic_error("duplicate control " + std::string(c.name));
  }
  behaviour_.attach(*this);
}

void FakeFormHost::load() { behaviour_.Form_Load(); }

void FakeFormHost::show() {
  for (std::string_view name : form_.tabOrder) {
    const Control& c = at(name);
    bool frameVisible = c.def->container.empty() || at(c.def->container).visible;
    if (c.visible && frameVisible) {
      focus_ = name;
      return;
    }
  }
}

FakeFormHost::Control& FakeFormHost::at(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end())
    throw std::out_of_range(std::string(form_.name) + " has no control " + std::string(name));
  return it->second;
}

const FakeFormHost::Control& FakeFormHost::at(std::string_view name) const {
  auto it = controls_.find(name);
  if (it == controls_.end())
    throw std::out_of_range(std::string(form_.name) + " has no control " + std::string(name));
  return it->second;
}

FakeFormHost::Control& FakeFormHost::at(std::string_view name, ControlKind kind) {
  Control& c = at(name);
  if (c.def->kind != kind)
    throw std::logic_error(std::string(name) + " is not a control of the kind asked for");
  return c;
}

FakeFormHost::Control& FakeFormHost::reachable(std::string_view name) {
  if (ended()) throw std::logic_error("the form is no longer shown");
  Control& c = at(name);
  if (!c.visible || (!c.def->container.empty() && !at(c.def->container).visible))
    throw std::logic_error(std::string(name) + " is hidden");
  return c;
}

void FakeFormHost::raise(std::string_view control, FormEvent event) {
  events.push_back(std::string(control) + "_" + eventName(event));
  behaviour_.dispatch(control, event);
}

void FakeFormHost::type(std::string_view textBox, std::string_view text) {
  reachable(textBox);
  focus_ = textBox;
  setText(textBox, text);
}

void FakeFormHost::click(std::string_view name) {
  Control& c = reachable(name);
  if (takesFocus(c.def->kind)) focus_ = name;
  if (c.def->kind == ControlKind::CheckBox) {
    c.checked = !c.checked;
  } else if (c.def->kind != ControlKind::CommandButton && c.def->kind != ControlKind::TextBox) {
    throw std::logic_error("click on " + std::string(name));
  }
  raise(name, FormEvent::Click);
}

void FakeFormHost::pressMouse(std::string_view name) {
  Control& c = reachable(name);
  if (takesFocus(c.def->kind)) focus_ = name;
  raise(name, FormEvent::MouseDown);
  if (!ended() && c.def->kind == ControlKind::TextBox) raise(name, FormEvent::Click);
}

void FakeFormHost::select(std::string_view list, int index) {
  Control& c = reachable(list);
  if (c.def->kind != ControlKind::ListBox || index < 0 || index >= int(c.items.size()))
    throw std::logic_error("no entry " + std::to_string(index) + " in " + std::string(list));
  focus_ = list;
  c.index = index;
  raise(list, FormEvent::Click);
}

void FakeFormHost::doubleClick(std::string_view list, int index) {
  select(list, index);
  if (!ended()) raise(list, FormEvent::DblClick);
}

void FakeFormHost::tabTo(std::string_view name) {
  Control& c = reachable(name);
  if (!takesFocus(c.def->kind)) throw std::logic_error(std::string(name) + " takes no focus");
  focus_ = name;
}

void FakeFormHost::pressEnter() {
  if (ended()) throw std::logic_error("the form is no longer shown");
  if (!focus_.empty() && at(focus_).def->kind == ControlKind::CommandButton) {
    const std::string focused = focus_;
    return click(focused);
  }
  if (!form_.defaultButton.empty()) click(form_.defaultButton);
}

void FakeFormHost::pressEscape() {
  if (ended()) throw std::logic_error("the form is no longer shown");
  if (!form_.cancelButton.empty()) click(form_.cancelButton);
}

void FakeFormHost::closeBox() {
  if (ended()) throw std::logic_error("the form is no longer shown");
  if (!form_.closeButton) throw std::logic_error(std::string(form_.name) + " has no close box");
  closed_ = true;
}

const std::vector<std::string>& FakeFormHost::items(std::string_view list) const {
  return at(list).items;
}

std::string FakeFormHost::text(std::string_view control) const { return at(control).text; }

void FakeFormHost::setText(std::string_view control, std::string_view text) {
  Control& c = at(control);
  if (c.text == text) return;  // setting the same text is no change
  c.text = text;
  if (c.def->kind == ControlKind::TextBox) raise(control, FormEvent::Change);
}

bool FakeFormHost::checked(std::string_view control) const {
  const Control& c = at(control);
  if (c.def->kind != ControlKind::CheckBox) throw std::logic_error("not a check box");
  return c.checked;
}

void FakeFormHost::setChecked(std::string_view control, bool ticked) {
  Control& c = at(control, ControlKind::CheckBox);
  if (c.checked == ticked) return;
  c.checked = ticked;
  raise(control, FormEvent::Click);
}

bool FakeFormHost::visible(std::string_view control) const { return at(control).visible; }

void FakeFormHost::setVisible(std::string_view control, bool visible) {
  at(control).visible = visible;
}

void FakeFormHost::listAdd(std::string_view control, std::string_view item) {
  at(control, ControlKind::ListBox).items.emplace_back(item);
}

int FakeFormHost::listCount(std::string_view control) const {
  return static_cast<int>(at(control).items.size());
}

int FakeFormHost::listIndex(std::string_view control) const { return at(control).index; }

std::string FakeFormHost::listItem(std::string_view control, int index) const {
  const Control& c = at(control);
  if (index < 0 || index >= int(c.items.size())) throw std::out_of_range("list index");
  return c.items[index];
}

void FakeFormHost::setFocus(std::string_view control) {
  reachable(control);
  focus_ = control;
}

void FakeFormHost::messageBox(const std::string& text, const std::string& title,
                              platform::MessageIcon icon) {
  messages.push_back({text, title, icon});
}

void FakeFormHost::unload() { unloaded_ = true; }

void FakeFormRunner::runModal(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour,
                              const std::function<void(dialogs::FormHost&)>& beforeShow) {
  FakeFormHost host(form, behaviour);
  host.load();
  if (beforeShow) beforeShow(host);
  host.show();
  log.push_back("show:" + std::string(form.name));
  std::size_t seen = 0;
  auto flushMessages = [&] {
    for (; seen < host.messages.size(); ++seen)
      log.push_back("message:" + host.messages[seen].text);
  };
  if (!scripts.empty()) {
    Script script = std::move(scripts.front());
    scripts.pop_front();
    try {
      script(host);
    } catch (...) {
      flushMessages();
      throw;
    }
  }
  flushMessages();
  if (!host.ended()) host.closeBox();
  log.push_back((host.unloaded() ? "unload:" : "close:") + std::string(form.name));
}

}  // namespace harlowe::test
