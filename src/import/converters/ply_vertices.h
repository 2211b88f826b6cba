#pragma once
// The PLY converter: every vertex of an ASCII PLY file becomes one POINT; faces and other
// elements are never read and nothing is thinned out.
#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

// Writes the log, copies the input into "<input>.dosasc" with CR LF line ends, takes the vertex
// count and the vertex properties from its header, writes the first six values of each vertex
// line into "<input>.dosasc.final", draws that list into ENT_GO.lsp, splits the script and
// completes the log. A binary file, or vertices that are not x y z red green blue with integer
// colours, are refused before anything is drawn. A vertex line with fewer than six values ends
// the vertices there, and a file that ends before the header's count draws what it holds: the
// result says so.
ConversionResult ConvertPlyVertices(RunSettings& s, Platform& p);

}  // namespace harlowe
