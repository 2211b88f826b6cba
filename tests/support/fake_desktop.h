#pragma once
// A recording desktop for the CAD link's tests: scripted processes, threads and windows, a
// profile file, scripted failures, and a log of every call in the shared event log (the same log
// that FakeUi writes "pump" and "message:" into), e.g. "SetCursorPos 100 200" or "Sleep 25".
// Every logged call also advances the fake clock by 1 ms, Sleep by its duration, so that calls
// retried against a time limit end.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "tests/support/fake_platform.h"

namespace harlowe::test {

class FakeDesktop : public platform::Desktop {
 public:
  explicit FakeDesktop(EventLog& log) : log_(log) {}

  struct Window {
    platform::WindowHandle parent = 0;  // 0: a top-level window of thread
    std::uint32_t thread = 0;
    std::string caption;  // ANSI bytes
    platform::Rect rect;
    bool iconic = false;
    bool topmost = false;
  };

  // --- scripting ---
  void addProcess(std::uint32_t pid, std::string exeFileAnsi) {
    processes.push_back({pid, std::move(exeFileAnsi)});
  }
  void addThread(std::uint32_t tid, std::uint32_t ownerPid) { threads.push_back({tid, ownerPid}); }
  // A top-level window of a thread, or (with parent) a child window.
  void addWindow(platform::WindowHandle h, std::uint32_t thread, std::string captionAnsi,
                 platform::Rect rect = {});
  void addChild(platform::WindowHandle h, platform::WindowHandle parent, std::string captionAnsi,
                platform::Rect rect = {});
  // After `after` more successful calls, the next `times` calls of the named function fail;
  // times -1: every call from then on fails.
  void fail(const std::string& call, int times, int after = 0) { failures_[call] = {after, times}; }

  std::vector<platform::ProcessEntry> processes;
  std::vector<platform::ThreadEntry> threads;
  std::map<platform::WindowHandle, Window> windows;
  std::vector<platform::WindowHandle> windowOrder;  // enumeration order
  std::map<std::string, std::string> profile;       // "section/key" -> value bytes
  std::vector<std::string> profileFiles;            // file names asked for
  bool minimiseWorks = true;                        // CloseWindow leaves the window iconic
  int overstateTextLength = 0;                      // added to GetWindowTextLengthA
  // As on Windows: SetClipboardText fails while the clipboard has no owner (emptied after an
  // OpenClipboard(0)). Off by default, as under Wine.
  bool ownerlessTextRefused = false;
  platform::WindowHandle clipboardOwnerWindow = 900;  // what ClipboardOwnerWindow hands out

  // --- state ---
  platform::Rect screen{0, 0, 1920, 1080};
  platform::Rect clip{0, 0, 1920, 1080};
  int cursorX = 0, cursorY = 0;
  bool clipboardHeldByOther = false;
  bool clipboardOpen = false;
  platform::WindowHandle clipboardOpenedBy = 0;  // the owner passed to the open OpenClipboard
  platform::WindowHandle clipboardOwner = 0;     // set by EmptyClipboard
  std::string clipboard;                         // ANSI bytes now on it
  std::vector<std::string> clipboardTexts;       // every text set, in order
  std::vector<platform::KeyboardInput> inputs;
  std::uint64_t now = 100000;
  int openSnapshots = 0;

  // The log without the search's read-only calls (profile, snapshots, walks, window texts).
  std::vector<std::string> actions() const;
  // The durations of every Sleep, in order.
  std::vector<std::uint32_t> sleeps() const;

  // --- platform::Desktop ---
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
  // Hit test over the scripted windows: top-level windows added later lie above earlier ones,
  // children above their parent; an iconic window or one with an empty rectangle is not hit.
  platform::WindowHandle WindowFromPoint(int x, int y) override;
  platform::WindowHandle GetAncestor(platform::WindowHandle window, std::uint32_t flags) override;
  // The process of a window is the owner of its top-level window's thread (see addThread).
  std::uint32_t GetWindowThreadProcessId(platform::WindowHandle window,
                                         std::uint32_t* processId) override;
  bool GetClipCursor(platform::Rect& rect) override;
  bool ClipCursor(const platform::Rect* rect) override;
  bool SetCursorPos(int x, int y) override;
  void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                   std::uintptr_t extraInfo) override;
  std::uint32_t SendInput(std::uint32_t count, const platform::KeyboardInput* in) override;
  std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) override;
  bool OpenClipboard(platform::WindowHandle owner) override;
  bool EmptyClipboard() override;
  bool SetClipboardText(std::string_view ansiBytes) override;
  bool CloseClipboard() override;
  platform::WindowHandle ClipboardOwnerWindow() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t GetTickCount64() override { return now; }

 private:
  void record(std::string line);
  bool failsNow(const std::string& call);  // consumes one scripted failure
  Window* find(platform::WindowHandle h);
  platform::WindowHandle root(platform::WindowHandle h);
  platform::WindowHandle hit(platform::WindowHandle parent, int x, int y);
  bool walkChildren(platform::WindowHandle parent, const platform::WindowEnumProc& proc,
                    std::intptr_t data);

  EventLog& log_;
  struct Failure {
    int after = 0;
    int times = 0;
  };
  std::map<std::string, Failure> failures_;
  struct Snapshot {
    std::uint32_t flags;
    std::size_t next = 0;
  };
  std::map<platform::Handle, Snapshot> snapshots_;
  platform::Handle nextSnapshot_ = 0x500;
};

}  // namespace harlowe::test
