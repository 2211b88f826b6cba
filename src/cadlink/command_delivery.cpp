#include "cadlink/command_delivery.h"

#include "import/run_settings.h"

namespace harlowe::cadlink {

using platform::WindowHandle;

namespace {

constexpr std::uint16_t kVkControl = 17;
constexpr std::uint16_t kVkV = 86;

constexpr const char* kCadNotFound = "CADが見つかりませんでした。";
constexpr const char* kCommandLineNotFound = "CADのコマンドラインが見つかりませんでした。";
constexpr const char* kNoResponse = "CADの画面を操作できないため、コマンドの送信を中止しました。";
constexpr const char* kCommandLineCovered =
    "CADのコマンドラインが他のウィンドウに隠れているため、コマンドの送信を中止しました。";
constexpr const char* kClipboardBusy =
    "クリップボードを使用できないため、コマンドの送信を中止しました。";

// The middle of two coordinates, rounded toward minus infinity.
int midpoint(std::int32_t a, std::int32_t b) {
  const std::int64_t sum = std::int64_t{a} + b;
  return static_cast<int>(sum >= 0 ? sum / 2 : -((-sum + 1) / 2));
}

}  // namespace

CommandDelivery::CommandDelivery(platform::Desktop& desktop, platform::Ui& ui,
                                 platform::System& system, const platform::CodePage& codePage)
    : desktop_(desktop), ui_(ui), codePage_(codePage), search_({desktop, system, codePage}) {}

void CommandDelivery::sendCommandToCad(RunSettings& s) {
  delayUnit_ = s.DelayUnit;
  search_.readSettings();
  haveSavedClip_ = desktop_.GetClipCursor(savedClipRect_);
  search_.FindCadInstances();

  // Without a CAD window or its command line there is nowhere to click: the pointer stays where
  // it is and nothing is pasted into whatever window has the focus.
  const CadWindowEntry* entry = search_.selectedEntry();
  if (entry == nullptr || entry->MainWnd == 0) return tell(kCadNotFound, s.CadCommand);
  // Another instance's command line would take the command for a drawing the user did not choose.
  if (search_.LastCommandWnd == 0 || entry->OwnCommandWnd == 0)
    return tell(kCommandLineNotFound, s.CadCommand);
  deliver(entry->MainWnd, search_.LastCommandWnd, s.CadCommand);
}

void CommandDelivery::deliver(WindowHandle target, WindowHandle commandWnd,
                              const std::string& command) {
  // Minimise and restore: this brings the CAD to the front more reliably than asking for the
  // foreground alone.
  desktop_.CloseWindow(target);
  ui_.pumpEvents();
  wait(5);
  try {
    if (desktop_.IsIconic(target)) {
      retry([&] { return desktop_.OpenIcon(target); }, false);
    } else {
      retry([&] { return desktop_.SetForegroundWindow(target); }, false);
    }
  } catch (const Stopped&) {
    return tell(kNoResponse, command);
  }

  platform::Rect rect;
  if (!desktop_.GetWindowRect(commandWnd, rect)) return tell(kCommandLineNotFound, command);
  const int cx = midpoint(rect.left, rect.right);
  const int cy = midpoint(rect.top, rect.bottom);

  try {
    retry(
        [&] {
          return desktop_.SetWindowPos(target, platform::kHwndTopmost, 0, 0, 0, 0,
                                       platform::kSwpNoMove | platform::kSwpNoSize);
        },
        true);
    retry([&] { return desktop_.SetCursorPos(cx, cy); }, true);
    retry([&] { return desktop_.ClipCursor(&rect); }, true);
    retry([&] { return desktop_.SetCursorPos(cx, cy); }, true);
    // The click and the pastes go to whatever window is under the point: another program's
    // window, or another instance of the CAD, would receive the command.
    if (!clickReachesCad(target, cx, cy)) {
      restoreCursorAndTopmost(target);
      return tell(kCommandLineCovered, command);
    }
    desktop_.mouse_event(platform::kMouseEventLeftDown, 0, 0, 0, 0);
    wait(5);
    desktop_.mouse_event(platform::kMouseEventLeftUp, 0, 0, 0, 0);
    wait(5);

    paste(kEchoOffText, cx, cy);
    paste(kWaitNoticeText, cx, cy);
    paste(command, cx, cy);

    // The command is in; a clipboard that cannot be emptied now is no reason to alarm anyone.
    try {
      clearClipboard();
    } catch (const Stopped&) {
    }
    ui_.pumpEvents();
    wait(7);
    // The confinement outlives this program, so its release is retried like the other calls.
    releaseCursor();
    dropTopmost(target);
  } catch (const Stopped& stopped) {
    restoreCursorAndTopmost(target);
    tell(stopped.reason == Stop::Clipboard ? kClipboardBusy : kNoResponse, command);
  }
}

bool CommandDelivery::clickReachesCad(WindowHandle target, int cx, int cy) {
  // Any window of the CAD's process will do: its command line may sit in the text window rather
  // than in the main window that was raised.
  const WindowHandle hit = desktop_.WindowFromPoint(cx, cy);
  if (hit == 0) return false;
  const WindowHandle root = desktop_.GetAncestor(hit, platform::kGaRoot);
  std::uint32_t hitProcess = 0, cadProcess = 0;
  if (root == 0 || desktop_.GetWindowThreadProcessId(root, &hitProcess) == 0) return false;
  if (desktop_.GetWindowThreadProcessId(target, &cadProcess) == 0) return false;
  return hitProcess == cadProcess;
}

void CommandDelivery::paste(std::string_view utf8Text, int cx, int cy) {
  clearClipboard();
  ui_.pumpEvents();
  wait(7);
  putOnClipboard(utf8Text);
  ui_.pumpEvents();
  wait(7);
  retry([&] { return desktop_.SetCursorPos(cx, cy); }, true);

  bool controlDown = false, vDown = false;
  try {
    SendKeyEvent(kVkControl, 0);
    controlDown = true;
    wait(5);
    SendKeyEvent(kVkV, 0);
    vDown = true;
    wait(5);
    SendKeyEvent(kVkV, 1);
    vDown = false;
    wait(5);
    SendKeyEvent(kVkControl, 1);
    wait(5);
  } catch (const Stopped&) {
    // Leave no key held down behind: one try to let go of each.
    auto release = [&](std::uint16_t key) {
      platform::KeyboardInput in;
      in.wVk = key;
      in.wScan = static_cast<std::uint16_t>(desktop_.MapVirtualKeyA(key, platform::kMapVkVkToVsc));
      in.dwFlags = platform::kKeyEventExtendedKey | platform::kKeyEventKeyUp;
      desktop_.SendInput(1, &in);
    };
    if (vDown) release(kVkV);
    if (controlDown) release(kVkControl);
    throw;
  }
}

void CommandDelivery::SendKeyEvent(std::uint16_t key, std::int16_t up) {
  platform::KeyboardInput in;
  in.type = platform::kInputKeyboard;
  in.wVk = key;
  in.wScan = static_cast<std::uint16_t>(desktop_.MapVirtualKeyA(key, platform::kMapVkVkToVsc));
  // The extended-key flag goes with the press as well as with the release.
  in.dwFlags = platform::kKeyEventExtendedKey | (up == 0 ? 0 : platform::kKeyEventKeyUp);
  in.time = 0;
  in.dwExtraInfo = 0;
  retry([&] { return desktop_.SendInput(1, &in) != 0; }, false);
}

void CommandDelivery::openClipboard(WindowHandle owner) {
  const std::uint64_t start = desktop_.GetTickCount64();
  while (!desktop_.OpenClipboard(owner)) {
    if (desktop_.GetTickCount64() - start >= kClipboardWaitMs) throw Stopped{Stop::Clipboard};
    desktop_.Sleep(kClipboardPollMs);
  }
}

void CommandDelivery::clearClipboard() {
  openClipboard(0);
  desktop_.EmptyClipboard();
  desktop_.CloseClipboard();
}

void CommandDelivery::putOnClipboard(std::string_view utf8Text) {
  const std::string ansi = codePage_.toAnsi(utf8Text);
  // No owner window first: under Wine a text whose owner is a window of this program is gone
  // from the clipboard by the time the CAD pastes it (this thread sleeps and serves no request
  // for it), while an ownerless one stays. Windows refuses an ownerless text, so there the text
  // is set again with a window of ours owning the clipboard.
  openClipboard(0);
  desktop_.EmptyClipboard();
  bool set = desktop_.SetClipboardText(ansi);
  desktop_.CloseClipboard();
  if (!set) {
    const WindowHandle owner = desktop_.ClipboardOwnerWindow();
    if (owner != 0) {
      openClipboard(owner);
      desktop_.EmptyClipboard();
      set = desktop_.SetClipboardText(ansi);
      desktop_.CloseClipboard();
    }
  }
  // Pasting without the text would deliver nothing, or an older text.
  if (!set) throw Stopped{Stop::Clipboard};
}

void CommandDelivery::wait(int factor) {
  // Formed in 32 bits: the largest delay values do not wrap; a negative one waits nothing.
  const std::int32_t ms = std::int32_t{delayUnit_} * factor;
  desktop_.Sleep(ms > 0 ? static_cast<std::uint32_t>(ms) : 0);
}

template <typename Call>
void CommandDelivery::retry(Call call, bool withPump) {
  const std::uint64_t start = desktop_.GetTickCount64();
  for (;;) {
    const bool ok = call();
    if (withPump) ui_.pumpEvents();
    if (ok) return;
    if (desktop_.GetTickCount64() - start >= kRetryLimitMs) throw Stopped{Stop::NoResponse};
  }
}

void CommandDelivery::releaseCursor() {
  retry([&] { return desktop_.ClipCursor(haveSavedClip_ ? &savedClipRect_ : nullptr); }, false);
}

void CommandDelivery::dropTopmost(WindowHandle target) {
  retry(
      [&] {
        return desktop_.SetWindowPos(
            target, platform::kHwndNoTopmost, 0, 0, 0, 0,
            platform::kSwpNoSize | platform::kSwpNoMove | platform::kSwpShowWindow);
      },
      true);
}

void CommandDelivery::restoreCursorAndTopmost(WindowHandle target) {
  try {
    releaseCursor();
  } catch (const Stopped&) {
  }
  try {
    dropTopmost(target);
  } catch (const Stopped&) {
  }
}

void CommandDelivery::tell(const std::string& what, const std::string& command) {
  std::string shown = command;
  while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n')) shown.pop_back();
  ui_.messageBox(
      what + "変換したデータは、CADのコマンドラインに　" + shown + "　と入力すると読み込めます。",
      platform::kAppTitle, platform::MessageIcon::Error);
}

}  // namespace harlowe::cadlink
