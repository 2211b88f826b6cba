#pragma once
// A form as data, the way a form designer file describes it: the window (caption, client size in
// twips, border, placement) and a table of controls with their kind, name, position, size, design
// text and font. Hosts (the Win32 one and the test fake) build the window from this table; the
// behaviour of a form lives in a separate class (form_host_interface.h).
#include <cmath>
#include <span>
#include <string_view>

namespace harlowe::dialogs {

inline constexpr int kTwipsPerInch = 1440;

// Twips to device pixels at the given dots per inch, to the nearest pixel.
inline int twipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}
inline int pixelsToTwips(int pixels, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(pixels) * kTwipsPerInch / dpi));
}

enum class ControlKind {
  Label,    // static text; wraps inside its box unless autoSize
  TextBox,  // single-line edit
  CheckBox,
  Frame,    // group box; controls name it as their container
  ListBox,  // unsorted, one selection
  CommandButton,
  PictureBox,  // a window that can take the focus and is painted by our own code
  Image,       // a picture painted on the form itself (no window)
  Line,        // a line painted on the form itself: (left, top) to (x2, y2)
};

struct FontSpec {
  std::string_view face{};
  double points = 9.0;
  bool bold = false;
};

// The face every form uses unless a control names another size.
inline constexpr std::string_view kFormFace = "ＭＳ Ｐゴシック";
inline constexpr FontSpec kDefaultFont{kFormFace, 9.0, false};

struct ControlDef {
  ControlKind kind = ControlKind::Label;
  std::string_view name{};
  std::string_view container{};  // name of the enclosing frame; empty for the form itself
  int left = 0, top = 0;         // twips from the top left of the container
  int width = 0, height = 0;     // twips
  std::string_view text{};       // design text
  FontSpec font = kDefaultFont;
  std::string_view toolTip{};
  bool autoSize = false;  // a label that grows to its text on one line instead of wrapping
  bool visible = true;
  int x2 = 0, y2 = 0;  // end point of a line
  // Pictures (Image, PictureBox): which drawing to show, and its size in pixels at 96 dots per
  // inch, drawn from the top left of the control and clipped by it.
  std::string_view picture{};
  int pictureWidth = 0, pictureHeight = 0;
};

enum class BorderStyle { FixedDialog, Sizable };
enum class Placement { Centred, TopThird };

struct FormDef {
  std::string_view name{};
  std::string_view caption{};
  int clientWidth = 0, clientHeight = 0;  // twips
  BorderStyle border = BorderStyle::FixedDialog;
  bool closeButton = true;
  bool showInTaskbar = false;
  Placement placement = Placement::Centred;
  bool topmost = false;
  FontSpec font = kDefaultFont;
  std::span<const ControlDef> controls{};
  // Controls that take the focus, in tab order; the first has the focus when the form opens.
  std::span<const std::string_view> tabOrder{};
  std::string_view defaultButton{};  // pressed by Enter
  std::string_view cancelButton{};   // pressed by Esc
};

inline const ControlDef* findControl(const FormDef& form, std::string_view name) {
  for (const ControlDef& c : form.controls)
    if (c.name == name) return &c;
  return nullptr;
}

// Position of a control in the form's client area (frames nest one level deep).
struct TwipsRect {
  int left, top, width, height;
};
inline TwipsRect formRect(const FormDef& form, const ControlDef& c) {
  TwipsRect r{c.left, c.top, c.width, c.height};
  if (!c.container.empty()) {
    if (const ControlDef* frame = findControl(form, c.container)) {
      r.left += frame->left;
      r.top += frame->top;
    }
  }
  return r;
}

}  // namespace harlowe::dialogs
