#include "tests/fuzz/conversion_run.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "common/text_util.h"
#include "standin/cad/lisp/session.h"
#include "tests/fuzz/fakes.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/script_check.h"
#include "tests/support/cp932_codepage.h"

namespace harlowe::fuzz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLogName = "QMR_実行.log";

class CadHost : public standin::lisp::SessionHost {
 public:
  explicit CadHost(const test::Cp932CodePage& cp) : cp_(cp) {}
  std::string decodeAnsi(std::string_view bytes) override { return cp_.fromAnsi(bytes); }

 private:
  const test::Cp932CodePage& cp_;
};

// The number after `label` on the last line of the log's end lines that starts with it.
std::optional<std::int64_t> logCount(const std::string& log, const std::string& label) {
  const auto at = log.rfind("\n" + label);
  if (at == std::string::npos) return std::nullopt;
  std::int64_t n = 0;
  for (std::size_t i = at + 1 + label.size(); i < log.size() && log[i] >= '0' && log[i] <= '9'; ++i)
    n = n * 10 + (log[i] - '0');
  return n;
}

// With HARLOWE_FUZZ_KEEP_SCRIPTS set, the script set of each run is copied there (how the
// stand-in's seeds were made).
void keepScripts(const fs::path& appDir) {
  const char* keep = std::getenv("HARLOWE_FUZZ_KEEP_SCRIPTS");
  if (!keep) return;
  static int run = 0;
  const fs::path to = fs::path(keep) / ("run" + std::to_string(++run));
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(appDir))
    fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::overwrite_existing);
}

struct Drawn {
  std::int64_t entities = 0;
  std::int64_t errors = 0;
  bool allOnLayer = true;
};

// Loads the script set into a fresh stand-in CAD, as the pasted load command does.
Drawn drawInStandIn(const fs::path& appDir, const std::string& layer,
                    const test::Cp932CodePage& cp) {
  CadHost host(cp);
  standin::lisp::Drawing drawing;
  standin::lisp::SessionOptions options;
  options.supportFolders = {appDir};
  standin::lisp::Session session(drawing, host, options);
  session.type("(load \"ENT_GOGO\")\r\n");
  session.runPending();
  Drawn d;
  d.entities = static_cast<std::int64_t>(drawing.entities().size());
  d.errors = session.state().errors;
  for (const auto& e : drawing.entities())
    d.allOnLayer = d.allOnLayer && drawing.layers()[e.layer].name == layer;
  return d;
}

}  // namespace

ConversionInput takeConversionInput(FuzzInput& in, const char* extension) {
  ConversionInput c;
  RunSettings& s = c.settings;
  const std::uint8_t step = in.byte();
  s.SubSampleStep = static_cast<std::int16_t>(step < 224 ? 1 + step % 4 : 1 + (step * 37) % 1024);
  s.ThinningInterval = static_cast<float>(in.byte());
  const std::uint8_t flags = in.byte();
  static const char* const kUnits[] = {"m", "mm", "m", ""};
  s.DrawUnit = kUnits[flags & 3];
  s.ZoomExtentsAtEnd = (flags >> 2) & 1;
  s.QuickInterval = (flags >> 3) & 1;
  s.TargetLayer = std::string(in.text(64));
  std::string name(in.text(32));
  for (char& ch : name)
    if (ch == '/' || ch == '\\' || ch == '\0') ch = '_';
  // "." and ".." are no file names; an empty name still has its extension.
  if (name == "." || name == "..") name = "_";
  c.fileName = name + extension;
  c.content = std::string(in.rest());
  return c;
}

