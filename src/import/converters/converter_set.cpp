#include "import/converters/converter_set.h"

#include "import/converters/ply_vertices.h"
#include "import/converters/ptx_subsample.h"
#include "import/converters/txt_subsample.h"

namespace harlowe {

ConversionResult ConverterSet::run(ConverterId id, RunSettings& s) {
  switch (id) {
    case ConverterId::TxtSubSample:
      return ConvertTxtSubSample(s, p_);
    case ConverterId::PlyVertices:
      return ConvertPlyVertices(s, p_);
    case ConverterId::PtxSubSample:
      return ConvertPtxSubSample(s, p_);
    default:
      // Not part of this build: nothing can be drawn.
      return ConversionResult::nothing(NothingReason::ConverterUnavailable);
  }
}

}  // namespace harlowe
