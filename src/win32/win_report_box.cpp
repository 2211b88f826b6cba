#include "win32/win_report_box.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/win_text.h"

namespace harlowe::win32 {

namespace {

constexpr int kTextId = 0xFFFF;  // the id of a message box's text
constexpr int kIconId = 0x14;    // and of its icon

struct Box {
  std::wstring text;  // CR LF line ends, as an edit box wants them
  bool error = false;
  HFONT font = nullptr;
};

// The font of message boxes; nullptr when the system does not say.
HFONT messageFont() {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) return nullptr;
  return CreateFontIndirectW(&m.lfMessageFont);
}

HFONT fontOf(const Box& box) {
  return box.font ? box.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND child(HWND dlg, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dlg,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

// Makes the controls and sizes the window as a message box sizes itself: the text as wide as
// its longest line up to half the screen, as high as all its lines up to 5/8 of it; beyond that
// the text scrolls.
void build(HWND dlg, const Box& box) {
  HDC dc = GetDC(dlg);
  HGDIOBJ oldFont = SelectObject(dc, fontOf(box));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int em = tm.tmHeight, unit = std::max<int>(1, tm.tmAveCharWidth);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT work = mi.rcWork;
  const int maxW = (work.right - work.left) / 2, maxH = (work.bottom - work.top) * 5 / 8;

  const UINT measure = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  RECT lines{0, 0, 0, 0};
  DrawTextW(dc, box.text.c_str(), -1, &lines, measure);
  const int textW = std::clamp<int>(lines.right, unit * 30, maxW);
  RECT wrapped{0, 0, textW, 0};
  DrawTextW(dc, box.text.c_str(), -1, &wrapped, measure | DT_WORDBREAK | DT_EDITCONTROL);
  const bool scrolls = wrapped.bottom > maxH;
  SelectObject(dc, oldFont);
  ReleaseDC(dlg, dc);

  const int margin = em;
  const int iconW = box.error ? GetSystemMetrics(SM_CXICON) : 0;
  const int iconH = box.error ? GetSystemMetrics(SM_CYICON) : 0;
  HWND text =
      child(dlg, L"EDIT", box.text.c_str(),
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | (scrolls ? WS_VSCROLL : 0), kTextId);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(box)), FALSE);
  SendMessageW(text, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  const int textX = margin + (iconW ? iconW + margin : 0);
  // Some slack for the edit box, which wraps a little differently from DrawText.
  const int boxW = textW + unit + (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  SetWindowPos(text, nullptr, textX, margin, boxW, maxH, SWP_NOZORDER);
  // Now wrapped as it will be shown: as high as its lines, or the most the screen allows.
  const int lineCount = static_cast<int>(SendMessageW(text, EM_GETLINECOUNT, 0, 0));
  const int boxH = scrolls ? maxH : std::min(maxH, lineCount * em);
  SetWindowPos(text, nullptr, 0, 0, boxW, boxH, SWP_NOZORDER | SWP_NOMOVE);

  if (box.error) {
    HWND icon = child(dlg, L"STATIC", nullptr, SS_ICON, kIconId);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_ERROR)), 0);
    SetWindowPos(icon, nullptr, margin, margin, iconW, iconH, SWP_NOZORDER);
  }

  // OK: a dialog button of 50 x 14 dialog units, centred below.
  const int buttonW = 50 * unit / 4, buttonH = 14 * em / 8;
  const int clientW = std::max(textX + boxW + margin, buttonW + 2 * margin);
  const int buttonY = margin + std::max(boxH, iconH) + margin;
  HWND ok = child(dlg, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
  SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(box)), FALSE);
  SetWindowPos(ok, nullptr, (clientW - buttonW) / 2, buttonY, buttonW, buttonH, SWP_NOZORDER);

  RECT frame{0, 0, clientW, buttonY + buttonH + margin * 3 / 4};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_EXSTYLE)));
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  SetWindowPos(dlg, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER);
  SetFocus(ok);
}

INT_PTR CALLBACK boxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      build(dlg, *reinterpret_cast<const Box*>(lParam));
      return FALSE;  // the focus is set: on OK, so that Enter closes the box
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// An empty dialog template with the caption; the controls are made when it opens.
std::vector<WORD> dialogTemplate(const std::wstring& title) {
  std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(t.data());
  d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  d->dwExtendedStyle = WS_EX_TOPMOST;  // no owner: above every window, as a task-modal box
  t.push_back(0);                      // no menu
  t.push_back(0);                      // the standard dialog class
  t.insert(t.end(), title.begin(), title.end());
  t.push_back(0);
  return t;
}

}  // namespace

void reportBox(const std::string& text, const std::string& title, platform::MessageIcon icon) {
  Box box;
  for (wchar_t c : widen(text)) {
    if (c == L'\n') box.text += L'\r';
    box.text += c;
  }
  box.error = icon == platform::MessageIcon::Error;
  box.font = messageFont();
  MessageBeep(box.error ? MB_ICONHAND : MB_OK);
  const std::vector<WORD> t = dialogTemplate(widen(title));
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(t.data()),
                          nullptr, boxProc, reinterpret_cast<LPARAM>(&box));
  if (box.font) DeleteObject(box.font);
}

}  // namespace harlowe::win32
