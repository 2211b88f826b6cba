#pragma once
// Small computations that every converter shares: the packed true colour of a point, the length
// of a difference vector, and the transformation of a PTX point by its scan's matrix.
#include <string>
#include <string_view>

namespace harlowe {

// The colour text "R G B" (B takes the rest of the text) as the decimal text of
// R * 65536 + G * 256 + B, each field read as a number and rounded down ("255 128 0" gives
// "16744448", "12.7 0 0" gives "786432"). Writes the text into `out` (a buffer the caller
// reuses) and returns false when the text has fewer than three fields or a field is not a
// number from 0 to 255.
bool PackTrueColor(std::string_view colourText, std::string& out);
// The same with the three fields already cut apart.
bool PackTrueColorFields(std::string_view r, std::string_view g, std::string_view b,
                         std::string& out);

// sqrt((dx² + dy²) + dz²) in double precision, rounded to a 32-bit float.
float PointDistance(float dx, float dy, float dz);

// The transformation of one scan: (r, c) is the c-th number of the r-th matrix line of the
// header, r = 1..4, c = 1..3 (index 0 and c = 4 are not used).
struct PtxMatrix {
  float m[5][5] = {};
  float& operator()(int r, int c) { return m[r][c]; }
  float operator()(int r, int c) const { return m[r][c]; }
};

struct PtxPoint {
  float x = 0, y = 0, z = 0;
};

// The row vector (x, y, z, 1) times the matrix, in single precision, rounded after every
// product and every partial sum, left to right.
PtxPoint TransformPtxPoint(const PtxMatrix& m, float x, float y, float z);

}  // namespace harlowe
