// What the form paints itself: wrapped labels, frames with their captions, images and lines on
// the form, picture boxes and their painters.
#include "dialogs/label_wrap.h"
#include "dialogs/placement.h"
#include "win32/win_form_detail.h"
#include "win32/win_form_host.h"
#include "win32/win_form_pictures.h"

namespace harlowe::win32 {

using detail::raisedBy;
using detail::textWidth;
using detail::windowText;
using dialogs::ControlKind;

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

}  // namespace harlowe::win32
