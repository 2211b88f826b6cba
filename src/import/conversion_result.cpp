#include "import/conversion_result.h"

namespace harlowe {

BadLine MakeBadLine(std::int64_t number, std::string_view text, LineProblem problem,
                    LineFormat format) {
  return BadLine{number, std::string(text.substr(0, kBadLineBytes)), problem, format};
}

ConversionResult ResultOfBody(std::int64_t points, std::optional<BadLine> stoppedAt) {
  if (stoppedAt) {
    if (points == 0) return ConversionResult::noPointLine(std::move(*stoppedAt));
    return ConversionResult::stopped(points, std::move(*stoppedAt));
  }
  if (points == 0) return ConversionResult::nothing(NothingReason::EmptyInput);
  return ConversionResult::finished(points);
}

}  // namespace harlowe
