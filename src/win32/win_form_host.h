#pragma once
// The Win32 form host: builds a real window from a form table (twips to pixels at the screen's
// resolution), routes control notifications to the form's handlers, runs the modal loop and
// unloads. Every child control carries its table name as the window property
// "HarloweControlName" (a global atom), so that a test driver in another process can find it.
//
// The class is implemented across win_form_*.cpp: lifecycle (window, load, show, modal loop,
// destroy), geometry (DPI, twips, placement), controls (creation from the table, visibility,
// look-up), fonts (choice and fitting), paint (labels, frames, images, lines, pictures),
// messages (notifications to events, subclassed controls) and access (the FormHost calls).
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "dialogs/form_host_interface.h"

namespace harlowe::win32 {

struct Dpi {
  int x = 96, y = 96;
};
Dpi screenDpi();

// Moves a form window to where its placement puts it (32-bit twips arithmetic).
void placeWindow(HWND hwnd, dialogs::Placement placement, Dpi dpi);
// Makes a window topmost without moving, sizing or showing it; the result is not needed.
void makeTopmost(HWND hwnd);

class Win32Form : public dialogs::FormHost {
 public:
  using Painter = std::function<void(HDC, const RECT&)>;

  // behaviour may be null for a form without handlers.
  Win32Form(const dialogs::FormDef& form, dialogs::FormBehaviour* behaviour);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  // Creates the hidden window and its controls, places it, then runs Form_Load.
  void load();
  // Makes it visible; `activate` also brings it to the front and gives the focus to the first
  // control of the tab order.
  void show(bool activate = true);
  // Shows the form and processes messages until a handler unloads it or the window is closed by
  // its close box (which runs no handler); then destroys it.
  void runModal();
  void destroy();

  bool loaded() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }
  HWND controlWindow(std::string_view name) const;
  // Replaces the drawing of a picture box (the progress bar paints this way).
  void setPainter(std::string_view pictureBox, Painter painter);
  void invalidate(std::string_view control);
  // Paints every pending change now, without waiting for the message loop.
  void paintNow();

  // FormHost
  std::string text(std::string_view control) const override;
  void setText(std::string_view control, std::string_view text) override;
  bool checked(std::string_view control) const override;
  void setChecked(std::string_view control, bool ticked) override;
  bool visible(std::string_view control) const override;
  void setVisible(std::string_view control, bool visible) override;
  void listAdd(std::string_view control, std::string_view item) override;
  int listCount(std::string_view control) const override;
  int listIndex(std::string_view control) const override;
  std::string listItem(std::string_view control, int index) const override;
  void setFocus(std::string_view control) override;
  void messageBox(const std::string& text, const std::string& title,
                  platform::MessageIcon icon) override;
  void unload() override;

 private:
  struct Control {
    const dialogs::ControlDef* def = nullptr;
    HWND hwnd = nullptr;  // null for pictures and lines painted on the form
    int id = 0;
    ATOM atom = 0;
    bool visible = true;
    HFONT font = nullptr;        // the design font, or a smaller one where the text would not fit
    int em = 0;                  // its em height in pixels
    WNDPROC baseProc = nullptr;  // of a subclassed text box or frame
    Painter painter;
  };

  static LRESULT CALLBACK formProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK controlProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK pictureProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

  void createControls();
  void createToolTips();
  void raise(std::string_view control, dialogs::FormEvent event);
  void onCommand(HWND from, int id, int code);
  Control& at(std::string_view name);
  const Control& at(std::string_view name) const;
  Control* byWindow(HWND hwnd);
  HFONT font(const dialogs::FontSpec& fontSpec, int pixels);
  void fitFont(Control& c);
  bool fits(const Control& c, HDC dc, const std::wstring& text, int em) const;
  RECT pixelRect(const dialogs::ControlDef& c) const;
  bool shown(const Control& c) const;  // visible and inside a visible frame
  void applyVisibility();
  void fitLabel(Control& c);
  void drawLabel(const DRAWITEMSTRUCT& item);
  void paintFrame(Control& c, HWND hwnd);
  void paintForm(HDC dc);
  void paintPicture(Control& c, HDC dc, const RECT& client);
  void focusFirst();

  const dialogs::FormDef& form_;
  dialogs::FormBehaviour* behaviour_;
  Dpi dpi_;
  HWND hwnd_ = nullptr;
  HWND toolTip_ = nullptr;
  HWND lastFocus_ = nullptr;
  std::vector<Control> controls_;
  std::map<std::tuple<std::wstring, int, bool>, HFONT> fonts_;
  bool quiet_ = false;  // no events while the controls are being built
  bool unloadRequested_ = false;
  bool closed_ = false;
};

// Shows forms modally through Win32Form.
class Win32FormRunner : public dialogs::FormRunner {
 public:
  void runModal(const dialogs::FormDef& form, dialogs::FormBehaviour& behaviour,
                const std::function<void(dialogs::FormHost&)>& beforeShow) override;
};

}  // namespace harlowe::win32
