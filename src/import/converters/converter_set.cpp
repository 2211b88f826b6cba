#include "import/converters/converter_set.h"

#include "import/converters/txt_subsample.h"

namespace harlowe {

bool ConverterSet::run(ConverterId id, RunSettings& s) {
  switch (id) {
    case ConverterId::TxtSubSample:
      return ConvertTxtSubSample(s, p_);
    default:
      // Not part of this build: say so, and send nothing to the CAD.
      p_.ui.messageBox(kConverterUnavailable, platform::kAppTitle, platform::MessageIcon::Error);
      return false;
  }
}

}  // namespace harlowe
