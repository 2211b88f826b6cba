// dialog_driver.exe: drives the windows of another program from outside, for the Wine scenarios.
//
//   dialog_driver.exe [--timeout MS] COMMAND [ARGS...]
//
// Arguments and output are UTF-8. Exit code 0 when the command succeeded; 1 with a message on
// stderr when a window or control was not found in time or a step failed (for `exists`, `visible`
// and `checked` the answer is printed and the exit code is still 0, except `exists`: 0 yes, 1 no);
// 2 for a usage error. Every wait for a window or a state lasts at most MS milliseconds (default
// 30000); every message sent to another program is sent with a time limit, so a hung program
// cannot hang the driver. A window found gets at least 10 s to answer a message or to show the
// effect of a click, however short MS is: `--timeout 0 msgbox` reads a box that is there now.
//
// TITLE is a window caption, matched exactly, or as a prefix when it ends in "*". FORM is the
// caption of one of harlowe's forms; CONTROL is a control's name in the form ("Text1", "Command1",
// "Check3", "List1"), which the form host stores in the window property HarloweControlName.
// Commands on a form first wait until the form is visible, and commands that act on it also until
// it takes input (not disabled behind a message box).
//
//   acp                         print GetACP()
//   list [all]                  the top-level windows (visible ones unless "all"): handle, process
//                               id, class, visible flag, caption; tab separated, one per line
//   wait TITLE [CLASS]          wait until a visible top-level window matches; print its handle
//   wait-gone TITLE [CLASS]     wait until no visible top-level window matches
//   exists TITLE [CLASS]        exit 0 when a visible top-level window matches now, else 1
//   open-file TITLE INDEX PATH  open dialog: choose filter INDEX (1-based), put PATH into the file
//                               name box, press the Open button; waits until the dialog is gone
//   open-cancel TITLE           open dialog: press Cancel; waits until the dialog is gone
//   open-read TITLE             open dialog: print the file name box and the filter index (tab)
//   msgbox [TITLE]              wait for a message box; print its text
//   msgbox-ok [TITLE]           wait for a message box; print its text; press OK; wait until gone
//   msgbox-yes [TITLE], msgbox-no [TITLE]
//                               the same for a question: press Yes or No
//   controls FORM               the named controls: name, class, id, visible, enabled, text
//   set-text FORM CONTROL TEXT  WM_SETTEXT (an edit box then reports EN_CHANGE)
//   get-text FORM CONTROL       print the control's text
//   click FORM CONTROL          BM_CLICK: ticks or unticks a check box, presses a button
//   mouse FORM CONTROL          left mouse button down and up on the control
//   select FORM CONTROL INDEX   list box: select entry INDEX (0-based), then notify LBN_SELCHANGE
//   items FORM CONTROL          print the entries of a list box, one per line
//   selected FORM CONTROL       print the selected index of a list box (-1: none)
//   checked FORM CONTROL        print 1 when the check box is ticked, else 0
//   visible FORM CONTROL        print 1 when the control is visible, else 0
//   focus FORM                  print the name of the control that has the keyboard focus
//   key TITLE KEY               bring the window to the front and type KEY: enter, esc, tab, space
//   close TITLE                 WM_CLOSE to the window, as its close box does
//   paste TITLE CHILD TEXT      what the CAD link does: TEXT on the clipboard as CF_TEXT in the
//                               ANSI code page, the window TITLE to the front, a click into the
//                               centre of its descendant whose window text is CHILD, then Ctrl+V;
//                               done when the window has read the text from the clipboard
//   paste-file TITLE CHILD FILE the same with the content of FILE (UTF-8)
//   browse-folder TEXT PATH     folder browser whose title text is TEXT: select PATH (X:\...; the
//                               drive by path, then one folder at a time by name, as a user
//                               clicks down the tree), press OK; waits until it is gone
//   browse-cancel TEXT          folder browser: press Cancel; waits until it is gone
//   descendants TITLE           every descendant of the window: class, id, visible, text
//   rect TITLE [CLASS]          the window's screen rectangle: left top width height
//   cover TITLE SECONDS         another program's window over the window TITLE: a topmost window
//                               "Driver Cover" on the same spot, kept for SECONDS, then closed
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver_util.h"
#include "folder_browser.h"
#include "typing.h"
#include "window_info.h"

