#pragma once
// The converters of this build, chosen by the start procedure's table.
#include "import/services.h"

namespace harlowe {

class ConverterSet final : public Converters {
 public:
  explicit ConverterSet(Platform& p) : p_(p) {}
  ConversionResult run(ConverterId id, RunSettings& s) override;

 private:
  Platform& p_;
};

}  // namespace harlowe
