// The stand-in CAD's reader and evaluator on script text: either typed into its command line (as
// the CAD link pastes) or written into its support folder and loaded (as the generated scripts
// are). The seeds are generated script sets. Work is capped: an evaluation that is still running
// after a fixed number of polls is cancelled as ESC would. Checked besides not crashing: the
// evaluator never leaves a line half done (it is idle afterwards), and the drawing's dump reads
// back exactly.
//
// Input: one byte (bit 0: load from a file instead of typing), then the text.
#include <charconv>
#include <cmath>
#include <string>

#include "standin/cad/lisp/dump.h"
#include "standin/cad/lisp/session.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/support/cp932_codepage.h"

namespace {

using namespace standin::lisp;

class Host : public SessionHost {
 public:
  explicit Host(Session*& session) : session_(session) {}
  std::string decodeAnsi(std::string_view bytes) override { return cp_.fromAnsi(bytes); }
  // The evaluator polls every 4,096 steps: after about 36,000 steps (far more than a generated
  // script of this size takes) the evaluation is cancelled.
  void poll() override {
    if (++polls_ > 8 && session_) session_->cancel();
  }

 private:
  Session*& session_;
  harlowe::test::Cp932CodePage cp_;
  int polls_ = 0;
};

void checkReal(double v) {
  if (std::isnan(v)) return;
  const std::string t = exactReal(v);
  double back = 0;
  const auto res = std::from_chars(t.data(), t.data() + t.size(), back);
  FUZZ_CHECK(res.ec == std::errc() && back == v, "a dumped real reads back exactly");
}

}  // namespace

HARLOWE_FUZZ_TARGET(standin_lisp, 16 * 1024, "lisp") {
  harlowe::fuzz::FuzzInput in(data, size);
  const std::uint8_t mode = in.byte();
  const std::string_view text = in.rest();

  Session* current = nullptr;
  Host host(current);
  Drawing drawing;
  SessionOptions options;
  if (mode & 1) {
    const auto folder = harlowe::fuzz::freshScratch("standin_lisp");
    harlowe::fuzz::writeBytes(folder / "ENT_GO1.lsp", text);
    options.supportFolders = {folder};
  }
  Session session(drawing, host, options);
  current = &session;
  if (mode & 1) {
    session.type("(load \"ent_go1\")\r\n");
  } else {
    session.type(text);
    session.type("\r\n");
  }
  session.runPending();
  FUZZ_CHECK(session.idle(), "every line is evaluated to its end");

  for (const Entity& e : drawing.entities()) {
    FUZZ_CHECK(e.layer < drawing.layers().size(), "an entity's layer exists");
    checkReal(e.point.x);
    checkReal(e.point.y);
    checkReal(e.point.z);
  }
  FUZZ_CHECK(drawing.currentLayer() < drawing.layers().size(), "the current layer exists");
  (void)entitiesTsv(drawing);
  (void)layersTsv(drawing);
  (void)variablesTsv(drawing);
}
