// The life of a form window: registering the window classes, creating the window, running
// Form_Load, showing it, the modal loop and destroying it.
#include <windows.h>
// (after windows.h, whose types it uses)
#include <commctrl.h>

#include <stdexcept>

#include "dialogs/placement.h"
#include "win32/win_form_detail.h"
#include "win32/win_form_host.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using detail::instance;
using detail::kFormClass;
using detail::kNameProperty;
using detail::kOwnerClass;
using detail::kPictureClass;

namespace {

// A hidden top-level window that owns the forms kept out of the task bar.
HWND ownerWindow() {
  static HWND owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      instance(), nullptr);
  return owner;
}

}  // namespace

Win32Form::Win32Form(const dialogs::FormDef& form, dialogs::FormBehaviour* behaviour)
    : form_(form), behaviour_(behaviour) {}

Win32Form::~Win32Form() { destroy(); }

void Win32Form::load() {
  if (hwnd_) return;
  static bool classes = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kOwnerClass;
    RegisterClassExW(&wc);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = &Win32Form::formProc;
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = &Win32Form::pictureProc;
    wc.lpszClassName = kPictureClass;
    RegisterClassExW(&wc);
    return true;
  }();
  (void)classes;

  dpi_ = screenDpi();
  unloadRequested_ = closed_ = false;
  DWORD style = WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (form_.border == dialogs::BorderStyle::Sizable) {
    style |= WS_OVERLAPPEDWINDOW;
  } else {
    style |= WS_OVERLAPPED | WS_CAPTION;
    if (form_.closeButton) style |= WS_SYSMENU;
    exStyle |= WS_EX_DLGMODALFRAME;
  }
  if (form_.showInTaskbar) exStyle |= WS_EX_APPWINDOW;
  RECT r{0, 0, dialogs::twipsToPixels(form_.clientWidth, dpi_.x),
         dialogs::twipsToPixels(form_.clientHeight, dpi_.y)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  HWND owner = form_.showInTaskbar ? nullptr : ownerWindow();
  hwnd_ = CreateWindowExW(exStyle, kFormClass, widen(form_.caption).c_str(), style, 0, 0,
                          r.right - r.left, r.bottom - r.top, owner, nullptr, instance(), this);
  if (!hwnd_) throw std::runtime_error("the form window could not be created");
  quiet_ = true;
  createControls();
  quiet_ = false;

  placeWindow(hwnd_, form_.placement, dpi_);
  if (form_.topmost) makeTopmost(hwnd_);
  if (behaviour_) {
    behaviour_->attach(*this);
    behaviour_->Form_Load();
  }
}

void Win32Form::show(bool activate) {
  if (!hwnd_) load();
  ShowWindow(hwnd_, activate ? SW_SHOW : SW_SHOWNA);
  if (activate) {
    SetForegroundWindow(hwnd_);
    focusFirst();
  }
  UpdateWindow(hwnd_);
}

void Win32Form::focusFirst() {
  for (std::string_view name : form_.tabOrder) {
    Control& c = at(name);
    if (c.hwnd && shown(c) && IsWindowEnabled(c.hwnd)) {
      SetFocus(c.hwnd);
      lastFocus_ = c.hwnd;
      return;
    }
  }
  SetFocus(hwnd_);
}

void Win32Form::runModal() {
  show(true);
  MSG msg;
  while (hwnd_ && !unloadRequested_ && !closed_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: leave it for the outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  destroy();
}

void Win32Form::destroy() {
  if (!hwnd_) return;
  for (Control& c : controls_) {
    if (!c.hwnd) continue;
    RemovePropW(c.hwnd, kNameProperty);
    if (c.atom) GlobalDeleteAtom(c.atom);
    if (c.baseProc) SetWindowLongPtrW(c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c.baseProc));
    SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, 0);
  }
  HWND h = hwnd_;
  hwnd_ = nullptr;
  toolTip_ = nullptr;  // owned by the form: destroyed with it
  lastFocus_ = nullptr;
  SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  DestroyWindow(h);
  controls_.clear();
  for (auto& [key, f] : fonts_) DeleteObject(f);
  fonts_.clear();
}

void Win32FormRunner::runModal(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour,
                               const std::function<void(dialogs::FormHost&)>& beforeShow) {
  Win32Form window(form, &behaviour);
  window.load();
  if (beforeShow) beforeShow(window);
  window.runModal();
}

}  // namespace harlowe::win32
