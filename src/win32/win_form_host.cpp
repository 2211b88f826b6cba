#include "win32/win_form_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dialogs/label_wrap.h"
#include "dialogs/placement.h"
#include "win32/win_form_pictures.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using dialogs::ControlKind;
using dialogs::FormEvent;

namespace {

constexpr wchar_t kFormClass[] = L"HarloweForm";
constexpr wchar_t kPictureClass[] = L"HarlowePicture";
constexpr wchar_t kOwnerClass[] = L"HarloweOwner";
constexpr wchar_t kNameProperty[] = L"HarloweControlName";
constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

// A hidden top-level window that owns the forms kept out of the task bar.
HWND ownerWindow() {
  static HWND owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      instance(), nullptr);
  return owner;
}

std::wstring windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(n, 0)));
  return s;
}

}  // namespace

Dpi screenDpi() {
  Dpi d;
  if (HDC dc = GetDC(nullptr)) {
    d.x = GetDeviceCaps(dc, LOGPIXELSX);
    d.y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
  }
  if (d.x <= 0) d.x = 96;
  if (d.y <= 0) d.y = 96;
  return d;
}

void placeWindow(HWND hwnd, dialogs::Placement placement, Dpi dpi) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  const auto twX = [&](int px) { return dialogs::pixelsToTwips(px, dpi.x); };
  const auto twY = [&](int px) { return dialogs::pixelsToTwips(px, dpi.y); };
  dialogs::Position p = dialogs::placeForm(placement, twX(GetSystemMetrics(SM_CXSCREEN)),
                                           twY(GetSystemMetrics(SM_CYSCREEN)),
                                           twX(r.right - r.left), twY(r.bottom - r.top));
  SetWindowPos(hwnd, nullptr, dialogs::twipsToPixels(p.left, dpi.x),
               dialogs::twipsToPixels(p.top, dpi.y), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void makeTopmost(HWND hwnd) {
  // Not activating: a form made topmost while hidden stays hidden and inactive until shown.
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

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

RECT Win32Form::pixelRect(const dialogs::ControlDef& c) const {
  dialogs::TwipsRect t = dialogs::formRect(form_, c);
  RECT r;
  r.left = dialogs::twipsToPixels(t.left, dpi_.x);
  r.top = dialogs::twipsToPixels(t.top, dpi_.y);
  r.right = dialogs::twipsToPixels(t.left + t.width, dpi_.x);
  r.bottom = dialogs::twipsToPixels(t.top + t.height, dpi_.y);
  return r;
}

namespace {

int emPixels(const dialogs::FontSpec& fontSpec, int dpiY) {
  return static_cast<int>(std::lround(fontSpec.points * dpiY / 72.0));
}

// How far a face's ascent reaches above the top of its ideographic em box. The forms were laid
// out for a face whose glyphs fill the cell; a substitute with a taller cell would have its text
// cut off at the bottom of small labels, so labels draw it raised by this much.
int raisedBy(HDC dc, int em) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return std::max(0, static_cast<int>(tm.tmAscent) - static_cast<int>(std::lround(0.88 * em)));
}

int textWidth(HDC dc, std::wstring_view s) {
  SIZE sz{0, 0};
  if (!s.empty()) GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &sz);
  return sz.cx;
}

bool isWordChar(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

HFONT Win32Form::font(const dialogs::FontSpec& fontSpec, int pixels) {
  std::wstring face = widen(fontSpec.face);
  auto key = std::make_tuple(face, pixels, fontSpec.bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  // The Japanese character set lets the system substitute a Japanese face where this one is
  // missing.
  HFONT f = CreateFontW(-pixels, 0, 0, 0, fontSpec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  fonts_.emplace(key, f);
  return f;
}

bool Win32Form::fits(const Control& c, HDC dc, const std::wstring& text, int em) const {
  RECT r = pixelRect(*c.def);
  const int w = r.right - r.left, h = r.bottom - r.top;
  switch (c.def->kind) {
    case ControlKind::Label: {
      if (c.def->autoSize) {
        // It grows to its text, but not out of the form: keep the margin it has on the left.
        const int client = dialogs::twipsToPixels(form_.clientWidth, dpi_.x);
        return r.left + textWidth(dc, text) <= std::max(client - r.left, r.right);
      }
      auto measure = [&](std::size_t b, std::size_t e) {
        return textWidth(dc, std::wstring_view(text).substr(b, e - b));
      };
      auto lines = dialogs::wrapLines(std::wstring_view(text), w, measure);
      if (static_cast<int>(lines.size()) * em > h + 1) return false;
      for (const dialogs::LineRange& l : lines) {
        if (l.end - l.begin == 1 && measure(l.begin, l.end) > w) return false;
        if (l.end < text.size() && l.end > l.begin && isWordChar(text[l.end - 1]) &&
            isWordChar(text[l.end]))
          return false;  // a word broken in two
      }
      return true;
    }
    case ControlKind::CheckBox:
      return textWidth(dc, text) + MulDiv(19, dpi_.x, 96) <= w;
    case ControlKind::CommandButton:
      return textWidth(dc, text) + MulDiv(8, dpi_.x, 96) <= w;
    case ControlKind::Frame:
      return textWidth(dc, text) + MulDiv(20, dpi_.x, 96) <= w;
    default:
      return true;
  }
}

// The largest size, down to three quarters of the design size, at which the control's text fits
// its box: a face substituted for a missing one may be wider than the one the form was laid out
// with.
void Win32Form::fitFont(Control& c) {
  const int design = emPixels(c.def->font, dpi_.y);
  int chosen = design;
  const bool shrinks = c.def->kind == ControlKind::Label || c.def->kind == ControlKind::CheckBox ||
                       c.def->kind == ControlKind::CommandButton ||
                       c.def->kind == ControlKind::Frame;
  if (shrinks && c.hwnd) {
    std::wstring s = windowText(c.hwnd);
    HDC dc = CreateCompatibleDC(nullptr);
    const int smallest = std::max(1, (design * 3 + 3) / 4);
    for (int px = design; px >= smallest; --px) {
      HGDIOBJ old = SelectObject(dc, font(c.def->font, px));
      bool ok = fits(c, dc, s, px);
      SelectObject(dc, old);
      chosen = px;
      if (ok) break;
    }
    DeleteDC(dc);
  }
  HFONT f = font(c.def->font, chosen);
  c.em = chosen;
  if (f != c.font) {
    c.font = f;
    if (c.hwnd) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  }
}

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

void Win32Form::fitLabel(Control& c) {
  if (!c.hwnd) return;
  std::wstring s = windowText(c.hwnd);
  HDC dc = GetDC(c.hwnd);
  HGDIOBJ old = SelectObject(dc, c.font);
  SIZE size{0, 0};
  if (!s.empty()) GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(c.hwnd, dc);
  // One line of the em height: labels draw their text raised to its em box (drawLabel).
  SetWindowPos(c.hwnd, nullptr, 0, 0, size.cx, std::max(c.em, 1) + 1,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::drawLabel(const DRAWITEMSTRUCT& item) {
  Control* c = byWindow(item.hwndItem);
  if (!c) return;
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  std::wstring s = windowText(item.hwndItem);
  if (s.empty()) return;
  HGDIOBJ old = SelectObject(dc, c->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const int raise = raisedBy(dc, c->em);
  if (c->def->autoSize) {
    TextOutW(dc, box.left, box.top - raise, s.data(), static_cast<int>(s.size()));
  } else {
    auto measure = [&](std::size_t b, std::size_t e) {
      return textWidth(dc, std::wstring_view(s).substr(b, e - b));
    };
    int y = box.top;
    for (dialogs::LineRange line :
         dialogs::wrapLines(std::wstring_view(s), box.right - box.left, measure)) {
      if (y >= box.bottom) break;
      TextOutW(dc, box.left, y - raise, s.data() + line.begin,
               static_cast<int>(line.end - line.begin));
      y += c->em;
    }
  }
  SelectObject(dc, old);
}

void Win32Form::paintFrame(Control& c, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, c.font);
  std::wstring caption = windowText(hwnd);
  RECT edge = client;
  edge.top += c.em / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  if (!caption.empty()) {
    const int raise = raisedBy(dc, c.em);
    const int x = MulDiv(8, dpi_.x, 96);
    RECT back{x - 2, 0, x + textWidth(dc, caption) + 2, c.em + 1};
    FillRect(dc, &back, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutW(dc, x, -raise, caption.data(), static_cast<int>(caption.size()));
  }
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

void Win32Form::paintForm(HDC dc) {
  for (const Control& c : controls_) {
    if (c.def->kind != ControlKind::Image || !shown(c) || c.def->picture.empty()) continue;
    RECT box = pixelRect(*c.def);
    RECT drawn{box.left, box.top, box.left + MulDiv(c.def->pictureWidth, dpi_.x, 96),
               box.top + MulDiv(c.def->pictureHeight, dpi_.y, 96)};
    int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    drawFormPicture(c.def->picture, dc, drawn, c.def->pictureWidth, c.def->pictureHeight);
    RestoreDC(dc, saved);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  for (const Control& c : controls_) {
    if (c.def->kind != ControlKind::Line || !shown(c)) continue;
    MoveToEx(dc, dialogs::twipsToPixels(c.def->left, dpi_.x),
             dialogs::twipsToPixels(c.def->top, dpi_.y), nullptr);
    LineTo(dc, dialogs::twipsToPixels(c.def->x2, dpi_.x),
           dialogs::twipsToPixels(c.def->y2, dpi_.y));
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Win32Form::paintPicture(Control& c, HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (c.painter) {
    c.painter(dc, client);
  } else if (!c.def->picture.empty()) {
    drawFormPicture(c.def->picture, dc, client, c.def->pictureWidth, c.def->pictureHeight);
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

HWND Win32Form::controlWindow(std::string_view name) const { return at(name).hwnd; }

void Win32Form::setPainter(std::string_view pictureBox, Painter painter) {
  Control& c = at(pictureBox);
  c.painter = std::move(painter);
  if (c.hwnd) InvalidateRect(c.hwnd, nullptr, FALSE);
}

void Win32Form::invalidate(std::string_view control) {
  Control& c = at(control);
  InvalidateRect(c.hwnd ? c.hwnd : hwnd_, nullptr, FALSE);
}

void Win32Form::paintNow() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

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

Win32Form::Control* Win32Form::byId(int id) {
  for (Control& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

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

void Win32FormRunner::runModal(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour,
                               const std::function<void(dialogs::FormHost&)>& beforeShow) {
  Win32Form window(form, &behaviour);
  window.load();
  if (beforeShow) beforeShow(window);
  window.runModal();
}

}  // namespace harlowe::win32
