#pragma once
// What the benchmark's modes share: the clock, the peak memory, the clean-up of the script set
// between runs, and a progress window that notes when each stage starts.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "import/run_settings.h"
#include "import/services.h"
#include "platform/ui.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"

namespace harlowe::bench {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The largest resident set of this process so far, in kB.
inline long peakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Removes the script set of a run (ENT_GO*, ent_go*) from the program folder.
inline void clearScripts(const std::filesystem::path& app) {
  for (const auto& e : std::filesystem::directory_iterator(app)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("ENT_GO", 0) == 0 || name.rfind("ent_go", 0) == 0)
      std::filesystem::remove(e.path());
  }
}

// A progress window that only notes when each stage starts: when a fresh window is shown (a
// stage that keeps the design text) or a new stage text appears. The gaps between the marks are
// the stage times.
class StageClock : public platform::ProgressWindow {
 public:
  void show() override {
    if (loaded_) return;
    loaded_ = fresh_ = true;
    mark("処理中です。");
  }
  void setStage(const std::string& text) override {
    if (fresh_) {  // the stage of the window just shown
      fresh_ = false;
      stages.back() = text;
      return;
    }
    // The thinning's counter text repeats its stage text; only a new stage starts a mark.
    if (!stages.empty() && text.rfind(stages.back(), 0) == 0) return;
    mark(text);
  }
  void drawBar(double) override {}
  void setPercentText(const std::string&) override {}
  void repaint() override {}
  void unload() override { loaded_ = fresh_ = false; }

  // Seconds from stage `i` to the next one (or to `end` for the last stage); 0 when missing.
  double stage(std::size_t i, Clock::time_point end) const {
    if (i >= marks.size()) return 0;
    const auto to = i + 1 < marks.size() ? marks[i + 1] : end;
    return std::chrono::duration<double>(to - marks[i]).count();
  }
  void clear() {
    marks.clear();
    stages.clear();
    loaded_ = fresh_ = false;
  }
  std::vector<Clock::time_point> marks;
  std::vector<std::string> stages;

 private:
  void mark(const std::string& text) {
    marks.push_back(Clock::now());
    stages.push_back(text);
  }
  bool loaded_ = false, fresh_ = false;
};

// The fakes a conversion runs against, with the stage clock as its progress window and `app` as
// the program folder (created here).
struct BenchPlatform {
  explicit BenchPlatform(const std::filesystem::path& app) {
    std::filesystem::create_directories(app);
    system.folder = app.string();
  }
  // The settings of a fresh run on `input`, the script cleared from the program folder and the
  // stage marks from the window. The input path in the program's own form, with backslashes,
  // so that the log goes beside the input.
  RunSettings settings(const std::filesystem::path& input) {
    clearScripts(system.folder);
    window.clear();
    events.clear();
    RunSettings s;
    s.AppDir = system.folder + "\\";
    s.InputPath = input.string();
    std::replace(s.InputPath.begin(), s.InputPath.end(), '/', '\\');
    s.TargetLayer.assign(1, '0');
    s.DrawUnit.assign(1, 'm');  // (GCC 12 warns falsely about assigning the literal here)
    return s;
  }
  test::EventLog events;
  test::FakeUi ui{events};
  test::FakeSystem system{events};
  test::FakeFileDialog dialog{events};
  StageClock window;
  test::Cp932CodePage cp;
  Platform platform{ui, system, dialog, window, cp};
};

// The items of a comma-separated list.
inline std::vector<std::string> SplitList(const std::string& s) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from < s.size()) {
    auto comma = s.find(',', from);
    if (comma == std::string::npos) comma = s.size();
    out.push_back(s.substr(from, comma - from));
    from = comma + 1;
  }
  return out;
}

int GeneratedInputsBench(int argc, char** argv);
int FileBench(int argc, char** argv);
int WindowInputsBench(int argc, char** argv);

}  // namespace harlowe::bench
