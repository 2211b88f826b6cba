#include "import/conversion_log.h"

#include "common/file_io.h"
#include "common/number_text.h"
#include "import/run_settings.h"

namespace harlowe {

namespace {

constexpr const char* kLogFileName = "QMR_実行.log";
constexpr const char* kEndTimeLabel = "修了日時 ";

struct VariantTexts {
  const char* title;
  const char* dateLabel;
  const char* kind;
};

VariantTexts textsOf(LogVariant v) {
  switch (v) {
    case LogVariant::TxtSubSample:
      return {"QMR 変換ログファイル", "開始日時 ", "実行種類 :　単純間引き"};
    case LogVariant::TxtQuickInterval:
      return {"QMR 変換ログファイル", "実行日時 ", "実行種類　:　等間隔間引き（簡易型）"};
    case LogVariant::TxtFullInterval:
      return {"QMR 変換ログファイル", "実行日時 ", "実行種類　:　等間隔間引き"};
    case LogVariant::PlyVertices:
      return {"QMR 変換ログファイル(Mesh)", "実行日時 ", "実行種類 : PLY（メッシュ）描画"};
    case LogVariant::PtxSubSample:
      break;
  }
  return {"QMR 変換ログファイル(PTX)", "実行日時 ", "実行種類 :　単純間引き"};
}

std::string render(const LogLine& l, platform::System& system) {
  switch (l.kind) {
    case LogLine::Kind::Text:
      return l.label + l.text;
    case LogLine::Kind::Number:
      return l.label + (l.isFloat ? text::logNumber(l.floatValue) : text::logNumber(l.intValue));
    case LogLine::Kind::Count:
      return l.label + text::decimal(l.intValue);
    case LogLine::Kind::DateTime:
      return l.label + system.nowText();
  }
  return l.label;
}

// A blank line and the end time: how every log with end lines ends.
void appendEndTime(std::vector<LogLine>& lines) {
  lines.push_back(LogLine::plain(" "));
  lines.push_back(LogLine::dateTime(kEndTimeLabel));
}

bool writeLines(const std::string& path, bool append, const std::vector<LogLine>& lines,
                platform::System& system, const platform::CodePage& codePage) {
  io::OutputFile out;
  if (!out.open(path, append)) return false;
  for (const LogLine& l : lines) out.writeLine(codePage.toAnsi(render(l, system)));
  return out.close();
}

}  // namespace

LogLine LogLine::joined(std::string label, std::string value) {
  LogLine l;
  l.kind = Kind::Text;
  l.label = std::move(label);
  l.text = std::move(value);
  return l;
}

LogLine LogLine::printed(std::string label, float value) {
  LogLine l;
  l.kind = Kind::Number;
  l.label = std::move(label);
  l.isFloat = true;
  l.floatValue = value;
  return l;
}

LogLine LogLine::printed(std::string label, std::int64_t value) {
  LogLine l;
  l.kind = Kind::Number;
  l.label = std::move(label);
  l.intValue = value;
  return l;
}

LogLine LogLine::count(std::string label, std::int64_t value) {
  LogLine l;
  l.kind = Kind::Count;
  l.label = std::move(label);
  l.intValue = value;
  return l;
}

LogLine LogLine::dateTime(std::string label) {
  LogLine l;
  l.kind = Kind::DateTime;
  l.label = std::move(label);
  return l;
}

std::string ConversionLogPath(std::string_view inputPath) {
  // In UTF-8 the byte "\" only ever stands for itself, so searching bytes is safe.
  const auto slash = inputPath.rfind('\\');
  if (slash == std::string_view::npos) return kLogFileName;
  return std::string(inputPath.substr(0, slash + 1)) + kLogFileName;
}

std::string WriteLogHead(LogVariant variant, const RunSettings& s, platform::System& system,
                         const platform::CodePage& codePage) {
  const VariantTexts t = textsOf(variant);
  std::vector<LogLine> head;
  head.push_back(LogLine::plain(t.title));
  head.push_back(LogLine::dateTime(t.dateLabel));
  head.push_back(LogLine::plain(" "));
  head.push_back(LogLine::plain(t.kind));
  head.push_back(LogLine::joined("データ File名 :", s.InputPath));
  switch (variant) {
    case LogVariant::TxtSubSample:
    case LogVariant::PtxSubSample:
      head.push_back(LogLine::printed("間引き値 :", std::int64_t{s.SubSampleStep}));
      break;
    case LogVariant::TxtQuickInterval:
    case LogVariant::TxtFullInterval:
      head.push_back(LogLine::printed("等間隔間引き値 :", s.ThinningInterval));
      break;
    case LogVariant::PlyVertices:
      break;
  }
  head.push_back(LogLine::joined("指定描画レイヤー :", s.TargetLayer));
  const std::string path = ConversionLogPath(s.InputPath);
  writeLines(path, false, head, system, codePage);
  return path;
}

bool AppendLogLines(const std::string& logPath, const std::vector<LogLine>& lines,
                    platform::System& system, const platform::CodePage& codePage) {
  return writeLines(logPath, true, lines, system, codePage);
}

std::vector<LogLine> LogEndLines(LogVariant variant, const LogCounts& counts) {
  std::vector<LogLine> lines;
  switch (variant) {
    case LogVariant::TxtSubSample:
      lines.push_back(LogLine::plain(" "));
      lines.push_back(LogLine::count("  総点数 : ", counts.linesRead));
      lines.push_back(LogLine::count("描画点数 : ", counts.pointsWritten));
      break;
    case LogVariant::PlyVertices:
      lines.push_back(LogLine::plain(" "));
      lines.push_back(LogLine::count("描画点数 : ", counts.pointsWritten));
      break;
    case LogVariant::TxtQuickInterval:
    case LogVariant::TxtFullInterval:
      break;
    case LogVariant::PtxSubSample:
      return lines;
  }
  appendEndTime(lines);
  return lines;
}

std::vector<LogLine> LogReasonLines(std::string_view reason) {
  std::vector<LogLine> lines{LogLine::plain(" ")};
  for (std::size_t from = 0;;) {
    const std::size_t end = reason.find('\n', from);
    const std::string_view line = reason.substr(from, end - from);
    lines.push_back(LogLine::plain(line.empty() ? " " : std::string(line)));
    if (end == std::string_view::npos) break;
    from = end + 1;
  }
  appendEndTime(lines);
  return lines;
}

LogLine LogRecordCountLine(std::int64_t records) { return LogLine::count("総点群数 : ", records); }
LogLine LogKeptCountLine(std::int64_t kept) { return LogLine::count("描画点群数 : ", kept); }

}  // namespace harlowe
