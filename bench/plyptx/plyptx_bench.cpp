// Throughput of the PLY and PTX converters, split included, against the every-n-th converter on
// a CloudCompare text file of the same points (scripts/make-bench-clouds.sh makes all four):
//
//   harlowe_bench_plyptx --dir DIR [--converters ply,ptx] [--units m,mm] [--steps 1,10]
//                        [--repeat N]
//
// For each unit (and for PTX each step) it runs the converter and the every-n-th converter on
// the twin, N times each (the fastest run counts), and prints the points drawn per second of
// both and their ratio. The PLY road shows no unit form, so "none" is its own row: the
// coordinates go in as they stand, as with "m" in the every-n-th converter. The scripts go to
// DIR/app; the log and the work files land beside the inputs and are removed there.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "import/converters/ply_vertices.h"
#include "import/converters/ptx_subsample.h"
#include "import/converters/txt_subsample.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Converter = std::function<harlowe::ConversionResult(harlowe::RunSettings&)>;

std::vector<std::string> splitList(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t from = 0; from < s.size();) {
    auto comma = s.find(',', from);
    if (comma == std::string::npos) comma = s.size();
    out.push_back(s.substr(from, comma - from));
    from = comma + 1;
  }
  return out;
}

// A progress window that notes when each stage text appears: the gaps between the texts are
// the stage times (copy or pre-pass, drawing, split).
class StageMarks : public harlowe::test::FakeProgressWindow {
 public:
  using FakeProgressWindow::FakeProgressWindow;
  void setStage(const std::string&) override { marks.push_back(Clock::now()); }
  std::vector<Clock::time_point> marks;
};

struct Run {
  double seconds = 0;
  std::int64_t points = 0;
  std::vector<double> stages;
};

// The fastest of `repeat` runs of one converter on one input.
Run best(const Converter& convert, StageMarks& window, const fs::path& input,
         const std::string& appDir, const std::string& unit, int step, int repeat) {
  Run fastest;
  for (int r = 0; r < repeat; ++r) {
    harlowe::RunSettings s;
    s.AppDir = appDir;
    // With backslashes, so that the log lands beside the input.
    s.InputPath = input.string();
    std::replace(s.InputPath.begin(), s.InputPath.end(), '/', '\\');
    // Assigned rather than built: GCC 12 warns falsely about copying short literals here.
    s.TargetLayer.assign(1, '0');
    if (unit != "none") s.DrawUnit.assign(unit.data(), unit.size());
    s.SubSampleStep = static_cast<std::int16_t>(step);
    window.marks.clear();
    // Files written by the run before are on the disk first, so that no run pays for another.
    ::sync();
    const auto t0 = Clock::now();
    const harlowe::ConversionResult result = convert(s);
    const auto t1 = Clock::now();
    const double t = std::chrono::duration<double>(t1 - t0).count();
    if (!result.sendsToCad()) {
      std::fprintf(stderr, "%s: nothing drawn\n", input.c_str());
      std::exit(1);
    }
    if (r == 0 || t < fastest.seconds) {
      fastest = {t, result.pointsDrawn, {}};
      window.marks.push_back(t1);
      for (std::size_t i = 0; i + 1 < window.marks.size(); ++i)
        fastest.stages.push_back(
            std::chrono::duration<double>(window.marks[i + 1] - window.marks[i]).count());
    }
  }
  fs::remove(input.parent_path() / "QMR_実行.log");
  return fastest;
}

