// The every-n-th PTX conversion, whole, as users run it (see conversion_run.h for the
// input layout and the checks).
#include "import/converters/ptx_subsample.h"

#include "tests/fuzz/conversion_run.h"
#include "tests/fuzz/fuzz_target.h"

HARLOWE_FUZZ_TARGET(ptx_subsample, 8 * 1024, "conversion") {
  harlowe::fuzz::fuzzConversion(data, size, "ptx_subsample", ".ptx", harlowe::ConvertPtxSubSample);
}
