// The full equal-interval conversion of CloudCompare text, whole, as users run it (see
// conversion_run.h for the input layout and the checks).
#include "import/converters/txt_full_interval.h"

#include "tests/fuzz/conversion_run.h"
#include "tests/fuzz/fuzz_target.h"

HARLOWE_FUZZ_TARGET(txt_full_interval, 8 * 1024, "conversion") {
  harlowe::fuzz::fuzzConversion(data, size, "txt_full_interval", ".txt",
                                harlowe::ConvertTxtFullInterval, true);
}
