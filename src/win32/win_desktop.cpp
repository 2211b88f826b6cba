// The Toolhelp header maps Process32First/Next to their wide forms; the seam's methods carry the
// plain names, so the macros go before anything else sees them.
#include <windows.h>
// (after windows.h, whose types it uses)
#include <tlhelp32.h>
#undef Process32First
#undef Process32Next
#undef PROCESSENTRY32

#include <string>
#include <vector>

#include "win32/win_desktop.h"
#include "win32/win_text.h"

namespace harlowe::win32 {

using platform::WindowHandle;

namespace {

HWND toHwnd(WindowHandle h) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(h)); }
WindowHandle fromHwnd(HWND h) {
  return static_cast<WindowHandle>(reinterpret_cast<std::intptr_t>(h));
}
HANDLE toHandle(platform::Handle h) { return reinterpret_cast<HANDLE>(h); }

RECT toRect(const platform::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
platform::Rect fromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// UTF-16 to ANSI bytes; a character the code page lacks becomes its default character, as the
// ANSI calls hand it out. usedDefault (optional) tells whether that happened.
std::string toAnsi(std::wstring_view wide, bool* usedDefault = nullptr) {
  if (usedDefault != nullptr) *usedDefault = false;
  if (wide.empty()) return {};
  BOOL lost = FALSE;
  const DWORD flags = usedDefault != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL* lostPtr = usedDefault != nullptr ? &lost : nullptr;
  const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, lostPtr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, lostPtr);
  if (usedDefault != nullptr) *usedDefault = lost != FALSE;
  return out;
}

struct EnumContext {
  const platform::WindowEnumProc* proc;
  std::intptr_t data;
};

BOOL CALLBACK enumTrampoline(HWND window, LPARAM context) {
  const auto* c = reinterpret_cast<const EnumContext*>(context);
  return (*c->proc)(fromHwnd(window), c->data) ? TRUE : FALSE;
}

void copyProcess(const PROCESSENTRY32W& pe, platform::ProcessEntry& entry) {
  entry.th32ProcessID = pe.th32ProcessID;
  entry.exeFile = toAnsi(pe.szExeFile);
}

void copyThread(const THREADENTRY32& te, platform::ThreadEntry& entry) {
  entry.th32ThreadID = te.th32ThreadID;
  entry.th32OwnerProcessID = te.th32OwnerProcessID;
}

}  // namespace

std::uint32_t WinDesktop::GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                   std::string_view defaultValue, char* buffer,
                                                   std::uint32_t size,
                                                   const std::string& fileName) {
  if (size == 0) return 0;
  const std::wstring widePath = widen(fileName);
  bool lost = false;
  const std::string ansiPath = toAnsi(widePath, &lost);
  const std::string s(section), k(key), d(defaultValue);
  if (!lost) {
    return ::GetPrivateProfileStringA(s.c_str(), k.c_str(), d.c_str(), buffer, size,
                                      ansiPath.c_str());
  }
  // A folder the ANSI code page cannot name: read through the wide call and hand the value out
  // in ANSI bytes, cut at a character boundary within the same byte budget.
  std::vector<wchar_t> wide(size, L'\0');
  const DWORD n = ::GetPrivateProfileStringW(widen(s).c_str(), widen(k).c_str(), widen(d).c_str(),
                                             wide.data(), size, widePath.c_str());
  std::string value = toAnsi(std::wstring_view(wide.data(), n));
  std::size_t keep = 0;
  while (keep < value.size()) {
    const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(value[keep])) ? 2 : 1;
    if (keep + step > size - 1) break;
    keep += step;
  }
  value.copy(buffer, keep);
  buffer[keep] = '\0';
  return static_cast<std::uint32_t>(keep);
}

platform::Handle WinDesktop::CreateToolhelp32Snapshot(std::uint32_t flags,
                                                      std::uint32_t processId) {
  HANDLE h = ::CreateToolhelp32Snapshot(flags, processId);
  return h == INVALID_HANDLE_VALUE ? platform::kInvalidHandle
                                   : reinterpret_cast<platform::Handle>(h);
}

bool WinDesktop::Process32First(platform::Handle snapshot, platform::ProcessEntry& entry) {
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  if (!::Process32FirstW(toHandle(snapshot), &pe)) return false;
  copyProcess(pe, entry);
  return true;
}

bool WinDesktop::Process32Next(platform::Handle snapshot, platform::ProcessEntry& entry) {
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  if (!::Process32NextW(toHandle(snapshot), &pe)) return false;
  copyProcess(pe, entry);
  return true;
}

bool WinDesktop::Thread32First(platform::Handle snapshot, platform::ThreadEntry& entry) {
  THREADENTRY32 te{};
  te.dwSize = sizeof(te);
  if (!::Thread32First(toHandle(snapshot), &te)) return false;
  copyThread(te, entry);
  return true;
}

bool WinDesktop::Thread32Next(platform::Handle snapshot, platform::ThreadEntry& entry) {
  THREADENTRY32 te{};
  te.dwSize = sizeof(te);
  if (!::Thread32Next(toHandle(snapshot), &te)) return false;
  copyThread(te, entry);
  return true;
}

bool WinDesktop::CloseHandle(platform::Handle handle) {
  return ::CloseHandle(toHandle(handle)) != FALSE;
}

