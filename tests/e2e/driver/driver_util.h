// Helpers of the dialog driver: text conversion, output, finding windows and controls of another
// process, and sending messages that cannot hang the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Writes UTF-8 to stdout (or UTF-16 to a console); Fail prints to stderr and returns 1.
void Print(const std::wstring& text);
int Fail(const std::wstring& text);

// How long a command waits for a window or a state, in milliseconds (option --timeout).
extern DWORD g_timeout_ms;
// How long a window found may take to answer a message, or to show the effect of what was done
// to it: the wait limit, but never less than a busy machine needs, so that a command told not to
// wait for the window (--timeout 0) still reads and answers one that is there.
DWORD AnswerLimit();

// A caption pattern: the exact caption, or a prefix when the pattern ends in "*".
bool CaptionMatches(const std::wstring& caption, const std::wstring& pattern);

std::wstring ClassOf(HWND hwnd);
// Text of a window of another process: WM_GETTEXT (GetWindowText of a control of another process
// returns nothing). Empty when the window does not answer.
std::wstring TextOf(HWND hwnd);
// The caption as the window manager keeps it (what GetWindowText gives for another process).
std::wstring CaptionOf(HWND hwnd);
DWORD ProcessOf(HWND hwnd);

std::vector<HWND> TopLevelWindows(bool visible_only);
std::vector<HWND> Descendants(HWND parent);

// A window handle as the driver prints it: 0x followed by hex digits.
std::wstring Hex(HWND h);

// The name the form host gave a control (the HarloweControlName atom); empty when it has none.
std::wstring ControlName(HWND hwnd);
bool IsForm(HWND hwnd);  // a top-level window with at least one named control
bool IsMessageBox(HWND hwnd);
bool IsOpenDialog(HWND hwnd);

// Waits until `find` returns a window, at most g_timeout_ms. Returns nullptr on timeout.
template <typename F>
HWND WaitFor(F find) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = find()) return h;
    if (GetTickCount() - start >= g_timeout_ms) return nullptr;
    Sleep(20);
  }
}

// A visible top-level window with a matching caption (and class, when given).
HWND FindTopLevel(const std::wstring& pattern, const std::wstring& cls);
// A visible form with a matching caption; when `enabled` also one that takes input (not blocked
// behind a message box).
HWND FindForm(const std::wstring& pattern, bool enabled);
HWND FindControl(HWND form, const std::wstring& name);
HWND FindMessageBox(const std::wstring& title);

// SendMessageTimeoutW: false when the window did not answer within AnswerLimit(). Not
// SMTO_ABORTIFHUNG: a thread with messages waiting that has read none for 5 s counts as hung, and
// on a busy machine a dialog that is still filling its lists is such a thread; it gets the whole
// limit.
bool SendSync(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr);

// Waits up to `ms` for messages to this thread and handles those that came (among them messages
// that other programs send to the driver's windows).
void PumpFor(DWORD ms);

// Sends a message without waiting for the window procedure to return, then waits until the
// receiver has handled it, or the window is gone, or its process has shown a new top-level window
// (a message box opened by the handler keeps the handler from returning). Messages must not carry
// pointers. False when that takes longer than AnswerLimit().
bool SendAndSettle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Waits until `hwnd` is destroyed or hidden; false after AnswerLimit().
bool WaitGone(HWND hwnd);

}  // namespace driver
