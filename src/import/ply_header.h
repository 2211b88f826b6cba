#pragma once
// The header of a PLY file as the vertex converter reads it: the format, the vertex count, what
// each vertex holds, and the elements declared before the vertices, whose data lines come first
// in the file (one line per entry). A header line is taken apart into words at blanks and TABs;
// only its first word ("format", "element", "property", "end_header") gives it a meaning, so
// comments and object information never change the count or end the header.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/conversion_result.h"

namespace harlowe {

struct PlyProperty {
  std::string type;  // "float", "uchar", ..., or "list" for a list property
  std::string name;
};

struct PlyHeader {
  std::string format;               // the word after "format": "ascii", "binary_little_endian"...
  bool hasVertexElement = false;    // an "element vertex" line was read
  double vertexCount = 0;           // the leading number after "element vertex", as read
  std::vector<PlyProperty> vertex;  // the properties of the vertex element, in order
  // The data lines of the elements declared before the vertex element (faces, cameras, or an
  // earlier vertex element), and those elements as a message names them ("face 37244").
  std::int64_t linesBeforeVertex = 0;
  std::string elementsBeforeVertex;
  std::int64_t lines = 0;  // header lines read, the end_header line included
  bool ended = false;      // the end_header line was read
};

// Reads the header line by line.
class PlyHeaderScan {
 public:
  // Takes the next line; false when it was the end_header line (the header is complete).
  bool take(std::string_view line);
  const PlyHeader& header() const { return h_; }

 private:
  void declare(std::string_view name, std::int64_t lines);
  PlyHeader h_;
  bool inVertex_ = false;  // property lines belong to the vertex element
  // Every element declared so far: its lines and its names.
  std::int64_t declaredLines_ = 0;
  std::string declared_;
  std::size_t declaredShown_ = 0;
};

// The number of vertex lines the header announces: the whole part of the count, 0 below 1.
std::int64_t PlyVertexLines(const PlyHeader& h);

// Why the converter cannot take a file with this header, or nullopt. A binary file, a header
// without vertices, and vertices whose first six values are not x y z red green blue with colours
// of an integer type that holds 0 to 255 are refused: the values of a vertex line are taken by
// position, and 16-bit colours (ushort, short, uint16, int16) run to 65,535.
struct PlyRefusal {
  NothingReason reason;
  std::string detail;  // PlyBinary: the format word; PlyProperties: what the vertices hold
};
std::optional<PlyRefusal> CheckPlyHeader(const PlyHeader& h);

}  // namespace harlowe
