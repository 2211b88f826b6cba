// Twips and pixels: the screen's resolution, the pixel box of a control and the place of a
// form on the screen.
#include "dialogs/placement.h"
#include "win32/win_form_host.h"

namespace harlowe::win32 {

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

RECT Win32Form::pixelRect(const dialogs::ControlDef& c) const {
  dialogs::TwipsRect t = dialogs::formRect(form_, c);
  RECT r;
  r.left = dialogs::twipsToPixels(t.left, dpi_.x);
  r.top = dialogs::twipsToPixels(t.top, dpi_.y);
  r.right = dialogs::twipsToPixels(t.left + t.width, dpi_.x);
  r.bottom = dialogs::twipsToPixels(t.top + t.height, dpi_.y);
  return r;
}

}  // namespace harlowe::win32
