#pragma once
// User-interface services of the operating system, as the portable core sees them.
// No OS header is included here; src/win32 implements these, tests/support fakes them.
#include <string>

namespace harlowe::platform {

enum class MessageIcon { None, Warning, Error };

class Ui {
 public:
  virtual ~Ui() = default;
  // A modal message box with an OK button only. Texts are UTF-8.
  virtual void messageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
  // A modal question with the warning icon and the buttons Yes and No; No is the default button,
  // so that Enter alone changes nothing. True when the answer is Yes.
  virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
  // One turn of the event pump: every pending window message is processed, then it returns.
  virtual void pumpEvents() = 0;
};

// The title that message boxes carry when no other title is given.
inline constexpr const char* kAppTitle = "Harlowe";

// The open-file dialog of the hidden host form. It keeps the last file name and filter index
// between calls, as the dialog control of a form that stays loaded does.
struct OpenDialogSettings {
  std::string title;
  std::string filter;  // "desc|pattern|desc|pattern|" form
  unsigned flags = 0;  // OFN_* values; 1 = OFN_READONLY
};

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Shows the open dialog. Returns false when it was cancelled or failed.
  virtual bool showOpen(const OpenDialogSettings& settings) = 0;
  virtual std::string fileName() const = 0;  // UTF-8 full path of the last choice
  virtual int filterIndex() const = 0;       // 1-based
};

// The progress window (Form2) as the converters drive it. Geometry and painting belong to the
// implementation; the decisions (when to draw, how wide, which texts) are made by the caller.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Loads the window if it is not loaded (fresh: blank bar, empty percent text, design stage
  // text) and makes it visible. Showing a loaded window changes nothing in it.
  virtual void show() = 0;
  virtual void setStage(const std::string& text) = 0;  // Label1
  // Draws a filled navy box from the left edge to fraction * width (a fraction above 1 is wider
  // than the bar) over what is already drawn.
  virtual void drawBar(double fraction) = 0;
  virtual void setPercentText(const std::string& text) = 0;  // Label2
  virtual void repaint() = 0;                                // paint now
  virtual void unload() = 0;                                 // close and discard bar and texts
};

}  // namespace harlowe::platform
