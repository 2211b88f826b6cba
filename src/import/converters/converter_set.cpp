#include "import/converters/converter_set.h"

#include "import/converters/ply_vertices.h"
#include "import/converters/ptx_subsample.h"
#include "import/converters/txt_full_interval.h"
#include "import/converters/txt_quick_interval.h"
#include "import/converters/txt_subsample.h"

namespace harlowe {

namespace {

struct Entry {
  ConverterId id;
  ConverterFunction convert;
};

// Every converter, one for each choice of the start procedure's table.
constexpr Entry kConverters[] = {
    {ConverterId::TxtSubSample, ConvertTxtSubSample},
    {ConverterId::TxtQuickInterval, ConvertTxtQuickInterval},
    {ConverterId::TxtFullInterval, ConvertTxtFullInterval},
    {ConverterId::PlyVertices, ConvertPlyVertices},
    {ConverterId::PtxSubSample, ConvertPtxSubSample},
};

}  // namespace

ConverterFunction FindConverter(ConverterId id) {
  for (const Entry& e : kConverters)
    if (e.id == id) return e.convert;
  return nullptr;
}

ConversionResult ConverterSet::run(ConverterId id, RunSettings& s) {
  return FindConverter(id)(s, p_);
}

}  // namespace harlowe
