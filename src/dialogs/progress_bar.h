#pragma once
// The bar of the progress window. Every draw paints a navy box from the left edge to
// fraction × width over what is already there, so what shows is the widest box drawn since the
// window was loaded; a fraction above 1 shows the full bar.
namespace harlowe::dialogs {

class ProgressBar {
 public:
  void draw(double fraction) {
    if (fraction > widest_) widest_ = fraction;
  }
  void clear() { widest_ = 0; }
  double widest() const { return widest_; }
  // Width in pixels of the visible bar in a picture box whose inner width is `width` pixels.
  int pixels(int width) const;

 private:
  double widest_ = 0;
};

}  // namespace harlowe::dialogs
