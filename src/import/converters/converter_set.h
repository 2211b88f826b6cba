#pragma once
// The converters of this build, chosen by the start procedure's table.
#include "import/services.h"

namespace harlowe {

inline constexpr const char* kConverterUnavailable =
    "この変換方法はこのバージョンでは利用できません。";

class ConverterSet final : public Converters {
 public:
  explicit ConverterSet(Platform& p) : p_(p) {}
  bool run(ConverterId id, RunSettings& s) override;

 private:
  Platform& p_;
};

}  // namespace harlowe
