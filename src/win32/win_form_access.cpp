// The FormHost calls of the handlers: reading and writing the controls, focus, message boxes
// and unloading.
#include "win32/win_form_detail.h"
#include "win32/win_form_host.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using detail::windowText;
using dialogs::ControlKind;
using dialogs::FormEvent;

std::string Win32Form::text(std::string_view control) const {
  const Control& c = at(control);
  return c.hwnd ? narrow(windowText(c.hwnd)) : std::string(c.def->text);
}

void Win32Form::setText(std::string_view control, std::string_view text) {
  Control& c = at(control);
  if (!c.hwnd) return;
  std::wstring w = widen(text);
  if (windowText(c.hwnd) == w) return;  // the same text is no change
  // A text box raises its Change event from the EN_CHANGE that this sends.
  SetWindowTextW(c.hwnd, w.c_str());
  if (c.def->kind == ControlKind::Label) {
    fitFont(c);
    if (c.def->autoSize) fitLabel(c);
    InvalidateRect(c.hwnd, nullptr, FALSE);
  }
}

bool Win32Form::checked(std::string_view control) const {
  const Control& c = at(control);
  return c.hwnd && SendMessageW(c.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::setChecked(std::string_view control, bool ticked) {
  Control& c = at(control);
  if (!c.hwnd || checked(control) == ticked) return;
  SendMessageW(c.hwnd, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
  raise(c.def->name, FormEvent::Click);
}

bool Win32Form::visible(std::string_view control) const { return at(control).visible; }

void Win32Form::setVisible(std::string_view control, bool visible) {
  Control& c = at(control);
  if (c.visible == visible) return;
  c.visible = visible;
  applyVisibility();
}

void Win32Form::listAdd(std::string_view control, std::string_view item) {
  Control& c = at(control);
  std::wstring w = widen(item);
  SendMessageW(c.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

int Win32Form::listCount(std::string_view control) const {
  return static_cast<int>(SendMessageW(at(control).hwnd, LB_GETCOUNT, 0, 0));
}

int Win32Form::listIndex(std::string_view control) const {
  LRESULT i = SendMessageW(at(control).hwnd, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

std::string Win32Form::listItem(std::string_view control, int index) const {
  HWND h = at(control).hwnd;
  LRESULT n = SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == LB_ERR) return {};
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(w.data()));
  w.resize(n == LB_ERR ? 0 : static_cast<std::size_t>(n));
  return narrow(w);
}

void Win32Form::setFocus(std::string_view control) {
  Control& c = at(control);
  if (!c.hwnd) return;
  SetFocus(c.hwnd);
  lastFocus_ = c.hwnd;
}

void Win32Form::messageBox(const std::string& text, const std::string& title,
                           platform::MessageIcon icon) {
  UINT flags = MB_OK | (icon == platform::MessageIcon::Error ? MB_ICONERROR : 0);
  MessageBoxW(hwnd_, widen(text).c_str(), widen(title).c_str(), flags);
}

void Win32Form::unload() {
  unloadRequested_ = true;
  // A handler run from a sent message (a click sent by another program) returns into
  // GetMessage, which would otherwise go on waiting.
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

}  // namespace harlowe::win32
