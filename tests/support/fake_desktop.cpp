#include "tests/support/fake_desktop.h"

#include <algorithm>
#include <cstring>

namespace harlowe::test {

using platform::WindowHandle;

namespace {

std::string rectText(const platform::Rect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

constexpr std::string_view kQueries[] = {"GetPrivateProfileStringA",
                                         "CreateToolhelp32Snapshot",
                                         "Process32First",
                                         "Process32Next",
                                         "Thread32First",
                                         "Thread32Next",
                                         "CloseHandle",
                                         "EnumThreadWindows",
                                         "EnumChildWindows",
                                         "GetWindowTextLengthA",
                                         "GetWindowTextA"};

}  // namespace

void FakeDesktop::addWindow(WindowHandle h, std::uint32_t thread, std::string captionAnsi,
                            platform::Rect rect) {
  Window w;
  w.thread = thread;
  w.caption = std::move(captionAnsi);
  w.rect = rect;
  windows[h] = w;
  windowOrder.push_back(h);
}

void FakeDesktop::addChild(WindowHandle h, WindowHandle parent, std::string captionAnsi,
                           platform::Rect rect) {
  Window w;
  w.parent = parent;
  w.caption = std::move(captionAnsi);
  w.rect = rect;
  windows[h] = w;
  windowOrder.push_back(h);
}

std::vector<std::string> FakeDesktop::actions() const {
  std::vector<std::string> out;
  for (const auto& line : log_) {
    std::string_view name = std::string_view(line).substr(0, line.find(' '));
    if (std::find(std::begin(kQueries), std::end(kQueries), name) == std::end(kQueries)) {
      out.push_back(line);
    }
  }
  return out;
}

std::vector<std::uint32_t> FakeDesktop::sleeps() const {
  std::vector<std::uint32_t> out;
  for (const auto& line : log_) {
    if (line.rfind("Sleep ", 0) == 0)
      out.push_back(static_cast<std::uint32_t>(std::stoul(line.substr(6))));
  }
  return out;
}

void FakeDesktop::record(std::string line) {
  log_.push_back(std::move(line));
  now += 1;
}

bool FakeDesktop::failsNow(const std::string& call) {
  auto it = failures_.find(call);
  if (it == failures_.end()) return false;
  Failure& f = it->second;
  if (f.after > 0) {
    --f.after;
    return false;
  }
  if (f.times == 0) return false;
  if (f.times > 0) --f.times;
  return true;
}

FakeDesktop::Window* FakeDesktop::find(WindowHandle h) {
  auto it = windows.find(h);
  return it == windows.end() ? nullptr : &it->second;
}

std::uint32_t FakeDesktop::GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                    std::string_view defaultValue, char* buffer,
                                                    std::uint32_t size,
                                                    const std::string& fileName) {
  record("GetPrivateProfileStringA " + std::string(section) + " " + std::string(key) + " " +
         std::string(defaultValue) + " " + std::to_string(size));
  profileFiles.push_back(fileName);
  auto it = profile.find(std::string(section) + "/" + std::string(key));
  std::string_view value = it == profile.end() ? defaultValue : std::string_view(it->second);
  if (size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

platform::Handle FakeDesktop::CreateToolhelp32Snapshot(std::uint32_t flags,
                                                       std::uint32_t processId) {
  record("CreateToolhelp32Snapshot " + std::to_string(flags) + " " + std::to_string(processId));
  if (failsNow("CreateToolhelp32Snapshot")) return platform::kInvalidHandle;
  platform::Handle h = nextSnapshot_++;
  snapshots_[h] = Snapshot{flags};
  ++openSnapshots;
  return h;
}

bool FakeDesktop::Process32First(platform::Handle snapshot, platform::ProcessEntry& entry) {
  record("Process32First");
  auto it = snapshots_.find(snapshot);
  if (it == snapshots_.end() || it->second.flags != platform::kTh32csSnapProcess) return false;
  it->second.next = 0;
  return Process32Next(snapshot, entry);
}

bool FakeDesktop::Process32Next(platform::Handle snapshot, platform::ProcessEntry& entry) {
  record("Process32Next");
  auto it = snapshots_.find(snapshot);
  if (it == snapshots_.end() || it->second.next >= processes.size()) return false;
  entry = processes[it->second.next++];
  return true;
}

bool FakeDesktop::Thread32First(platform::Handle snapshot, platform::ThreadEntry& entry) {
  record("Thread32First");
  auto it = snapshots_.find(snapshot);
  if (it == snapshots_.end() || it->second.flags != platform::kTh32csSnapThread) return false;
  it->second.next = 0;
  return Thread32Next(snapshot, entry);
}

bool FakeDesktop::Thread32Next(platform::Handle snapshot, platform::ThreadEntry& entry) {
  record("Thread32Next");
  auto it = snapshots_.find(snapshot);
  if (it == snapshots_.end() || it->second.next >= threads.size()) return false;
  entry = threads[it->second.next++];
  return true;
}

bool FakeDesktop::CloseHandle(platform::Handle handle) {
  record("CloseHandle " + std::to_string(handle));
  if (snapshots_.erase(handle) == 0) return false;
  --openSnapshots;
  return true;
}

bool FakeDesktop::EnumThreadWindows(std::uint32_t threadId, const platform::WindowEnumProc& proc,
                                    std::intptr_t data) {
  record("EnumThreadWindows " + std::to_string(threadId) + " " + std::to_string(data));
  const auto order = windowOrder;  // the callback may not add windows, but be safe
  for (WindowHandle h : order) {
    const Window* w = find(h);
    if (w == nullptr || w->parent != 0 || w->thread != threadId) continue;
    if (!proc(h, data)) break;
  }
  return true;
}

bool FakeDesktop::walkChildren(WindowHandle parent, const platform::WindowEnumProc& proc,
                               std::intptr_t data) {
  const auto order = windowOrder;
  for (WindowHandle h : order) {
    const Window* w = find(h);
    if (w == nullptr || w->parent != parent) continue;
    if (!proc(h, data)) return false;
    if (!walkChildren(h, proc, data)) return false;
  }
  return true;
}

bool FakeDesktop::EnumChildWindows(WindowHandle parent, const platform::WindowEnumProc& proc,
                                   std::intptr_t data) {
  record("EnumChildWindows " + std::to_string(parent) + " " + std::to_string(data));
  walkChildren(parent, proc, data);
  return true;
}

int FakeDesktop::GetWindowTextLengthA(WindowHandle window) {
  record("GetWindowTextLengthA " + std::to_string(window));
  const Window* w = find(window);
  return w == nullptr ? 0 : static_cast<int>(w->caption.size()) + overstateTextLength;
}

int FakeDesktop::GetWindowTextA(WindowHandle window, char* buffer, int maxCount) {
  record("GetWindowTextA " + std::to_string(window) + " " + std::to_string(maxCount));
  const Window* w = find(window);
  if (maxCount <= 0) return 0;
  if (w == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  const std::size_t n = std::min<std::size_t>(w->caption.size(), maxCount - 1);
  std::memcpy(buffer, w->caption.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

bool FakeDesktop::CloseWindow(WindowHandle window) {
  record("CloseWindow " + std::to_string(window));
  Window* w = find(window);
  if (w == nullptr || failsNow("CloseWindow")) return false;
  if (minimiseWorks) w->iconic = true;
  return true;
}

bool FakeDesktop::IsIconic(WindowHandle window) {
  record("IsIconic " + std::to_string(window));
  const Window* w = find(window);
  return w != nullptr && w->iconic;
}

bool FakeDesktop::OpenIcon(WindowHandle window) {
  record("OpenIcon " + std::to_string(window));
  Window* w = find(window);
  if (w == nullptr || failsNow("OpenIcon")) return false;
  w->iconic = false;
  return true;
}

bool FakeDesktop::SetForegroundWindow(WindowHandle window) {
  record("SetForegroundWindow " + std::to_string(window));
  return find(window) != nullptr && !failsNow("SetForegroundWindow");
}

bool FakeDesktop::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                               int cy, std::uint32_t flags) {
  record("SetWindowPos " + std::to_string(window) + " " + std::to_string(insertAfter) + " " +
         std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(cx) + " " +
         std::to_string(cy) + " " + std::to_string(flags));
  Window* w = find(window);
  if (w == nullptr || failsNow("SetWindowPos")) return false;
  if (insertAfter == platform::kHwndTopmost) w->topmost = true;
  if (insertAfter == platform::kHwndNoTopmost) w->topmost = false;
  return true;
}

bool FakeDesktop::GetWindowRect(WindowHandle window, platform::Rect& rect) {
  record("GetWindowRect " + std::to_string(window));
  const Window* w = find(window);
  if (w == nullptr) return false;
  rect = w->rect;
  return true;
}

WindowHandle FakeDesktop::root(WindowHandle h) {
  const Window* w = find(h);
  for (int depth = 0; w != nullptr && w->parent != 0 && depth < 64; ++depth) {
    h = w->parent;
    w = find(h);
  }
  return w == nullptr ? 0 : h;
}

WindowHandle FakeDesktop::hit(WindowHandle parent, int x, int y) {
  for (auto it = windowOrder.rbegin(); it != windowOrder.rend(); ++it) {
    const Window* w = find(*it);
    if (w == nullptr || w->parent != parent || w->iconic) continue;
    const platform::Rect& r = w->rect;
    if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
    const WindowHandle child = hit(*it, x, y);
    return child != 0 ? child : *it;
  }
  return 0;
}

WindowHandle FakeDesktop::WindowFromPoint(int x, int y) {
  record("WindowFromPoint " + std::to_string(x) + " " + std::to_string(y));
  return hit(0, x, y);
}

WindowHandle FakeDesktop::GetAncestor(WindowHandle window, std::uint32_t flags) {
  record("GetAncestor " + std::to_string(window) + " " + std::to_string(flags));
  return flags == platform::kGaRoot ? root(window) : 0;
}

std::uint32_t FakeDesktop::GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
  record("GetWindowThreadProcessId " + std::to_string(window));
  if (processId != nullptr) *processId = 0;
  const Window* top = find(root(window));
  if (top == nullptr) return 0;
  for (const auto& t : threads) {
    if (t.th32ThreadID != top->thread) continue;
    if (processId != nullptr) *processId = t.th32OwnerProcessID;
    return t.th32ThreadID;
  }
  return 0;
}

bool FakeDesktop::GetClipCursor(platform::Rect& rect) {
  record("GetClipCursor");
  if (failsNow("GetClipCursor")) return false;
  rect = clip;
  return true;
}

bool FakeDesktop::ClipCursor(const platform::Rect* rect) {
  record(rect == nullptr ? "ClipCursor null" : "ClipCursor " + rectText(*rect));
  if (failsNow("ClipCursor")) return false;
  clip = rect == nullptr ? screen : *rect;
  return true;
}

bool FakeDesktop::SetCursorPos(int x, int y) {
  record("SetCursorPos " + std::to_string(x) + " " + std::to_string(y));
  if (failsNow("SetCursorPos")) return false;
  cursorX = std::clamp(x, clip.left, std::max(clip.left, clip.right - 1));
  cursorY = std::clamp(y, clip.top, std::max(clip.top, clip.bottom - 1));
  return true;
}

void FakeDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                              std::uint32_t data, std::uintptr_t extraInfo) {
  record("mouse_event " + std::to_string(flags) + " " + std::to_string(dx) + " " +
         std::to_string(dy) + " " + std::to_string(data) + " " + std::to_string(extraInfo));
}

std::uint32_t FakeDesktop::SendInput(std::uint32_t count, const platform::KeyboardInput* in) {
  std::string line = "SendInput " + std::to_string(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    line += " type=" + std::to_string(in[i].type) + " vk=" + std::to_string(in[i].wVk) +
            " scan=" + std::to_string(in[i].wScan) + " flags=" + std::to_string(in[i].dwFlags) +
            " time=" + std::to_string(in[i].time) + " extra=" + std::to_string(in[i].dwExtraInfo);
  }
  record(line);
  if (failsNow("SendInput")) return 0;
  inputs.insert(inputs.end(), in, in + count);
  return count;
}

std::uint32_t FakeDesktop::MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
  record("MapVirtualKeyA " + std::to_string(code) + " " + std::to_string(mapType));
  switch (code) {
    case 17:
      return 0x1D;
    case 86:
      return 0x2F;
    default:
      return 0;
  }
}

bool FakeDesktop::OpenClipboard(WindowHandle owner) {
  record("OpenClipboard " + std::to_string(owner));
  if (clipboardHeldByOther || clipboardOpen || failsNow("OpenClipboard")) return false;
  clipboardOpen = true;
  clipboardOpenedBy = owner;
  return true;
}

bool FakeDesktop::EmptyClipboard() {
  record("EmptyClipboard");
  if (!clipboardOpen) return false;
  clipboard.clear();
  clipboardOwner = clipboardOpenedBy;
  return true;
}

bool FakeDesktop::SetClipboardText(std::string_view ansiBytes) {
  record("SetClipboardText " + std::to_string(ansiBytes.size()));
  if (!clipboardOpen || failsNow("SetClipboardText")) return false;
  if (ownerlessTextRefused && clipboardOwner == 0) return false;
  clipboard = std::string(ansiBytes);
  clipboardTexts.push_back(clipboard);
  return true;
}

bool FakeDesktop::CloseClipboard() {
  record("CloseClipboard");
  if (!clipboardOpen) return false;
  clipboardOpen = false;
  return true;
}

WindowHandle FakeDesktop::ClipboardOwnerWindow() {
  record("ClipboardOwnerWindow");
  return clipboardOwnerWindow;
}

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
  record("Sleep " + std::to_string(milliseconds));
  now += milliseconds;
}

}  // namespace harlowe::test