using namespace driver;

namespace {

constexpr int kCmb1 = 0x470;   // file type combo box of the open dialog
constexpr int kCmb13 = 0x47c;  // file name box of the open dialog

int Usage() {
  Fail(L"usage: dialog_driver.exe [--timeout MS] COMMAND [ARGS...] (see the top of the source)");
  return 2;
}

// --- windows ----------------------------------------------------------------------------------

int CmdList(bool all) {
  for (HWND h : TopLevelWindows(!all)) {
    Print(Hex(h) + L"\t" + std::to_wstring(ProcessOf(h)) + L"\t" + ClassOf(h) + L"\t" +
          (IsWindowVisible(h) ? L"1" : L"0") + L"\t" + CaptionOf(h));
  }
  return 0;
}

int CmdWait(const std::wstring& title, const std::wstring& cls) {
  HWND h = WaitFor([&] { return FindTopLevel(title, cls); });
  if (!h) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  Print(Hex(h));
  return 0;
}

int CmdWaitGone(const std::wstring& title, const std::wstring& cls) {
  DWORD start = GetTickCount();
  while (FindTopLevel(title, cls)) {
    if (GetTickCount() - start >= g_timeout_ms) {
      return Fail(L"window \"" + title + L"\" is still there after the time limit");
    }
    Sleep(20);
  }
  return 0;
}

// --- open dialog --------------------------------------------------------------------------------

HWND WaitOpenDialog(const std::wstring& title) {
  return WaitFor([&]() -> HWND {
    HWND h = FindTopLevel(title, L"#32770");
    return h && IsOpenDialog(h) && IsWindowEnabled(h) ? h : nullptr;
  });
}

int CmdOpenFile(const std::wstring& title, int index, const std::wstring& path) {
  HWND dlg = WaitOpenDialog(title);
  if (!dlg) return Fail(L"no open dialog \"" + title + L"\" within the time limit");
  HWND types = GetDlgItem(dlg, kCmb1);
  HWND name = GetDlgItem(dlg, kCmb13);
  LRESULT count = 0;
  if (!SendSync(types, CB_GETCOUNT, 0, 0, &count)) return Fail(L"the open dialog does not answer");
  if (index < 1 || index > count) {
    return Fail(L"filter index " + std::to_wstring(index) + L" out of 1.." +
                std::to_wstring(count));
  }
  // The dialog acts on the filter when it is told of the selection, on CBN_SELENDOK.
  HWND parent = GetParent(types);
  if (!SendSync(types, CB_SETCURSEL, static_cast<WPARAM>(index - 1), 0) ||
      !SendSync(parent, WM_COMMAND, MAKEWPARAM(kCmb1, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(types)) ||
      !SendSync(parent, WM_COMMAND, MAKEWPARAM(kCmb1, CBN_SELENDOK),
                reinterpret_cast<LPARAM>(types))) {
    return Fail(L"could not choose the filter");
  }
  if (!SendSync(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()))) {
    return Fail(L"could not put the path into the file name box");
  }
  if (!SendAndSettle(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0)) {
    return Fail(L"the open dialog did not take the Open button");
  }
  if (!WaitGone(dlg)) return Fail(L"the open dialog stayed open after Open");
  return 0;
}

int CmdOpenCancel(const std::wstring& title) {
  HWND dlg = WaitOpenDialog(title);
  if (!dlg) return Fail(L"no open dialog \"" + title + L"\" within the time limit");
  if (!SendAndSettle(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0) || !WaitGone(dlg)) {
    return Fail(L"the open dialog did not close on Cancel");
  }
  return 0;
}

int CmdOpenRead(const std::wstring& title) {
  HWND dlg = WaitOpenDialog(title);
  if (!dlg) return Fail(L"no open dialog \"" + title + L"\" within the time limit");
  LRESULT sel = -1;
  SendSync(GetDlgItem(dlg, kCmb1), CB_GETCURSEL, 0, 0, &sel);
  Print(TextOf(GetDlgItem(dlg, kCmb13)) + L"\t" + std::to_wstring(sel + 1));
  return 0;
}

// --- message boxes ------------------------------------------------------------------------------

// `button` is the id of the button to press (IDOK, IDYES, IDNO), or 0 to press none.
int CmdMsgBox(const std::wstring& title, int button) {
  HWND box = WaitFor([&] { return FindMessageBox(title); });
  if (!box) {
    return Fail(title.empty() ? L"no message box within the time limit"
                              : L"no message box \"" + title + L"\" within the time limit");
  }
  Print(TextOf(GetDlgItem(box, 0xFFFF)));
  if (button == 0) return 0;
  const wchar_t* name = button == IDOK ? L"OK" : button == IDYES ? L"Yes" : L"No";
  HWND press = GetDlgItem(box, button);
  if (!press) return Fail(std::wstring(L"the message box has no ") + name + L" button");
  if (!SendAndSettle(press, BM_CLICK, 0, 0) || !WaitGone(box)) {
    return Fail(std::wstring(L"the message box did not close on ") + name);
  }
  return 0;
}

// --- forms --------------------------------------------------------------------------------------

struct Target {
  HWND form = nullptr;
  HWND control = nullptr;
};

// Finds FORM (waiting for it) and, when `name` is given, its control; prints the failure.
bool Locate(const std::wstring& form, const std::wstring& name, bool acting, Target* t) {
  t->form = WaitFor([&] { return FindForm(form, acting); });
  if (!t->form) {
    if (acting && FindForm(form, false)) {
      Fail(L"form \"" + form + L"\" takes no input (a message box is open?)");
    } else {
      Fail(L"no form \"" + form + L"\" within the time limit");
    }
    return false;
  }
  if (name.empty()) return true;
  // A form that has just come up may still be making its controls.
  t->control = WaitFor([&] { return FindControl(t->form, name); });
  if (!t->control) {
    Fail(L"form \"" + form + L"\" has no control " + name);
    return false;
  }
  return true;
}

int CmdControls(const std::wstring& form) {
  Target t;
  if (!Locate(form, L"", false, &t)) return 1;
  for (HWND c : Descendants(t.form)) {
    std::wstring name = ControlName(c);
    if (name.empty()) continue;
    Print(name + L"\t" + ClassOf(c) + L"\t" + std::to_wstring(GetDlgCtrlID(c)) + L"\t" +
          (IsWindowVisible(c) ? L"1" : L"0") + L"\t" + (IsWindowEnabled(c) ? L"1" : L"0") + L"\t" +
          TextOf(c));
  }
  return 0;
}

int CmdSetText(const std::wstring& form, const std::wstring& name, const std::wstring& text) {
  Target t;
  if (!Locate(form, name, true, &t)) return 1;
  if (!SendSync(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
    return Fail(L"control " + name + L" did not take the text");
  }
  return 0;
}

int CmdGetText(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, false, &t)) return 1;
  Print(TextOf(t.control));
  return 0;
}

