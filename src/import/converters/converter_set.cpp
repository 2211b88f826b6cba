#include "import/converters/converter_set.h"

#include "import/converters/txt_full_interval.h"
#include "import/converters/txt_quick_interval.h"
#include "import/converters/txt_subsample.h"

namespace harlowe {

namespace {

struct Entry {
  ConverterId id;
  ConverterFunction convert;
};

// Every converter of this build. A choice missing here is not part of the build.
constexpr Entry kConverters[] = {
    {ConverterId::TxtSubSample, ConvertTxtSubSample},
    {ConverterId::TxtQuickInterval, ConvertTxtQuickInterval},
    {ConverterId::TxtFullInterval, ConvertTxtFullInterval},
};

}  // namespace

ConverterFunction FindConverter(ConverterId id) {
  for (const Entry& e : kConverters)
    if (e.id == id) return e.convert;
  return nullptr;
}

ConversionResult ConverterSet::run(ConverterId id, RunSettings& s) {
  if (const ConverterFunction convert = FindConverter(id)) return convert(s, p_);
  // Not part of this build: nothing can be drawn.
  return ConversionResult::nothing(NothingReason::ConverterUnavailable);
}

}  // namespace harlowe
