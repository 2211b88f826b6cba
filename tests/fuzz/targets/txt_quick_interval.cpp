// The quick equal-interval conversion of CloudCompare text, whole, as users run it (see
// conversion_run.h for the input layout and the checks).
#include "import/converters/txt_quick_interval.h"

#include "tests/fuzz/conversion_run.h"
#include "tests/fuzz/fuzz_target.h"

HARLOWE_FUZZ_TARGET(txt_quick_interval, 8 * 1024, "conversion") {
  harlowe::fuzz::fuzzConversion(data, size, "txt_quick_interval", ".txt",
                                harlowe::ConvertTxtQuickInterval, true);
}
