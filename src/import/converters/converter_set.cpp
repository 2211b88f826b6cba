#include "import/converters/converter_set.h"

#include "import/converters/txt_subsample.h"

namespace harlowe {

ConversionResult ConverterSet::run(ConverterId id, RunSettings& s) {
  switch (id) {
    case ConverterId::TxtSubSample:
      return ConvertTxtSubSample(s, p_);
    default:
      // Not part of this build: nothing can be drawn.
      return ConversionResult::nothing(NothingReason::ConverterUnavailable);
  }
}

}  // namespace harlowe
