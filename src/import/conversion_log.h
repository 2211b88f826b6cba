#pragma once
// The conversion log QMR_実行.log beside the input: a head written when a converter starts and
// end lines appended when it is done. Nothing reads it back; it is for the user.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/system.h"

namespace harlowe {

struct RunSettings;

enum class LogVariant {
  TxtSubSample,
  TxtQuickInterval,
  TxtFullInterval,
  PlyVertices,
  PtxSubSample
};

// One line of the log, with the way its value is joined to its label.
struct LogLine {
  enum class Kind { Text, Number, Count, DateTime };
  Kind kind = Kind::Text;
  std::string label;
  std::string text;  // Kind::Text: the value, joined directly
  bool isFloat = false;
  float floatValue = 0;       // Kind::Number with isFloat
  std::int64_t intValue = 0;  // Kind::Number without isFloat, Kind::Count

  // label + value, nothing added between them.
  static LogLine joined(std::string label, std::string value);
  static LogLine plain(std::string text) { return joined(std::move(text), {}); }
  // label + the value printed with a leading blank (or "-") and a trailing blank.
  static LogLine printed(std::string label, float value);
  static LogLine printed(std::string label, std::int64_t value);
  // label + the count as plain digits.
  static LogLine count(std::string label, std::int64_t value);
  // label + the current date and time in the user's short formats.
  static LogLine dateTime(std::string label);
};

// The log's path: inputPath up to and including its last "\" followed by the log's name; an
// input path without "\" gives the bare name (the current folder).
std::string ConversionLogPath(std::string_view inputPath);

// Creates (or empties) the log and writes the head of the variant with s.InputPath and
// s.TargetLayer. Returns the log's path, which the converter keeps for its later appends. The
// conversion does not depend on the log: a log that cannot be written is left as it is.
std::string WriteLogHead(LogVariant variant, const RunSettings& s, platform::System& system,
                         const platform::CodePage& codePage);

// Appends the lines to the log at logPath. False when the log could not be written.
bool AppendLogLines(const std::string& logPath, const std::vector<LogLine>& lines,
                    platform::System& system, const platform::CodePage& codePage);

// The counts that the end lines report.
struct LogCounts {
  std::int64_t linesRead = 0;      // input lines read by the drawing stage
  std::int64_t pointsWritten = 0;  // POINT records written into the script
};

// The end block of the variant (empty for PTX, whose log keeps its head only).
std::vector<LogLine> LogEndLines(LogVariant variant, const LogCounts& counts);

// The end of the log of a run that sends nothing to the CAD, in place of the variant's end lines:
// a blank line, the reason as the message tells it (one log line per line of the message; an
// empty line becomes a blank), a blank line and the end time. No count of drawn points.
std::vector<LogLine> LogReasonLines(std::string_view reason);

// The two lines that the full equal-interval converter appends during its run.
LogLine LogRecordCountLine(std::int64_t records);  // "総点群数 : " + count
LogLine LogKeptCountLine(std::int64_t kept);       // "描画点群数 : " + count

}  // namespace harlowe
