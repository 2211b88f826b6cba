// The child windows built from the form table (z-order, tab order, classes and styles, the name
// property, tool tips), their visibility inside frames and the look-up by name or window.
#include <windows.h>
// (after windows.h, whose types it uses)
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "win32/win_form_detail.h"
#include "win32/win_form_host.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using detail::instance;
using detail::kNameProperty;
using detail::kPictureClass;
using dialogs::ControlKind;

namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

}  // namespace

void Win32Form::createControls() {
  // Creation order is the z-order and so the tab order: the controls of the tab order first, in
  // that order, then the rest; frames last, beneath the controls they surround.
  std::vector<const dialogs::ControlDef*> order;
  for (std::string_view name : form_.tabOrder)
    if (const dialogs::ControlDef* c = dialogs::findControl(form_, name)) order.push_back(c);
  for (const dialogs::ControlDef& c : form_.controls)
    if (c.kind != ControlKind::Frame && std::find(order.begin(), order.end(), &c) == order.end())
      order.push_back(&c);
  for (const dialogs::ControlDef& c : form_.controls)
    if (c.kind == ControlKind::Frame) order.push_back(&c);

  controls_.clear();
  controls_.reserve(order.size());
  int nextId = kFirstControlId;
  for (const dialogs::ControlDef* def : order) {
    Control c;
    c.def = def;
    c.id = nextId++;
    c.visible = def->visible;
    const bool tabStop =
        std::find(form_.tabOrder.begin(), form_.tabOrder.end(), def->name) != form_.tabOrder.end();
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (tabStop ? WS_TABSTOP : 0);
    DWORD exStyle = 0;
    switch (def->kind) {
      case ControlKind::Label:
        cls = L"STATIC";
        style |= SS_OWNERDRAW;  // wrapped or grown to the text by our own drawing
        break;
      case ControlKind::TextBox:
        cls = L"EDIT";
        style |= ES_LEFT | ES_AUTOHSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::CheckBox:
        cls = L"BUTTON";
        style |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::Frame:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::ListBox:
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::CommandButton:
        cls = L"BUTTON";
        style |= def->name == form_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        break;
      case ControlKind::PictureBox:
        cls = kPictureClass;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Image:
      case ControlKind::Line:
        break;  // painted on the form
    }
    if (cls) {
      RECT r = pixelRect(*def);
      c.hwnd =
          CreateWindowExW(exStyle, cls, widen(def->text).c_str(), style, r.left, r.top,
                          r.right - r.left, r.bottom - r.top, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance(), nullptr);
      if (c.hwnd) {
        c.atom = GlobalAddAtomW(widen(def->name).c_str());
        SetPropW(c.hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(c.atom)));
        SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (def->kind == ControlKind::TextBox || def->kind == ControlKind::Frame) {
          c.baseProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
              c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Form::controlProc)));
        }
      }
    }
    controls_.push_back(std::move(c));
  }
  for (Control& c : controls_) {
    fitFont(c);
    if (c.def->kind == ControlKind::Label && c.def->autoSize) fitLabel(c);
  }
  applyVisibility();
  createToolTips();
}

void Win32Form::createToolTips() {
  for (Control& c : controls_) {
    if (c.def->toolTip.empty() || !c.hwnd) continue;
    if (!toolTip_) {
      toolTip_ =
          CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance(), nullptr);
      if (!toolTip_) return;
    }
    std::wstring tip = widen(c.def->toolTip);
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
    ti.lpszText = tip.data();
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

bool Win32Form::shown(const Control& c) const {
  if (!c.visible) return false;
  if (c.def->container.empty()) return true;
  for (const Control& f : controls_)
    if (f.def->name == c.def->container) return f.visible;
  return true;
}

void Win32Form::applyVisibility() {
  for (Control& c : controls_)
    if (c.hwnd) ShowWindow(c.hwnd, shown(c) ? SW_SHOWNA : SW_HIDE);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);  // pictures and lines painted on the form
}

HWND Win32Form::controlWindow(std::string_view name) const { return at(name).hwnd; }

Win32Form::Control& Win32Form::at(std::string_view name) {
  for (Control& c : controls_)
    if (c.def->name == name) return c;
  throw std::out_of_range(std::string(form_.name) + " has no control " + std::string(name));
}

const Win32Form::Control& Win32Form::at(std::string_view name) const {
  return const_cast<Win32Form*>(this)->at(name);
}

Win32Form::Control* Win32Form::byWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (Control& c : controls_)
    if (c.hwnd == hwnd) return &c;
  return nullptr;
}

}  // namespace harlowe::win32