int CmdClick(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, true, &t)) return 1;
  if (!SendAndSettle(t.control, BM_CLICK, 0, 0)) {
    return Fail(L"the form did not handle the click on " + name + L" in time");
  }
  return 0;
}

int CmdMouse(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, true, &t)) return 1;
  LPARAM at = MAKELPARAM(4, 4);
  if (!SendAndSettle(t.control, WM_LBUTTONDOWN, MK_LBUTTON, at) ||
      !SendAndSettle(t.control, WM_LBUTTONUP, 0, at)) {
    return Fail(L"the form did not handle the mouse press on " + name + L" in time");
  }
  return 0;
}

int CmdSelect(const std::wstring& form, const std::wstring& name, int index) {
  Target t;
  if (!Locate(form, name, true, &t)) return 1;
  LRESULT count = 0;
  if (!SendSync(t.control, LB_GETCOUNT, 0, 0, &count)) return Fail(name + L" does not answer");
  if (index < 0 || index >= count) {
    return Fail(L"entry " + std::to_wstring(index) + L" out of 0.." + std::to_wstring(count - 1));
  }
  if (!SendSync(t.control, LB_SETCURSEL, static_cast<WPARAM>(index), 0)) {
    return Fail(name + L" did not take the selection");
  }
  // LB_SETCURSEL does not notify; the list's parent learns of the selection as from a user.
  WPARAM wp = MAKEWPARAM(GetDlgCtrlID(t.control), LBN_SELCHANGE);
  if (!SendAndSettle(GetParent(t.control), WM_COMMAND, wp, reinterpret_cast<LPARAM>(t.control))) {
    return Fail(L"the form did not handle the selection in " + name + L" in time");
  }
  return 0;
}

