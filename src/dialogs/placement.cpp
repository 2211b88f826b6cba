#include "dialogs/placement.h"

namespace harlowe::dialogs {

Position placeForm(Placement placement, std::int32_t screenWidth, std::int32_t screenHeight,
                   std::int32_t formWidth, std::int32_t formHeight) {
  Position p{};
  p.left = screenWidth / 2 - formWidth / 2;
  std::int32_t middle = placement == Placement::Centred ? screenHeight / 2 : screenHeight / 3;
  p.top = middle - formHeight / 2;
  return p;
}

}  // namespace harlowe::dialogs
