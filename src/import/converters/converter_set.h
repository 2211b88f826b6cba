#pragma once
// The converters of this build, chosen by the start procedure's table.
#include "import/services.h"

namespace harlowe {

using ConverterFunction = ConversionResult (*)(RunSettings& s, Platform& p);

// The converter for a choice (every ConverterId has one).
ConverterFunction FindConverter(ConverterId id);

class ConverterSet final : public Converters {
 public:
  explicit ConverterSet(Platform& p) : p_(p) {}
  ConversionResult run(ConverterId id, RunSettings& s) override;

 private:
  Platform& p_;
};

}  // namespace harlowe
