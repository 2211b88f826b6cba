#pragma once
// Where a form goes when it loads: centred on the screen, or with its middle at one third of the
// screen height. Sizes are in twips. The arithmetic is 32-bit so that screens wider or higher than
// 32,767 twips (about 2,184 pixels at 96 dots per inch) are placed like any other.
#include <cstdint>

#include "dialogs/form_model.h"

namespace harlowe::dialogs {

struct Position {
  std::int32_t left, top;
};

// screen and form sizes are the outer sizes in twips; division truncates toward zero.
Position placeForm(Placement placement, std::int32_t screenWidth, std::int32_t screenHeight,
                   std::int32_t formWidth, std::int32_t formHeight);

}  // namespace harlowe::dialogs
