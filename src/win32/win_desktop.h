#pragma once
// The desktop seam on Win32: each method passes straight through to the call of the same name.
#include <windows.h>

#include "platform/desktop.h"

namespace harlowe::win32 {

class WinDesktop final : public platform::Desktop {
 public:
  std::uint32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                         std::string_view defaultValue, char* buffer,
                                         std::uint32_t size, const std::string& fileName) override;
  platform::Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) override;
  bool Process32First(platform::Handle snapshot, platform::ProcessEntry& entry) override;
  bool Process32Next(platform::Handle snapshot, platform::ProcessEntry& entry) override;
  bool Thread32First(platform::Handle snapshot, platform::ThreadEntry& entry) override;
  bool Thread32Next(platform::Handle snapshot, platform::ThreadEntry& entry) override;
  bool CloseHandle(platform::Handle handle) override;
  bool EnumThreadWindows(std::uint32_t threadId, const platform::WindowEnumProc& proc,
                         std::intptr_t data) override;
  bool EnumChildWindows(platform::WindowHandle parent, const platform::WindowEnumProc& proc,
                        std::intptr_t data) override;
  int GetWindowTextLengthA(platform::WindowHandle window) override;
  int GetWindowTextA(platform::WindowHandle window, char* buffer, int maxCount) override;
  bool CloseWindow(platform::WindowHandle window) override;
  bool IsIconic(platform::WindowHandle window) override;
  bool OpenIcon(platform::WindowHandle window) override;
  bool SetForegroundWindow(platform::WindowHandle window) override;
  bool SetWindowPos(platform::WindowHandle window, platform::WindowHandle insertAfter, int x, int y,
                    int cx, int cy, std::uint32_t flags) override;
  bool GetWindowRect(platform::WindowHandle window, platform::Rect& rect) override;
  platform::WindowHandle WindowFromPoint(int x, int y) override;
  platform::WindowHandle GetAncestor(platform::WindowHandle window, std::uint32_t flags) override;
  std::uint32_t GetWindowThreadProcessId(platform::WindowHandle window,
                                         std::uint32_t* processId) override;
  bool GetClipCursor(platform::Rect& rect) override;
  bool ClipCursor(const platform::Rect* rect) override;
  bool SetCursorPos(int x, int y) override;
  void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                   std::uintptr_t extraInfo) override;
  std::uint32_t SendInput(std::uint32_t count, const platform::KeyboardInput* inputs) override;
  std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) override;
  bool OpenClipboard(platform::WindowHandle owner) override;
  bool EmptyClipboard() override;
  bool SetClipboardText(std::string_view ansiBytes) override;
  bool CloseClipboard() override;
  platform::WindowHandle ClipboardOwnerWindow() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t GetTickCount64() override;

 private:
  // Created on first use on the thread that delivers; it goes when that thread ends.
  HWND clipboardOwner_ = nullptr;
};

}  // namespace harlowe::win32
