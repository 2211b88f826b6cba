// The scripts of the pipeline in the stand-in CAD: the real point script writer and splitter
// produce ENT_GO.lsp, its pieces and the loader, and the stand-in takes the three pasted lines
// of the command delivery and draws.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "import/point_script.h"
#include "import/run_settings.h"
#include "import/split_scripts.h"
#include "standin/cad/lisp/session.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"

namespace standin::lisp {
namespace {

namespace fs = std::filesystem;
using harlowe::BodyEnd;
using harlowe::PointScriptLayout;
using harlowe::PointStatus;
using harlowe::PointTexts;

struct Expected {
  double x, y, z;
  std::int32_t colour;
};

// Point i of a run: coordinates that are not exact in binary, and a spread of colours.
Expected pointAt(std::int64_t i) {
  return {1000 + static_cast<double>(i) * 0.013, -20 + static_cast<double>(i % 97) * 0.5,
          static_cast<double>(i % 11 - 5), static_cast<std::int32_t>((i * 2654435761u) & 0xFFFFFF)};
}

std::string shortest(double v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

class SequenceSource : public harlowe::PointSource {
 public:
  SequenceSource(std::int64_t count, std::int64_t failAt) : count_(count), failAt_(failAt) {}
  bool atEnd() override { return next_ >= count_; }
  PointStatus next(PointTexts& p) override {
    if (next_ == failAt_) return PointStatus::Failed;
    if (next_ >= count_) return PointStatus::EndOfData;
    Expected e = pointAt(next_++);
    x_ = shortest(e.x);
    y_ = shortest(e.y);
    z_ = std::to_string(static_cast<int>(e.z));  // whole numbers are integers in the script
    c_ = std::to_string(e.colour);
    p = {x_, y_, z_, c_};
    return PointStatus::Ok;
  }

 private:
  std::int64_t count_, failAt_, next_ = 0;
  std::string x_, y_, z_, c_;
};

class Host : public SessionHost {
 public:
  std::string decodeAnsi(std::string_view bytes) override { return cp.fromAnsi(bytes); }
  harlowe::test::Cp932CodePage cp;
};

class Pipeline : public ::testing::Test {
 protected:
  Pipeline() {
    dir = fs::temp_directory_path() / ("standin_pipe_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    // The user's drawing before the run: a moved and turned UCS and running object snaps.
    drawing.ucs = *Ucs::fromThreePoints({5, 7, 0}, {5.6, 7.8, 0}, {4.2, 7.6, 0});
    drawing.osmode = 37;
  }
  ~Pipeline() override { fs::remove_all(dir); }

  // Writes ENT_GO.lsp with the real writer and splits it; returns the number of pieces.
  std::int64_t writeScripts(std::int64_t count, const std::string& layer, const char* unit,
                            int zoom, std::int64_t failAt = -1,
                            PointScriptLayout layout = harlowe::kTextLayout) {
    harlowe::RunSettings s;
    s.TargetLayer = layer;
    s.DrawUnit = unit;
    s.ZoomExtentsAtEnd = zoom;
    s.InputPath = "C:\\データ\\scan.txt";
    std::string appDir = dir.string() + "\\";
    harlowe::PointScriptWriter w(host.cp, layout);
    EXPECT_TRUE(w.open(appDir));
    w.writeHead(layer);
    SequenceSource source(count, failAt);
    w.writeBody(source);
    w.writeEnd(s);
    EXPECT_TRUE(w.close());
    harlowe::test::EventLog events;
    harlowe::test::FakeUi ui{events};
    harlowe::test::FakeProgressWindow window{events};
    harlowe::SplitResult r = harlowe::SplitLoaderScripts(appDir, window, ui, host.cp);
    EXPECT_TRUE(r.ok);
    return r.pieces;
  }

  // The three texts that the command delivery pastes, then the evaluation.
  void deliver(bool continueAtPause = true) {
    SessionOptions options;
    options.supportFolders = {dir};
    options.continueAtPause = continueAtPause;
    session = std::make_unique<Session>(drawing, host, options);
    session->type("\x1b(setvar \"cmdecho\" 0)\r\n");
    session->type("(prompt \"実行中です。　お待ちください。\")\r\n");
    session->type("(load \"ENT_GOGO\")\r\n");
    session->runPending();
  }

  // Entities 0..n-1 are points 0..n-1 of the source, on the given layer.
  void expectPoints(std::int64_t n, const std::string& layer) {
    ASSERT_EQ(drawing.entities().size(), static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
      const Entity& e = drawing.entities()[static_cast<std::size_t>(i)];
      Expected x = pointAt(i);
      ASSERT_EQ(drawing.layers()[e.layer].name, layer) << i;
      ASSERT_EQ(e.point.x, x.x) << i;
      ASSERT_EQ(e.point.y, x.y) << i;
      ASSERT_EQ(e.point.z, x.z) << i;
      ASSERT_EQ(e.trueColor, x.colour) << i;
    }
  }

  void expectUserStateRestored() {
    EXPECT_EQ(drawing.osmode, 37);
    EXPECT_NEAR(drawing.ucs.origin.x, 5, 1e-9);
    EXPECT_NEAR(drawing.ucs.origin.y, 7, 1e-9);
    EXPECT_NEAR(drawing.ucs.xAxis.x, 0.6, 1e-9);
    EXPECT_NEAR(drawing.ucs.xAxis.y, 0.8, 1e-9);
    EXPECT_NEAR(drawing.ucs.yAxis.x, -0.8, 1e-9);
    EXPECT_NEAR(drawing.ucs.yAxis.y, 0.6, 1e-9);
  }

  std::size_t count(const std::string& text) const {
    std::size_t n = 0;
    for (auto at = session->history().find(text); at != std::string::npos;
         at = session->history().find(text, at + 1)) {
      ++n;
    }
    return n;
  }

  fs::path dir;
  Host host;
  Drawing drawing;
  std::unique_ptr<Session> session;
};

TEST_F(Pipeline, ThousandsOfPointsAreDrawnOnceInOrderOnTheTargetLayer) {
  // Two groups, the second cut off inside a batch line.
  EXPECT_EQ(writeScripts(13001, "Points", "mm", 0), 7);
  deliver();
  expectPoints(13001, "Points");
  EXPECT_EQ(drawing.layers()[drawing.currentLayer()].name, "Points");
  EXPECT_EQ(drawing.cmdecho, 0);
  EXPECT_EQ(drawing.pdmode, 0);
  EXPECT_EQ(drawing.useri1, 1000);
  EXPECT_EQ(drawing.zoomExtentsCount, 0);
  expectUserStateRestored();
  EXPECT_EQ(session->state().errors, 0);
  EXPECT_EQ(session->state().linesEvaluated, 3);
  EXPECT_TRUE(session->idle());
  EXPECT_EQ(count("実行中です。　お待ちください。"), 2u);  // the echo of the line and its output
  EXPECT_EQ(count("点群を描画しています。しばらくお待ちください。"), 2u);
  EXPECT_EQ(count("C:/データ/scan.txt"), 1u);
  EXPECT_EQ(count("******  点群の設置が終わりました。  ******:"), 1u);
  EXPECT_EQ(count("作画終了。"), 1u);
  EXPECT_EQ(count("; error"), 0u);
  // The loader has left its mark: every piece is loaded.
  EXPECT_TRUE(fs::is_regular_file(dir / "ent_gogo.end"));
}

TEST_F(Pipeline, FrozenJapaneseLayerIsThawedAndTheZoomRunsWhenAsked) {
  // Blanks, Japanese characters and a character whose second byte is 0x5C in CP932.
  const std::string layer = "点群 ソ表 scan 1";
  drawing.makeLayer("点群 ソ表 SCAN 1");
  drawing.setLayerFlags(1, kLayerFrozen);
  writeScripts(2600, layer, "m", 1);
  deliver();
  ASSERT_EQ(drawing.layers().size(), 2u);
  EXPECT_EQ(drawing.layers()[1].flags, 0);
  EXPECT_EQ(drawing.currentLayer(), 1u);
  expectPoints(2600, "点群 ソ表 SCAN 1");
  EXPECT_EQ(drawing.useri1, 1);
  EXPECT_EQ(drawing.zoomExtentsCount, 1);
  EXPECT_NEAR(drawing.view.centerX, 1000 + 2599 * 0.013 / 2, 1e-9);
  expectUserStateRestored();
}

TEST_F(Pipeline, NoPointsStillRestoresTheUserState) {
  writeScripts(0, "Points", "m", 1);
  deliver();
  EXPECT_EQ(drawing.entities().size(), 0u);
  EXPECT_EQ(session->state().errors, 0);
  EXPECT_EQ(drawing.useri1, 1);
  expectUserStateRestored();
}

TEST_F(Pipeline, ABadPointLineDrawsEveryPointBeforeIt) {
  // The failure in the second group: its unfinished functions are called all the same.
  writeScripts(20000, "Points", "mm", 0, 13000);
  deliver();
  expectPoints(13000, "Points");
  EXPECT_EQ(session->state().errors, 0);
  EXPECT_EQ(drawing.useri1, 1000);  // the end of the script still runs
  expectUserStateRestored();
}

TEST_F(Pipeline, PtxLayoutKeepsItsFunctionsUntilTheNextGroup) {
  writeScripts(45000, "ptx", "mm", 0, -1, harlowe::kPtxLayout);
  deliver();
  expectPoints(45000, "ptx");
  expectUserStateRestored();
}

TEST_F(Pipeline, AnEvaluationErrorStopsTheLoadAndKeepsTheDrawing) {
  ASSERT_EQ(writeScripts(15001, "Points", "mm", 0), 8);
  // Piece 6 holds the second group's first function, whose flush follows in piece 7: break it.
  std::ofstream(dir / "ENT_GO6.lsp", std::ios::binary | std::ios::app) << "(logand \"x\" 1)\r\n";
  deliver();
  expectPoints(12500, "Points");
  EXPECT_EQ(count("; error: bad argument type: fixnump: \"x\""), 1u);
  EXPECT_EQ(session->state().errors, 1);
  EXPECT_EQ(drawing.osmode, 0);  // ENDD never ran
  EXPECT_EQ(count("作画終了。"), 0u);
  EXPECT_FALSE(fs::exists(dir / "ent_gogo.end"));  // the next run learns the load did not end
}

TEST_F(Pipeline, EveryPauseOfTheLoaderIsAnswered) {
  // 102 pieces: the loader pauses once, after the 100th.
  ASSERT_EQ(writeScripts(252000, "p", "mm", 0), 102);
  deliver(true);
  EXPECT_EQ(drawing.entities().size(), 252000u);
  EXPECT_EQ(count("1-続けて描画する場合は画面をクリック、中止はESCキー"), 1u);
  expectUserStateRestored();
}

TEST_F(Pipeline, CancelAtAPauseEndsTheLoadAsEscDoes) {
  ASSERT_EQ(writeScripts(252000, "p", "mm", 0), 102);
  deliver(false);
  // The first 100 pieces are 20 whole groups; what follows the pause is not loaded.
  EXPECT_EQ(drawing.entities().size(), 250000u);
  EXPECT_EQ(count("; error: Function cancelled"), 1u);
  EXPECT_EQ(drawing.osmode, 0);
  EXPECT_FALSE(fs::exists(dir / "ent_gogo.end"));
}

}  // namespace
}  // namespace standin::lisp