void row(const char* name, const fs::path& input, const std::string& unit, int step, Run run,
         Run twin) {
  const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
  const double rate = static_cast<double>(run.points) / run.seconds;
  const double twinRate = static_cast<double>(twin.points) / twin.seconds;
  std::printf("%-4s %7.1f %4s %3d %9lld %7.3f %10.0f %10.0f %7.1f%%  ", name, mb, unit.c_str(),
              step, static_cast<long long>(run.points), run.seconds, rate, twinRate,
              100.0 * rate / twinRate);
  for (const Run* r : {&run, &twin}) {
    for (double t : r->stages) std::printf(" %5.3f", t);
    std::printf(r == &run ? "  |" : "\n");
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = "bench-clouds";
  std::vector<std::string> converters = {"ply", "ptx"};
  std::vector<std::string> units = {"m", "mm"};
  std::vector<std::string> steps = {"1", "10"};
  int repeat = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") dir = argv[i + 1];
    if (a == "--converters") converters = splitList(argv[i + 1]);
    if (a == "--units") units = splitList(argv[i + 1]);
    if (a == "--steps") steps = splitList(argv[i + 1]);
    if (a == "--repeat") repeat = std::max(1, std::atoi(argv[i + 1]));
  }
  for (const char* f :
       {"table_mug_2m.ply", "table_mug_2m_ply.txt", "table_mug_2m.ptx", "table_mug_2m_ptx.txt"}) {
    if (!fs::exists(dir / f)) {
      std::fprintf(stderr, "%s missing: run scripts/make-bench-clouds.sh %s\n", f, dir.c_str());
      return 1;
    }
  }
  fs::create_directories(dir / "app");

  harlowe::test::EventLog events;
  harlowe::test::FakeUi ui(events);
  harlowe::test::FakeSystem system(events);
  harlowe::test::FakeFileDialog dialog(events);
  StageMarks window(events);
  harlowe::test::Cp932CodePage cp;
  harlowe::Platform p{ui, system, dialog, window, cp};
  system.folder = (dir / "app").string();
  std::string appDir = system.folder;
  appDir.push_back('\\');
  // The fakes keep what they are told; a run of millions of points tells them little.
  auto fresh = [&events, &window] {
    events.clear();
    window.bars.clear();
  };
  const Converter ply = [&](harlowe::RunSettings& s) {
    fresh();
    return harlowe::ConvertPlyVertices(s, p);
  };
  const Converter ptx = [&](harlowe::RunSettings& s) {
    fresh();
    return harlowe::ConvertPtxSubSample(s, p);
  };
  const Converter every = [&](harlowe::RunSettings& s) {
    fresh();
    return harlowe::ConvertTxtSubSample(s, p);
  };

  std::printf("%-4s %7s %4s %3s %9s %7s %10s %10s %8s   %s\n", "conv", "MB", "unit", "n", "drawn",
              "conv s", "points/s", "every-n/s", "ratio",
              "stage times in s: converter | every-n-th");
  auto chosen = [&converters](const char* name) {
    return std::find(converters.begin(), converters.end(), name) != converters.end();
  };
  std::vector<std::string> plyUnits;
  if (chosen("ply")) plyUnits.push_back("none");
  for (const std::string& u : units)
    if (u == "mm" && chosen("ply")) plyUnits.push_back(u);
  for (const std::string& unit : plyUnits) {
    const Run run = best(ply, window, dir / "table_mug_2m.ply", appDir, unit, 1, repeat);
    const Run twin = best(every, window, dir / "table_mug_2m_ply.txt", appDir,
                          unit == "none" ? "m" : unit, 1, repeat);
    row("ply", dir / "table_mug_2m.ply", unit, 1, run, twin);
  }
  for (const std::string& stepText : chosen("ptx") ? steps : std::vector<std::string>{}) {
    const int step = std::atoi(stepText.c_str());
    for (const std::string& unit : units) {
      const Run run = best(ptx, window, dir / "table_mug_2m.ptx", appDir, unit, step, repeat);
      const Run twin =
          best(every, window, dir / "table_mug_2m_ptx.txt", appDir, unit, step, repeat);
      row("ptx", dir / "table_mug_2m.ptx", unit, step, run, twin);
    }
  }
  for (const auto& e : fs::directory_iterator(dir / "app")) fs::remove(e.path());
  fs::remove(dir / "app");
  return 0;
}
