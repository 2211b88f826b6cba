#include "import/split_scripts.h"

#include <string_view>

#include "common/file_io.h"
#include "common/line_reader.h"
#include "common/number_text.h"
#include "common/text_util.h"
#include "import/point_script.h"
#include "import/progress.h"
#include "import/run_settings.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;
constexpr int kStartFileLines = 22;
constexpr std::int64_t kPiecesPerPause = 100;

// A piece being written, with the byte count the progress needs.
struct Piece {
  io::OutputFile out;
  std::int64_t bytes = 0;
  void writeLine(std::string_view l) {
    out.writeLine(l);
    bytes += static_cast<std::int64_t>(l.size()) + 2;
  }
};

}  // namespace

std::string AppDirOf(const std::string& programFolder) {
  if (!programFolder.empty() && programFolder.back() == '\\') return programFolder;
  return programFolder + "\\";
}

SplitResult SplitLoaderScripts(const std::string& appDir, platform::ProgressWindow& window,
                               platform::Ui& ui, const platform::CodePage& codePage) {
  window.show();
  window.setStage("最終処理を行ってます");

  SplitResult result;
  auto fail = [&](const std::string& file) {
    if (result.ok) result.failedFile = file;
    result.ok = false;
  };

  const std::string scriptPath = appDir + kScriptFileName;
  const std::int64_t total = io::fileLength(scriptPath);
  io::LineReader reader;
  if (total < 0 || !reader.open(scriptPath)) fail(scriptPath);

  // The head and the first group's start message. A script without any point function has
  // ENDD from line 21 on: then only the head goes into ENT_start.lsp and line 21 opens piece 1,
  // so that the CAD always loads a whole ENDD.
  const std::string groupStart = codePage.toAnsi(kGroupStartMessage);
  std::string pushedBack;  // a line read ahead, to be read again first
  bool hasPushedBack = false;
  std::string_view line;
  {
    io::OutputFile start;
    const std::string startPath = appDir + kStartFile;
    if (!start.open(startPath)) fail(startPath);
    for (int i = 1; result.ok && i <= kStartFileLines; ++i) {
      if (reader.next(line) != io::ReadResult::Line) break;
      if (i == 21 && line != groupStart) {
        pushedBack.assign(line);
        hasPushedBack = true;
        break;
      }
      start.writeLine(line);
    }
    if (start.isOpen() && !start.close()) fail(startPath);
  }

  auto readLine = [&](std::string_view& l) {
    if (hasPushedBack) {
      hasPushedBack = false;
      l = pushedBack;
      return true;
    }
    return reader.next(l) == io::ReadResult::Line;
  };

  const std::string loadingLine = groupStart;
  std::int64_t k = 1;
  std::int64_t done = 0;
  double lastDrawn = 0;
  std::string held;  // a function head that opens the next piece
  bool hasHeld = false;
  bool finished = !result.ok;
  // One writer for all pieces: reopening it keeps its buffer, so a run of thousands of pieces
  // does not allocate and fault in a fresh megabyte for each of them.
  Piece piece;
  while (!finished) {
    piece.bytes = 0;
    const std::string piecePath = appDir + "ENT_GO" + text::decimal(k) + ".lsp";
    if (!piece.out.open(piecePath)) {
      fail(piecePath);
      break;
    }
    bool cut = false;
    while (!cut) {
      if (!hasPushedBack && reader.atEnd()) break;
      // Lines go in pairs while k is 1, so the first function head is never tested.
      if (k == 1) {
        if (!readLine(line)) break;
        piece.writeLine(line);
      }
      if (hasHeld) {
        piece.writeLine(held);
        hasHeld = false;
      }
      if (!readLine(line)) break;
      if (line.find("defun") != std::string_view::npos) {
        held.assign(line);
        hasHeld = true;
        ++k;
        piece.writeLine(loadingLine);
        cut = true;
      } else {
        piece.writeLine(line);
      }
    }
    if (hasHeld && !cut) {  // a held head is never dropped
      piece.writeLine(held);
      hasHeld = false;
    }
    if (!piece.out.close()) fail(piecePath);
    if (!cut) break;
    done += piece.bytes;
    redrawProgress(window, ui, static_cast<double>(done) / static_cast<double>(total), lastDrawn,
                   kProgressThreshold, PumpTurn::BeforeDrawing);
  }
  reader.close();

  io::OutputFile loader;
  const std::string loaderPath = appDir + kLoaderFile;
  if (loader.open(loaderPath)) {
    loader.writeLine("(load \"ent_start\")");
    std::int64_t pauseAt = kPiecesPerPause, m = 1;
    for (std::int64_t i = 1; i <= k; ++i) {
      loader.writeLine("(load \"ent_go" + text::decimal(i) + "\")");
      if (i == pauseAt) {
        loader.writeLine("(princ \"\\n\")");
        loader.writeLine(codePage.toAnsi("(princ \"\\n　\")"));
        loader.writeLine(codePage.toAnsi("(getpoint \"\\n" + text::decimal(m) +
                                         "-続けて描画する場合は画面をクリック、中止はESCキー\")"));
        pauseAt += kPiecesPerPause;
        ++m;
      }
    }
    // Every piece is loaded: the mark tells the next run that nothing here is still needed. A
    // mark that cannot be written only makes the next run ask.
    const std::string mark = text::replaceAll(appDir + kLoadedMarkFile, "\\", "/");
    loader.writeLine(codePage.toAnsi("(if (setq ent_gogo_end (open \"" + text::lispEscape(mark) +
                                     "\" \"w\")) (setq ent_gogo_end (close ent_gogo_end)))"));
    loader.writeLine("(gc)");
  }
  if (!loader.close()) fail(loaderPath);

  window.unload();
  result.pieces = k;
  return result;
}

SplitResult SplitLoaderScripts(RunSettings& s, Platform& p) {
  s.AppDir = AppDirOf(p.system.programFolder());
  return SplitLoaderScripts(s.AppDir, p.progress, p.ui, p.codePage);
}

}  // namespace harlowe
