#include "dialogs/progress_bar.h"

#include <cmath>

namespace harlowe::dialogs {

int ProgressBar::pixels(int width) const {
  if (width <= 0 || !(widest_ > 0)) return 0;
  if (widest_ >= 1) return width;
  return static_cast<int>(std::lround(widest_ * width));
}

}  // namespace harlowe::dialogs
