#include "import/progress.h"

#include <cmath>

#include "common/number_text.h"

namespace harlowe {

std::string percentText(double fraction) {
  // Half to even, as the legacy integer conversion rounds (12.5 -> 12, 37.5 -> 38).
  double n = std::nearbyint(fraction * 100.0);
  return text::decimal(static_cast<long long>(n)) + "% 終了";
}

bool redrawProgress(platform::ProgressWindow& window, platform::Ui& ui, double fraction,
                    double& lastDrawn, double threshold, PumpTurn turn) {
  if (!(fraction - lastDrawn > threshold)) return false;
  if (turn == PumpTurn::BeforeDrawing) ui.pumpEvents();
  window.drawBar(static_cast<float>(fraction));  // the right edge is taken as a 32-bit float
  window.setPercentText(percentText(fraction));
  window.repaint();
  if (turn == PumpTurn::AfterRepaint) ui.pumpEvents();
  lastDrawn = fraction;
  return true;
}

bool redrawProgressSingle(platform::ProgressWindow& window, platform::Ui& ui, float fraction,
                          float& lastDrawn) {
  if (!(fraction - lastDrawn > 0.05f)) return false;
  // The fraction is larger than the last one here, so the double step with no threshold draws.
  double last = lastDrawn;
  redrawProgress(window, ui, fraction, last, 0.0);
  lastDrawn = fraction;
  return true;
}

void fillProgress(platform::ProgressWindow& window) {
  window.drawBar(1.0);
  window.setPercentText("100% 終了");
}

}  // namespace harlowe
