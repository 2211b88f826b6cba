#pragma once
// ENT_GO.lsp, the one AutoLISP program that carries all points of a run into the CAD: a head
// that prepares the layer and the coordinate system, functions Ent_GO<n> that each build a list
// of POINT entities, a flush after every group of functions that creates the entities, the
// closing function ENDD and a tail that calls it. The writer streams: each record is written
// as soon as its point arrives.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "import/services.h"
#include "platform/codepage.h"

namespace harlowe {

struct RunSettings;

// The numbers that shape the body; fixed per converter.
struct PointScriptLayout {
  int pointsPerLine;
  int linesPerFunction;
  int functionsPerGroup;
  int flushLinesPerFunction;  // 4 leaves "(setq ent_go<j> nil)" out of the flush
};

inline constexpr PointScriptLayout kTextLayout{50, 50, 5, 5};  // the text and PLY converters
inline constexpr PointScriptLayout kPtxLayout{100, 200, 10, 4};

PointScriptLayout layoutFor(ConverterId converter);

// The texts of one POINT record: coordinates as they go into the script, and the packed colour.
struct PointTexts {
  std::string_view x, y, z, colour;
};

enum class PointStatus { Ok, EndOfData, Failed };

// What the converter feeds the body with.
class PointSource {
 public:
  virtual ~PointSource() = default;
  // The end test made before each function, before any of its points is read.
  virtual bool atEnd() = 0;
  // The next point. EndOfData: a read went past the end of the source. Failed: any other
  // failure (a line that does not parse, a coordinate that does not scale, a bad colour).
  // The texts must stay valid until the next call.
  virtual PointStatus next(PointTexts& point) = 0;
};

// How the body ended, which decides its finish.
enum class BodyEnd {
  EndBeforeFunction,  // no data at the start of a function: flush the open group
  ReadPastEnd,        // the data ended inside a batch line: close it, then flush
  Failure,            // a point could not be read: close the open function, then flush too
};

// The texts of the script that must be recognised by the splitting step.
inline constexpr const char* kGroupStartMessage =
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")";
inline constexpr const char* kScriptFileName = "ENT_GO.lsp";

class PointScriptWriter {
 public:
  PointScriptWriter(const platform::CodePage& codePage, PointScriptLayout layout);

  // Creates (or empties) ENT_GO.lsp in appDir, which ends in "\". False when it cannot.
  bool open(const std::string& appDir);
  const std::string& path() const { return path_; }

  // Lines 1 to 20: STARTT, which prepares the target layer, and its call.
  void writeHead(std::string_view targetLayer);
  // The functions with their records, the group flushes and the finish of the way it ended.
  BodyEnd writeBody(PointSource& source);
  // ENDD (zoom line when s.ZoomExtentsAtEnd is 1, the unit factor, which also becomes
  // s.DrawUnit) and the tail with the path line of s.InputPath.
  void writeEnd(RunSettings& s);
  // False when any write or the close failed.
  bool close();

  std::int64_t pointsWritten() const { return points_; }

 private:
  void line(std::string_view asciiText);
  void textLine(std::string_view utf8Text);  // through the code page
  void groupStartMessage();
  void groupFlush(int functions);
  void writeRecord(const PointTexts& p);

  const platform::CodePage& codePage_;
  PointScriptLayout layout_;
  io::OutputFile out_;
  std::string path_;
  std::string record_;                     // reused for every record
  std::string groupStart_, flushMessage_;  // in the ANSI code page
  std::int64_t points_ = 0;
};

}  // namespace harlowe