void runConversion(const char* scratchName, ConversionInput& input,
                   const std::function<ConversionResult(RunSettings&, Platform&)>& convert) {
  const fs::path root = freshScratch(scratchName);
  const fs::path appDir = root / "プログラム フォルダ";
  const fs::path dataDir = root / "入力 データ";
  fs::create_directories(appDir);
  fs::create_directories(dataDir);
  writeBytes(dataDir / input.fileName, input.content);

  RunSettings& s = input.settings;
  Fakes fakes;
  auto& [events, ui, system, dialog, window, cp, p] = fakes;
  system.folder = programPath(appDir);
  s.AppDir = system.folder + "\\";
  s.InputPath = programPath(dataDir) + "\\" + input.fileName;
  s.InputFileLabel = s.InputPath;
  const std::string layer = s.TargetLayer;

  const ConversionResult result = convert(s, p);

  // Only the input and the log stay beside the input, whatever happened.
  const std::string left = listFolder(dataDir);
  FUZZ_CHECK(left == input.fileName + "\n" + kLogName + "\n" ||
                 left == std::string(kLogName) + "\n" + input.fileName + "\n",
             "no work file is left beside the input");
  FUZZ_CHECK(!window.loaded, "the progress window is unloaded at the end");
  FUZZ_CHECK(ui.messages.empty(), "a converter shows no message; its result says what happened");
  if (!result.sendsToCad()) {
    FUZZ_CHECK(result.pointsDrawn == 0, "a run that sends nothing draws nothing");
    return;
  }

  // The texts as the CAD will read them: through the code page and back.
  const std::string layerAsRead = cp.fromAnsi(cp.toAnsi(layer));
  const std::string pathAsRead = cp.fromAnsi(cp.toAnsi(text::replaceAll(s.InputPath, "\\", "/")));
  const ScriptFacts facts =
      checkPointScript(cp.fromAnsi(readBytes(appDir / "ENT_GO.lsp")), layerAsRead, pathAsRead);
  std::int64_t pieces = 0;
  while (fs::exists(appDir / ("ENT_GO" + std::to_string(pieces + 1) + ".lsp"))) ++pieces;
  checkBalanced(cp.fromAnsi(readBytes(appDir / "ENT_start.lsp")));
  for (std::int64_t k = 1; k <= pieces; ++k)
    checkBalanced(cp.fromAnsi(readBytes(appDir / ("ENT_GO" + std::to_string(k) + ".lsp"))));
  checkLoader(cp.fromAnsi(readBytes(appDir / "ent_gogo.lsp")), pieces);
  keepScripts(appDir);

  const Drawn drawn = drawInStandIn(appDir, layerAsRead, cp);
  FUZZ_CHECK(drawn.errors == 0, "the CAD loads the scripts without an error");
  FUZZ_CHECK(drawn.entities <= facts.calledRecords, "the CAD draws no point the script lacks");
  if (!layerAsRead.empty()) FUZZ_CHECK(drawn.allOnLayer, "every point lands on the chosen layer");

  FUZZ_CHECK(result.pointsDrawn == facts.calledRecords,
             "the result counts the points the script draws");

  // The counts stand after the head, whose last line names the layer (which may hold anything,
  // a line that looks like a count too).
  const std::string whole = cp.fromAnsi(readBytes(dataDir / kLogName));
  const std::string layerLine = "指定描画レイヤー :" + layerAsRead + "\r\n";
  const auto headEnd = whole.rfind(layerLine);
  FUZZ_CHECK(headEnd != std::string::npos, "the log's head names the layer");
  const std::string log = "\n" + whole.substr(headEnd + layerLine.size());
  std::optional<std::int64_t> logged = logCount(log, "描画点数 : ");
  if (!logged) logged = logCount(log, "描画点群数 : ");
  if (!logged) return;  // a log without a count (PTX)
  FUZZ_CHECK(*logged == facts.records, "the log counts the records of the script");
  FUZZ_CHECK(*logged <= drawn.entities, "the log names no more points than the CAD draws");
  FUZZ_CHECK(result.pointsDrawn == drawn.entities, "the CAD draws the points the result names");
}

void fuzzConversion(const std::uint8_t* data, std::size_t size, const char* scratchName,
                    const char* extension, ConversionResult (*convert)(RunSettings&, Platform&),
                    bool equalInterval) {
  FuzzInput in(data, size);
  ConversionInput input = takeConversionInput(in, extension);
  if (equalInterval && input.settings.ThinningInterval == 0.0f)
    input.settings.ThinningInterval = 1.0f;
  runConversion(scratchName, input, convert);
}

}  // namespace harlowe::fuzz
