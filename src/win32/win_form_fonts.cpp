// Font choice and fitting: one font per face, size and weight, and the largest size at which a
// control's text fits its box; an auto-sized label grows to its text.
#include <algorithm>
#include <cmath>

#include "dialogs/label_wrap.h"
#include "dialogs/placement.h"
#include "win32/win_form_detail.h"
#include "win32/win_form_host.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using detail::textWidth;
using detail::windowText;
using dialogs::ControlKind;

namespace {

int emPixels(const dialogs::FontSpec& fontSpec, int dpiY) {
  return static_cast<int>(std::lround(fontSpec.points * dpiY / 72.0));
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

}  // namespace harlowe::win32
