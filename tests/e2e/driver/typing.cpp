// Keystrokes and pastes from outside. A paste offers its text on the clipboard without putting
// it there: the text is handed over when the receiver asks for it (delayed rendering), so the
// driver knows when the paste has been read and ends only then, however busy the receiver is.
// A later paste then cannot replace the text before it has been read.
#include "typing.h"

#include <windows.h>

#include "driver_util.h"

namespace driver {

namespace {

void SendKey(WORD vk, bool up, bool extended) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  for (int i = 0; i < 100 && SendInput(1, &in, sizeof(INPUT)) == 0; ++i) PumpFor(10);
}

bool BringToFront(HWND top) {
  for (int i = 0; i < 100; ++i) {
    SetForegroundWindow(top);
    if (GetForegroundWindow() == top) return true;
    PumpFor(20);
  }
  return false;
}

// The text of the paste in the ANSI code page, as the CAD link puts it on the clipboard.
struct Offer {
  std::string ansi;
  bool read = false;
};
Offer g_offer;

HGLOBAL CopyOfOffer() {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, g_offer.ansi.size() + 1);
  if (!mem) return nullptr;
  char* p = static_cast<char*>(GlobalLock(mem));
  CopyMemory(p, g_offer.ansi.c_str(), g_offer.ansi.size() + 1);
  GlobalUnlock(mem);
  return mem;
}

LRESULT CALLBACK OwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_RENDERFORMAT:  // a program reads the clipboard: it is open for it now
      if (wp == CF_TEXT) {
        if (HGLOBAL mem = CopyOfOffer(); mem && !SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
        g_offer.read = true;
      }
      return 0;
    case WM_RENDERALLFORMATS:  // the driver ends before anyone asked: leave the text behind
      if (OpenClipboard(w)) {
        if (GetClipboardOwner() == w) {
          if (HGLOBAL mem = CopyOfOffer(); mem && !SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
        }
        CloseClipboard();
      }
      return 0;
    default:
      return DefWindowProcW(w, msg, wp, lp);
  }
}

// Makes the driver's window the clipboard's owner with the text offered; the window, or null.
HWND OfferOnClipboard(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  g_offer.ansi.assign(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, g_offer.ansi.data(), n, nullptr, nullptr);
  g_offer.ansi.resize(g_offer.ansi.size() - 1);
  g_offer.read = false;

  WNDCLASSW wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DialogDriverClipboard";
  if (!RegisterClassW(&wc)) return nullptr;
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"dialog_driver", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, wc.hInstance, nullptr);
  if (!owner) return nullptr;
  bool opened = false;
  for (int i = 0; i < 100 && !(opened = OpenClipboard(owner)); ++i) PumpFor(20);
  if (!opened) return nullptr;
  EmptyClipboard();
  SetClipboardData(CF_TEXT, nullptr);
  CloseClipboard();
  return owner;
}

// A press and release of the left button at `at`. The point goes with each event: under Wine a
// pointer position set before (SetCursorPos) can still be overtaken by an older move of the X
// pointer, and the click would land where the pointer was.
void Click(POINT at) {
  SetCursorPos(at.x, at.y);
  INPUT click[2] = {};
  for (INPUT& in : click) {
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  SendInput(1, &click[0], sizeof(INPUT));
  PumpFor(50);
  SendInput(1, &click[1], sizeof(INPUT));
  PumpFor(100);
}

// Keystrokes go to the window that has the keyboard focus when they are sent, not when they are
// read: the program must have given the focus to `target` (or, with `within`, to `target` or one
// of its descendants) before the first key, say after a click or a window's activation.
bool WaitFocus(HWND target, bool within) {
  const DWORD thread = GetWindowThreadProcessId(target, nullptr);
  const DWORD start = GetTickCount();
  for (;;) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(thread, &info) &&
        (info.hwndFocus == target ||
         (within && info.hwndFocus && IsChild(target, info.hwndFocus)))) {
      return true;
    }
    if (GetTickCount() - start >= AnswerLimit()) return false;
    PumpFor(20);
  }
}

// A click goes to the window that is under the point when it is sent. A window brought to the
// front is raised by its own program, on that program's own time: wait until it is there.
bool WaitUnderPoint(HWND child, POINT at) {
  const DWORD start = GetTickCount();
  while (WindowFromPoint(at) != child) {
    if (GetTickCount() - start >= AnswerLimit()) return false;
    PumpFor(20);
  }
  return true;
}

}  // namespace

int CmdKey(const std::wstring& title, const std::wstring& key) {
  WORD vk = key == L"enter"   ? VK_RETURN
            : key == L"esc"   ? VK_ESCAPE
            : key == L"tab"   ? VK_TAB
            : key == L"space" ? VK_SPACE
                              : 0;
  if (vk == 0) return Fail(L"unknown key " + key + L" (enter, esc, tab, space)");
  HWND top = WaitFor([&] { return FindTopLevel(title, L""); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  if (!BringToFront(top)) return Fail(L"could not bring \"" + title + L"\" to the front");
  if (!WaitFocus(top, true)) return Fail(L"\"" + title + L"\" did not take the keyboard focus");
  SendKey(vk, false, false);
  PumpFor(20);
  SendKey(vk, true, false);
  PumpFor(300);  // the keystroke is handled on the program's own time
  return 0;
}

int CmdPaste(const std::wstring& title, const std::wstring& child_text, const std::wstring& text) {
  HWND top = WaitFor([&] { return FindTopLevel(title, L""); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  HWND child = nullptr;
  for (HWND c : Descendants(top)) {
    if (CaptionOf(c) == child_text) {
      child = c;
      break;
    }
  }
  if (!child) return Fail(L"window \"" + title + L"\" has no child \"" + child_text + L"\"");
  if (!OfferOnClipboard(text)) return Fail(L"could not put the text on the clipboard");
  if (!BringToFront(top)) return Fail(L"could not bring \"" + title + L"\" to the front");
  RECT r{};
  GetWindowRect(child, &r);
  const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (!WaitUnderPoint(child, at)) {
    return Fail(L"\"" + child_text + L"\" of \"" + title +
                L"\" is not in front where it is clicked");
  }
  Click(at);
  if (!WaitFocus(child, false)) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(child, nullptr), &info);
    return Fail(L"the click did not give \"" + child_text + L"\" the focus (focus " +
                Hex(info.hwndFocus) + L", active " + Hex(info.hwndActive) + L", foreground " +
                Hex(GetForegroundWindow()) + L", under the point " + Hex(WindowFromPoint(at)) +
                L", the line " + Hex(child) + L", its window " + Hex(top) + L")");
  }
  // As the CAD link sends it: the extended-key flag on press and release.
  SendKey(VK_CONTROL, false, true);
  PumpFor(20);
  SendKey('V', false, true);
  PumpFor(20);
  SendKey('V', true, true);
  PumpFor(20);
  SendKey(VK_CONTROL, true, true);
  const DWORD start = GetTickCount();
  while (!g_offer.read) {
    if (GetTickCount() - start >= g_timeout_ms) {
      return Fail(L"\"" + title + L"\" did not read the pasted text from the clipboard");
    }
    PumpFor(20);
  }
  return 0;
}

}  // namespace driver
