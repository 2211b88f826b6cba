#pragma once
// Hands the run's command line to the running CAD through its user interface: the CAD's main
// window is raised and made topmost, the pointer is confined to the command-line window and
// clicks there, and three texts are pasted with Ctrl+V through the clipboard, with pauses of
// DelayUnit multiples between the steps so that the CAD can follow.
#include <cstdint>
#include <string>
#include <string_view>

#include "cadlink/cad_search.h"
#include "import/services.h"
#include "platform/codepage.h"
#include "platform/desktop.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace harlowe::cadlink {

// The texts pasted before the command: ESC and the command echo off, then the wait notice.
inline constexpr std::string_view kEchoOffText = "\x1b(setvar \"cmdecho\" 0)\r\n";
inline constexpr std::string_view kWaitNoticeText =
    "(prompt \"実行中です。　お待ちください。\")\r\n";

// How long a call that the delivery repeats until it succeeds is tried before it gives up.
inline constexpr std::uint64_t kRetryLimitMs = 5000;
// How long a clipboard held by another program is waited for.
inline constexpr std::uint64_t kClipboardWaitMs = 1000;
inline constexpr std::uint32_t kClipboardPollMs = 10;

class CommandDelivery final : public harlowe::CadLink {
 public:
  CommandDelivery(platform::Desktop& desktop, platform::Ui& ui, platform::System& system,
                  const platform::CodePage& codePage);

  // SendCommandToCad: delivers s.CadCommand with the pauses of s.DelayUnit.
  void sendCommandToCad(RunSettings& s) override;

  // One keyboard event: a press when up is 0, else a release; sent until it is taken.
  void SendKeyEvent(std::uint16_t key, std::int16_t up);

  CadSearch& search() { return search_; }
  const platform::Rect& savedClipRect() const { return savedClipRect_; }

 private:
  enum class Stop { NoResponse, Clipboard };
  struct Stopped {
    Stop reason;
  };

  void deliver(platform::WindowHandle target, platform::WindowHandle commandWnd,
               const std::string& command);
  bool clickReachesCad(platform::WindowHandle target, int cx, int cy);
  void paste(std::string_view utf8Text, int cx, int cy);
  void clearClipboard();
  void putOnClipboard(std::string_view utf8Text);
  void openClipboard(platform::WindowHandle owner);
  void wait(int factor);
  template <typename Call>
  void retry(Call call, bool withPump);
  // The confinement released (to what it was before) and the CAD's topmost state removed, each
  // retried until it succeeds; the restore after a stop does both and swallows their stops.
  void releaseCursor();
  void dropTopmost(platform::WindowHandle target);
  void restoreCursorAndTopmost(platform::WindowHandle target);
  void tell(const std::string& what, const std::string& command);

  platform::Desktop& desktop_;
  platform::Ui& ui_;
  const platform::CodePage& codePage_;
  CadSearch search_;
  std::int16_t delayUnit_ = 0;
  platform::Rect savedClipRect_;
  bool haveSavedClip_ = false;
};

}  // namespace harlowe::cadlink
