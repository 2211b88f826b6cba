#pragma once
// The redraw decisions of the progress window: when the bar is drawn, how wide, and which
// percentage text it shows. The window itself (platform::ProgressWindow) only paints.
#include <string>

#include "platform/ui.h"

namespace harlowe {

// Where the caller wants its event-pump turn: before the bar is drawn, or after the repaint.
enum class PumpTurn { BeforeDrawing, AfterRepaint };

// "<n>% 終了" with n = 100 × fraction rounded half to even (12.5 gives 12).
std::string percentText(double fraction);

// Redraws when fraction exceeds lastDrawn by strictly more than threshold; then lastDrawn
// becomes fraction. Returns true when it drew.
bool redrawProgress(platform::ProgressWindow& window, platform::Ui& ui, double fraction,
                    double& lastDrawn, double threshold, PumpTurn turn = PumpTurn::BeforeDrawing);

// The same step in single precision: the fraction and the last drawn fraction are 32-bit floats
// and the threshold 0.05 is tested in float arithmetic.
bool redrawProgressSingle(platform::ProgressWindow& window, platform::Ui& ui, float fraction,
                          float& lastDrawn);

// The full bar and "100% 終了", with no repaint forced and no pump turn.
void fillProgress(platform::ProgressWindow& window);

}  // namespace harlowe
