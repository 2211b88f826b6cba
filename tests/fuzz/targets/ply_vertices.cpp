// The PLY vertex conversion, whole, as users run it (see conversion_run.h for the
// input layout and the checks).
#include "import/converters/ply_vertices.h"

#include "tests/fuzz/conversion_run.h"
#include "tests/fuzz/fuzz_target.h"

HARLOWE_FUZZ_TARGET(ply_vertices, 8 * 1024, "conversion") {
  harlowe::fuzz::fuzzConversion(data, size, "ply_vertices", ".ply", harlowe::ConvertPlyVertices);
}
