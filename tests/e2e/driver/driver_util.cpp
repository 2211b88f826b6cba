#include "driver_util.h"

#include <algorithm>
#include <cwchar>

namespace driver {

DWORD g_timeout_ms = 30000;

DWORD AnswerLimit() { return std::max<DWORD>(g_timeout_ms, 10000); }

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

static void WriteTo(DWORD which, const std::wstring& text) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(h, &mode)) {
    WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::string bytes = Narrow(text);
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& text) { WriteTo(STD_OUTPUT_HANDLE, text + L"\n"); }

int Fail(const std::wstring& text) {
  WriteTo(STD_ERROR_HANDLE, L"dialog_driver: " + text + L"\n");
  return 1;
}

bool CaptionMatches(const std::wstring& caption, const std::wstring& pattern) {
  if (!pattern.empty() && pattern.back() == L'*') {
    return caption.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  }
  return caption == pattern;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {};
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

bool SendSync(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, AnswerLimit(), &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

std::wstring TextOf(HWND hwnd) {
  LRESULT len = 0;
  if (!SendSync(hwnd, WM_GETTEXTLENGTH, 0, 0, &len) || len <= 0) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  LRESULT got = 0;
  if (!SendSync(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &got)) {
    return {};
  }
  buf.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, len))));
  return buf;
}

std::wstring CaptionOf(HWND hwnd) {
  wchar_t buf[1024] = {};
  GetWindowTextW(hwnd, buf, 1024);
  return buf;
}

std::wstring Hex(HWND h) {
  wchar_t buf[32];
  swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
  return buf;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

namespace {
struct Collect {
  std::vector<HWND> found;
  bool visible_only = true;
};
BOOL CALLBACK CollectTop(HWND hwnd, LPARAM data) {
  auto* c = reinterpret_cast<Collect*>(data);
  if (!c->visible_only || IsWindowVisible(hwnd)) c->found.push_back(hwnd);
  return TRUE;
}
BOOL CALLBACK CollectChild(HWND hwnd, LPARAM data) {
  reinterpret_cast<Collect*>(data)->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows(bool visible_only) {
  Collect c;
  c.visible_only = visible_only;
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

std::vector<HWND> Descendants(HWND parent) {
  Collect c;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

std::wstring ControlName(HWND hwnd) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"HarloweControlName")));
  if (atom == 0) return {};
  wchar_t buf[256] = {};
  UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return std::wstring(buf, n);
}

bool IsForm(HWND hwnd) {
  for (HWND child : Descendants(hwnd)) {
    if (!ControlName(child).empty()) return true;
  }
  return false;
}

bool IsOpenDialog(HWND hwnd) {
  return ClassOf(hwnd) == L"#32770" && GetDlgItem(hwnd, 0x47c) != nullptr &&
         GetDlgItem(hwnd, 0x470) != nullptr;
}

bool IsMessageBox(HWND hwnd) {
  return ClassOf(hwnd) == L"#32770" && GetDlgItem(hwnd, 0xFFFF) != nullptr && !IsOpenDialog(hwnd) &&
         !IsForm(hwnd);
}

HWND FindTopLevel(const std::wstring& pattern, const std::wstring& cls) {
  for (HWND h : TopLevelWindows(true)) {
    if (!cls.empty() && ClassOf(h) != cls) continue;
    if (CaptionMatches(CaptionOf(h), pattern)) return h;
  }
  return nullptr;
}

HWND FindForm(const std::wstring& pattern, bool enabled) {
  for (HWND h : TopLevelWindows(true)) {
    if (!CaptionMatches(CaptionOf(h), pattern) || !IsForm(h)) continue;
    if (enabled && !IsWindowEnabled(h)) continue;
    return h;
  }
  return nullptr;
}

HWND FindControl(HWND form, const std::wstring& name) {
  for (HWND child : Descendants(form)) {
    if (ControlName(child) == name) return child;
  }
  return nullptr;
}

HWND FindMessageBox(const std::wstring& title) {
  for (HWND h : TopLevelWindows(true)) {
    if (!IsMessageBox(h)) continue;
    if (!title.empty() && !CaptionMatches(CaptionOf(h), title)) continue;
    return h;
  }
  return nullptr;
}

namespace {
VOID CALLBACK OnReply(HWND, UINT, ULONG_PTR data, LRESULT) {
  *reinterpret_cast<bool*>(data) = true;
}

}  // namespace

void PumpFor(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

bool SendAndSettle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD pid = ProcessOf(hwnd);
  std::vector<HWND> before;
  for (HWND h : TopLevelWindows(true)) {
    if (ProcessOf(h) == pid) before.push_back(h);
  }
  bool replied = false;
  if (!SendMessageCallbackW(hwnd, msg, wp, lp, OnReply, reinterpret_cast<ULONG_PTR>(&replied))) {
    return false;
  }
  DWORD start = GetTickCount();
  for (;;) {
    PumpFor(10);
    if (replied || !IsWindow(hwnd)) return true;
    for (HWND h : TopLevelWindows(true)) {
      if (ProcessOf(h) == pid && std::find(before.begin(), before.end(), h) == before.end()) {
        return true;
      }
    }
    if (GetTickCount() - start >= AnswerLimit()) return false;
  }
}

bool WaitGone(HWND hwnd) {
  DWORD start = GetTickCount();
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (GetTickCount() - start >= AnswerLimit()) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace driver
