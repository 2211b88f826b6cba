// Message routing: control notifications become the form's events; the form's own messages
// (default button, colours, focus, close box); the subclassed text boxes and frames, and the
// picture box class.
#include "win32/win_form_host.h"

namespace harlowe::win32 {

using dialogs::ControlKind;
using dialogs::FormEvent;

void Win32Form::raise(std::string_view control, FormEvent event) {
  if (quiet_ || unloadRequested_ || closed_ || !behaviour_) return;
  behaviour_->dispatch(control, event);
}

void Win32Form::onCommand(HWND from, int id, int code) {
  Control* c = byWindow(from);
  if (!c) {
    // Esc in the dialog manager; Enter without a default button (IDOK) does nothing.
    if (id == IDCANCEL && !form_.cancelButton.empty()) raise(form_.cancelButton, FormEvent::Click);
    return;
  }
  const std::string_view name = c->def->name;
  switch (c->def->kind) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) raise(name, FormEvent::Click);
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) raise(name, FormEvent::Change);
      break;
    case ControlKind::ListBox:
      if (code == LBN_SELCHANGE) raise(name, FormEvent::Click);
      if (code == LBN_DBLCLK) raise(name, FormEvent::DblClick);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK Win32Form::formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    auto* self = static_cast<Win32Form*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->handle(msg, wp, lp);
}

LRESULT Win32Form::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      onCommand(reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp));
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused button, else the form's default button.
      Control* focused = byWindow(GetFocus());
      if (focused && focused->def->kind == ControlKind::CommandButton)
        return MAKELRESULT(focused->id, DC_HASDEFID);
      if (!form_.defaultButton.empty()) return MAKELRESULT(at(form_.defaultButton).id, DC_HASDEFID);
      return 0;
    }
    case DM_SETDEFID:
      return TRUE;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_STATIC) drawLabel(*item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      paintForm(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ACTIVATE:
      // Keep the focus on the control that had it, as a dialog does, when a message box closes.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) lastFocus_ = f;
      } else if (lastFocus_ && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (lastFocus_ && IsWindow(lastFocus_)) SetFocus(lastFocus_);
      return 0;
    case WM_CLOSE:
      // The close box runs no handler; a form without one (the progress window) stays.
      if (form_.closeButton) {
        closed_ = true;
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop when this came sent
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Win32Form::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  Control* c = self ? self->byWindow(hwnd) : nullptr;
  if (!c || !c->baseProc) return DefWindowProcW(hwnd, msg, wp, lp);
  if (c->def->kind == ControlKind::Frame) {
    // Frames paint themselves whole: the group box of the system leaves its inside unpainted,
    // and the form does not paint under its children.
    if (msg == WM_PAINT) {
      self->paintFrame(*c, hwnd);
      return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return CallWindowProcW(c->baseProc, hwnd, msg, wp, lp);
  }
  std::string_view name = c->def->name;
  LRESULT r = CallWindowProcW(c->baseProc, hwnd, msg, wp, lp);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      self->raise(name, FormEvent::MouseDown);
      break;
    case WM_LBUTTONUP:
      self->raise(name, FormEvent::Click);
      break;
    default:
      break;
  }
  return r;
}

LRESULT CALLBACK Win32Form::pictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  Control* c = self ? self->byWindow(hwnd) : nullptr;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      if (c) {
        self->paintPicture(*c, dc, client);
      } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace harlowe::win32