int CmdItems(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, false, &t)) return 1;
  LRESULT count = 0;
  if (!SendSync(t.control, LB_GETCOUNT, 0, 0, &count)) return Fail(name + L" does not answer");
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT len = 0;
    SendSync(t.control, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, &len);
    std::wstring buf(static_cast<size_t>(len < 0 ? 0 : len) + 1, L'\0');
    SendSync(t.control, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(wcslen(buf.c_str()));
    Print(buf);
  }
  return 0;
}

int CmdSelected(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, false, &t)) return 1;
  LRESULT sel = -1;
  if (!SendSync(t.control, LB_GETCURSEL, 0, 0, &sel)) return Fail(name + L" does not answer");
  Print(std::to_wstring(static_cast<long long>(sel)));
  return 0;
}

int CmdChecked(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, false, &t)) return 1;
  LRESULT state = 0;
  if (!SendSync(t.control, BM_GETCHECK, 0, 0, &state)) return Fail(name + L" does not answer");
  Print(state == BST_CHECKED ? L"1" : L"0");
  return 0;
}

int CmdVisible(const std::wstring& form, const std::wstring& name) {
  Target t;
  if (!Locate(form, name, false, &t)) return 1;
  Print(IsWindowVisible(t.control) ? L"1" : L"0");
  return 0;
}

int CmdFocus(const std::wstring& form) {
  Target t;
  if (!Locate(form, L"", false, &t)) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(t.form, nullptr), &info)) {
    return Fail(L"GetGUIThreadInfo failed");
  }
  // An edit inside a combo box has the focus for its combo: report the nearest named window.
  for (HWND h = info.hwndFocus; h && h != t.form; h = GetParent(h)) {
    std::wstring name = ControlName(h);
    if (!name.empty()) {
      Print(name);
      return 0;
    }
  }
  Print(info.hwndFocus == t.form ? L"(form)" : L"(none)");
  return 0;
}

// --- windows closed, pasted files, covers ------------------------------------------------------

int CmdClose(const std::wstring& title) {
  HWND top = WaitFor([&] { return FindTopLevel(title, L""); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  if (!SendAndSettle(top, WM_CLOSE, 0, 0)) return Fail(L"the window did not handle WM_CLOSE");
  return 0;
}

bool ReadUtf8File(const std::wstring& path, std::wstring* text) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  *text = Widen(bytes);
  return true;
}

bool ToInt(const std::wstring& s, int* out) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  long v = wcstol(s.c_str(), &end, 10);
  if (*end != L'\0') return false;
  *out = static_cast<int>(v);
  return true;
}

// A topmost window stays above every normal window, whatever the CAD link raises or activates.
int CmdCover(const std::wstring& title, int seconds) {
  HWND top = WaitFor([&] { return FindTopLevel(title, L""); });
  if (!top) return Fail(L"no visible window \"" + title + L"\" within the time limit");
  RECT r{};
  GetWindowRect(top, &r);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
  wc.lpszClassName = L"DriverCover";
  if (!RegisterClassW(&wc)) return Fail(L"cannot register the cover's window class");
  HWND cover = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Driver Cover",
                               WS_POPUP | WS_BORDER, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!cover) return Fail(L"cannot create the cover");
  ShowWindow(cover, SW_SHOWNOACTIVATE);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG msg;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
  DestroyWindow(cover);
  return 0;
}