bool WinDesktop::EnumThreadWindows(std::uint32_t threadId, const platform::WindowEnumProc& proc,
                                   std::intptr_t data) {
  EnumContext c{&proc, data};
  return ::EnumThreadWindows(threadId, enumTrampoline, reinterpret_cast<LPARAM>(&c)) != FALSE;
}

bool WinDesktop::EnumChildWindows(WindowHandle parent, const platform::WindowEnumProc& proc,
                                  std::intptr_t data) {
  EnumContext c{&proc, data};
  return ::EnumChildWindows(toHwnd(parent), enumTrampoline, reinterpret_cast<LPARAM>(&c)) != FALSE;
}

int WinDesktop::GetWindowTextLengthA(WindowHandle window) {
  return ::GetWindowTextLengthA(toHwnd(window));
}

int WinDesktop::GetWindowTextA(WindowHandle window, char* buffer, int maxCount) {
  return ::GetWindowTextA(toHwnd(window), buffer, maxCount);
}

bool WinDesktop::CloseWindow(WindowHandle window) { return ::CloseWindow(toHwnd(window)) != FALSE; }
bool WinDesktop::IsIconic(WindowHandle window) { return ::IsIconic(toHwnd(window)) != FALSE; }
bool WinDesktop::OpenIcon(WindowHandle window) { return ::OpenIcon(toHwnd(window)) != FALSE; }
bool WinDesktop::SetForegroundWindow(WindowHandle window) {
  return ::SetForegroundWindow(toHwnd(window)) != FALSE;
}

bool WinDesktop::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                              int cy, std::uint32_t flags) {
  return ::SetWindowPos(toHwnd(window), toHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool WinDesktop::GetWindowRect(WindowHandle window, platform::Rect& rect) {
  RECT r{};
  if (!::GetWindowRect(toHwnd(window), &r)) return false;
  rect = fromRect(r);
  return true;
}

WindowHandle WinDesktop::WindowFromPoint(int x, int y) {
  return fromHwnd(::WindowFromPoint(POINT{x, y}));
}

WindowHandle WinDesktop::GetAncestor(WindowHandle window, std::uint32_t flags) {
  return fromHwnd(::GetAncestor(toHwnd(window), flags));
}

std::uint32_t WinDesktop::GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
  DWORD pid = 0;
  const DWORD thread = ::GetWindowThreadProcessId(toHwnd(window), &pid);
  if (processId != nullptr) *processId = pid;
  return thread;
}

bool WinDesktop::GetClipCursor(platform::Rect& rect) {
  RECT r{};
  if (!::GetClipCursor(&r)) return false;
  rect = fromRect(r);
  return true;
}

bool WinDesktop::ClipCursor(const platform::Rect* rect) {
  if (rect == nullptr) return ::ClipCursor(nullptr) != FALSE;
  const RECT r = toRect(*rect);
  return ::ClipCursor(&r) != FALSE;
}

bool WinDesktop::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != FALSE; }

void WinDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                             std::uint32_t data, std::uintptr_t extraInfo) {
  ::mouse_event(flags, dx, dy, data, extraInfo);
}

std::uint32_t WinDesktop::SendInput(std::uint32_t count, const platform::KeyboardInput* inputs) {
  std::vector<INPUT> records(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    INPUT& in = records[i];
    in.type = inputs[i].type;
    in.ki.wVk = inputs[i].wVk;
    in.ki.wScan = inputs[i].wScan;
    in.ki.dwFlags = inputs[i].dwFlags;
    in.ki.time = inputs[i].time;
    in.ki.dwExtraInfo = static_cast<ULONG_PTR>(inputs[i].dwExtraInfo);
  }
  // The real record size: 40 bytes on x64; any other size fails with an invalid parameter.
  return ::SendInput(count, records.data(), sizeof(INPUT));
}

std::uint32_t WinDesktop::MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

bool WinDesktop::OpenClipboard(WindowHandle owner) {
  return ::OpenClipboard(toHwnd(owner)) != FALSE;
}
bool WinDesktop::EmptyClipboard() { return ::EmptyClipboard() != FALSE; }
bool WinDesktop::CloseClipboard() { return ::CloseClipboard() != FALSE; }

bool WinDesktop::SetClipboardText(std::string_view ansiBytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, ansiBytes.size() + 1);
  if (memory == nullptr) return false;
  auto* bytes = static_cast<char*>(GlobalLock(memory));
  if (bytes == nullptr) {
    GlobalFree(memory);
    return false;
  }
  ansiBytes.copy(bytes, ansiBytes.size());
  bytes[ansiBytes.size()] = '\0';
  GlobalUnlock(memory);
  // On success the clipboard owns the memory.
  if (SetClipboardData(CF_TEXT, memory) == nullptr) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

WindowHandle WinDesktop::ClipboardOwnerWindow() {
  // A message-only window: never shown, never in the way of a click, and enough to own the
  // clipboard. The predefined static class needs no registration.
  if (clipboardOwner_ == nullptr) {
    clipboardOwner_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
  }
  return fromHwnd(clipboardOwner_);
}

void WinDesktop::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }
std::uint64_t WinDesktop::GetTickCount64() { return ::GetTickCount64(); }

}  // namespace harlowe::win32
