#pragma once
// The desktop as the CAD link sees it: process and thread snapshots, windows, the cursor, the
// keyboard and mouse, the clipboard and the profile (INI) file read. Each method mirrors one
// Win32 call: same name, same success result (nonzero / true), texts as ANSI code-page bytes
// where the Win32 call is an A form. src/win32 passes the calls through; tests/support records
// them.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace harlowe::platform {

// A window handle (HWND) as an integer; 0 is no window. Signed so that the pseudo handles of
// SetWindowPos read naturally (-1 topmost, -2 not topmost).
using WindowHandle = std::int64_t;

inline constexpr WindowHandle kHwndTopmost = -1;
inline constexpr WindowHandle kHwndNoTopmost = -2;
inline constexpr std::uint32_t kSwpNoSize = 0x1;
inline constexpr std::uint32_t kSwpNoMove = 0x2;
inline constexpr std::uint32_t kSwpShowWindow = 0x40;

// GetAncestor: the root window, walking the chain of parents.
inline constexpr std::uint32_t kGaRoot = 2;

inline constexpr std::uint32_t kTh32csSnapProcess = 2;
inline constexpr std::uint32_t kTh32csSnapThread = 4;
// What CreateToolhelp32Snapshot returns on failure (INVALID_HANDLE_VALUE).
inline constexpr Handle kInvalidHandle = ~Handle{0};

inline constexpr std::uint32_t kMouseEventLeftDown = 0x2;
inline constexpr std::uint32_t kMouseEventLeftUp = 0x4;

inline constexpr std::uint32_t kInputKeyboard = 1;
inline constexpr std::uint32_t kKeyEventExtendedKey = 0x1;
inline constexpr std::uint32_t kKeyEventKeyUp = 0x2;
inline constexpr std::uint32_t kMapVkVkToVsc = 0;

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// One record of a process snapshot. exeFile is the executable's file name in ANSI code-page
// bytes, as the ANSI form of the record carries it.
struct ProcessEntry {
  std::uint32_t th32ProcessID = 0;
  std::string exeFile;
};

// One record of a thread snapshot.
struct ThreadEntry {
  std::uint32_t th32ThreadID = 0;
  std::uint32_t th32OwnerProcessID = 0;
};

// One keyboard INPUT record (type INPUT_KEYBOARD).
struct KeyboardInput {
  std::uint32_t type = kInputKeyboard;
  std::uint16_t wVk = 0;
  std::uint16_t wScan = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t time = 0;
  std::uint64_t dwExtraInfo = 0;
};

// Callback of the window walks: (window, the data passed to the walk); false stops the walk.
using WindowEnumProc = std::function<bool(WindowHandle, std::intptr_t)>;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Profile file. Copies at most size - 1 bytes of the value (or of the default when the file,
  // section or key is missing) into buffer, NUL-terminates it and returns the count copied.
  // fileName is the program's own path text (UTF-8); the Windows side hands it to the profile
  // API in a form that reaches the file even from a folder with Japanese characters.
  virtual std::uint32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                 std::string_view defaultValue, char* buffer,
                                                 std::uint32_t size,
                                                 const std::string& fileName) = 0;

  // Toolhelp snapshots; kInvalidHandle on failure.
  virtual Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) = 0;
  virtual bool Process32First(Handle snapshot, ProcessEntry& entry) = 0;
  virtual bool Process32Next(Handle snapshot, ProcessEntry& entry) = 0;
  virtual bool Thread32First(Handle snapshot, ThreadEntry& entry) = 0;
  virtual bool Thread32Next(Handle snapshot, ThreadEntry& entry) = 0;
  virtual bool CloseHandle(Handle handle) = 0;

  // Window walks: the callback runs on the calling thread before the walk returns.
  virtual bool EnumThreadWindows(std::uint32_t threadId, const WindowEnumProc& proc,
                                 std::intptr_t data) = 0;
  virtual bool EnumChildWindows(WindowHandle parent, const WindowEnumProc& proc,
                                std::intptr_t data) = 0;
  // Window text in ANSI bytes: the length, and the text copied into buffer (at most
  // maxCount - 1 bytes and a NUL); both return the count.
  virtual int GetWindowTextLengthA(WindowHandle window) = 0;
  virtual int GetWindowTextA(WindowHandle window, char* buffer, int maxCount) = 0;

  // Window state.
  virtual bool CloseWindow(WindowHandle window) = 0;  // minimises
  virtual bool IsIconic(WindowHandle window) = 0;
  virtual bool OpenIcon(WindowHandle window) = 0;  // restores
  virtual bool SetForegroundWindow(WindowHandle window) = 0;
  virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                            int cy, std::uint32_t flags) = 0;
  virtual bool GetWindowRect(WindowHandle window, Rect& rect) = 0;
  // The visible window under a screen point (0 for none), and a window's ancestor.
  virtual WindowHandle WindowFromPoint(int x, int y) = 0;
  virtual WindowHandle GetAncestor(WindowHandle window, std::uint32_t flags) = 0;
  // The thread that created a window (0 for no such window); processId, when given, receives
  // the id of its process.
  virtual std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) = 0;

  // Cursor and input. ClipCursor(nullptr) frees the cursor.
  virtual bool GetClipCursor(Rect& rect) = 0;
  virtual bool ClipCursor(const Rect* rect) = 0;
  virtual bool SetCursorPos(int x, int y) = 0;
  virtual void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                           std::uint32_t data, std::uintptr_t extraInfo) = 0;
  // Inserts count keyboard records; returns the number inserted (0 on failure). The size of
  // the native record is the implementation's business.
  virtual std::uint32_t SendInput(std::uint32_t count, const KeyboardInput* inputs) = 0;
  virtual std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) = 0;

  // Clipboard. SetClipboardText puts ANSI bytes in the CF_TEXT format (GlobalAlloc and
  // SetClipboardData); the clipboard must be open and emptied by this program.
  virtual bool OpenClipboard(WindowHandle owner) = 0;
  virtual bool EmptyClipboard() = 0;
  virtual bool SetClipboardText(std::string_view ansiBytes) = 0;
  virtual bool CloseClipboard() = 0;
  // Not a Win32 call: a hidden window of this program that can own the clipboard, created on the
  // first call and kept until the program ends; 0 when none can be created. Windows refuses
  // SetClipboardData while the clipboard has no owner, which is what EmptyClipboard leaves after
  // OpenClipboard(0).
  virtual WindowHandle ClipboardOwnerWindow() = 0;

  // Time.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual std::uint64_t GetTickCount64() = 0;  // milliseconds since an arbitrary start
};

}  // namespace harlowe::platform