int Run(std::vector<std::wstring> a) {
  if (a.size() >= 2 && a[0] == L"--timeout") {
    int ms = 0;
    if (!ToInt(a[1], &ms) || ms < 0) return Usage();
    g_timeout_ms = static_cast<DWORD>(ms);
    a.erase(a.begin(), a.begin() + 2);
  }
  if (a.empty()) return Usage();
  const std::wstring cmd = a[0];
  const size_t n = a.size() - 1;
  auto arg = [&](size_t i) { return i < a.size() ? a[i] : std::wstring(); };
  int num = 0;

  if (cmd == L"acp" && n == 0) {
    Print(std::to_wstring(GetACP()));
    return 0;
  }
  if (cmd == L"list" && n <= 1) return CmdList(arg(1) == L"all");
  if (cmd == L"wait" && (n == 1 || n == 2)) return CmdWait(arg(1), arg(2));
  if (cmd == L"wait-gone" && (n == 1 || n == 2)) return CmdWaitGone(arg(1), arg(2));
  if (cmd == L"exists" && (n == 1 || n == 2)) return FindTopLevel(arg(1), arg(2)) ? 0 : 1;
  if (cmd == L"open-file" && n == 3) {
    if (!ToInt(arg(2), &num)) return Usage();
    return CmdOpenFile(arg(1), num, arg(3));
  }
  if (cmd == L"open-cancel" && n == 1) return CmdOpenCancel(arg(1));
  if (cmd == L"open-read" && n == 1) return CmdOpenRead(arg(1));
  if (cmd == L"msgbox" && n <= 1) return CmdMsgBox(arg(1), 0);
  if (cmd == L"msgbox-ok" && n <= 1) return CmdMsgBox(arg(1), IDOK);
  if (cmd == L"msgbox-yes" && n <= 1) return CmdMsgBox(arg(1), IDYES);
  if (cmd == L"msgbox-no" && n <= 1) return CmdMsgBox(arg(1), IDNO);
  if (cmd == L"controls" && n == 1) return CmdControls(arg(1));
  if (cmd == L"set-text" && n == 3) return CmdSetText(arg(1), arg(2), arg(3));
  if (cmd == L"get-text" && n == 2) return CmdGetText(arg(1), arg(2));
  if (cmd == L"click" && n == 2) return CmdClick(arg(1), arg(2));
  if (cmd == L"mouse" && n == 2) return CmdMouse(arg(1), arg(2));
  if (cmd == L"select" && n == 3) {
    if (!ToInt(arg(3), &num)) return Usage();
    return CmdSelect(arg(1), arg(2), num);
  }
  if (cmd == L"items" && n == 2) return CmdItems(arg(1), arg(2));
  if (cmd == L"selected" && n == 2) return CmdSelected(arg(1), arg(2));
  if (cmd == L"checked" && n == 2) return CmdChecked(arg(1), arg(2));
  if (cmd == L"visible" && n == 2) return CmdVisible(arg(1), arg(2));
  if (cmd == L"focus" && n == 1) return CmdFocus(arg(1));
  if (cmd == L"key" && n == 2) return CmdKey(arg(1), arg(2));
  if (cmd == L"close" && n == 1) return CmdClose(arg(1));
  if (cmd == L"browse-folder" && n == 2) return CmdBrowseFolder(arg(1), arg(2));
  if (cmd == L"browse-cancel" && n == 1) return CmdBrowseCancel(arg(1));
  if (cmd == L"descendants" && n == 1) return CmdDescendants(arg(1));
  if (cmd == L"rect" && (n == 1 || n == 2)) return CmdRect(arg(1), arg(2));
  if (cmd == L"paste" && n == 3) return CmdPaste(arg(1), arg(2), arg(3));
  if (cmd == L"paste-file" && n == 3) {
    std::wstring text;
    if (!ReadUtf8File(arg(3), &text)) return Fail(L"cannot read " + arg(3));
    return CmdPaste(arg(1), arg(2), text);
  }
  if (cmd == L"cover" && n == 2) {
    if (!ToInt(arg(2), &num) || num < 0) return Usage();
    return CmdCover(arg(1), num);
  }
  return Usage();
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return Fail(L"cannot read the command line");
  std::vector<std::wstring> args(argv + 1, argv + argc);
  LocalFree(argv);
  return Run(std::move(args));
}
