#pragma once
// What the benchmark's modes share: the clock, the peak memory, the clean-up of the script set
// between runs, and a progress window that notes when each stage starts.
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui.h"

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

int GeneratedInputsBench(int argc, char** argv);
int FileBench(int argc, char** argv);

}  // namespace harlowe::bench
