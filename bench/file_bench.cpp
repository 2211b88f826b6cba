// One converter on one given file, as the program runs it (split included):
//
//   harlowe_bench --input FILE --converter every|quick|full|ply|ptx [--step N] [--interval MM]
//                 [--unit m|mm] [--repeat N] [--dir DIR]
//
// The input is linked (or copied) into DIR/data so that the work files and the log land there;
// the scripts go to DIR/app. Each run prints its time and its stages as the progress window saw
// them; the last line reads
//   result: converter=<name> drawn=<points> seconds=<best conversion seconds> rss_mb=<peak RSS>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/file_io.h"
#include "import/converters/converter_set.h"
#include "import/run_settings.h"

namespace harlowe::bench {

namespace {

namespace fs = std::filesystem;

// The converters by the names the benchmark takes, and the input kind each one reads.
struct Choice {
  const char* name;
  ConverterId id;
  std::int16_t inputKind;
};
constexpr Choice kChoices[] = {
    {"every", ConverterId::TxtSubSample, 5},   {"quick", ConverterId::TxtQuickInterval, 5},
    {"full", ConverterId::TxtFullInterval, 5}, {"ply", ConverterId::PlyVertices, 3},
    {"ptx", ConverterId::PtxSubSample, 1},
};

std::int64_t countLines(const fs::path& file) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return -1;
  std::vector<char> buf(1 << 20);
  std::int64_t lines = 0;
  std::size_t got;
  while ((got = std::fread(buf.data(), 1, buf.size(), f)) > 0)
    lines += std::count(buf.data(), buf.data() + got, '\n');
  std::fclose(f);
  return lines;
}

int usage() {
  std::fprintf(stderr,
               "usage: harlowe_bench --input FILE --converter every|quick|full|ply|ptx "
               "[--step N] [--interval MM] [--unit m|mm] [--repeat N] [--dir DIR]\n");
  return 2;
}

}  // namespace

int FileBench(int argc, char** argv) {
  fs::path dir = fs::current_path() / "harlowe_bench_data", input;
  std::string converter, unit = "m";
  int step = 1, repeat = 1;
  float interval = 10;
  for (int i = 1; i < argc; i += 2) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return usage();
    const char* v = argv[i + 1];
    if (a == "--input") {
      input = v;
    } else if (a == "--converter") {
      converter = v;
    } else if (a == "--step") {
      step = std::atoi(v);
    } else if (a == "--interval") {
      interval = std::strtof(v, nullptr);
    } else if (a == "--unit") {
      unit = v;
    } else if (a == "--repeat") {
      repeat = std::max(1, std::atoi(v));
    } else if (a == "--dir") {
      dir = v;
    } else {
      return usage();
    }
  }
  const auto choice = std::find_if(std::begin(kChoices), std::end(kChoices),
                                   [&](const Choice& c) { return converter == c.name; });
  if (input.empty() || choice == std::end(kChoices) || (unit != "m" && unit != "mm"))
    return usage();
  const ConverterFunction convert = FindConverter(choice->id);
  if (!fs::is_regular_file(input)) {
    std::fprintf(stderr, "no input file %s\n", input.c_str());
    return 2;
  }

  fs::remove_all(dir);
  fs::create_directories(dir / "app");
  fs::create_directories(dir / "data");
  const fs::path linked = dir / "data" / input.filename();
  std::error_code ec;
  fs::create_symlink(fs::absolute(input), linked, ec);
  if (ec) fs::copy_file(input, linked);
  const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
  const std::int64_t lines = countLines(input);

  BenchPlatform b(dir / "app");

  std::printf("input %s: %.1f MB, %lld lines; converter %s, step %d, interval %g mm, unit %s\n",
              input.c_str(), mb, static_cast<long long>(lines), choice->name, step, interval,
              unit.c_str());
  double best = 0;
  std::int64_t drawn = 0;
  for (int r = 0; r < repeat; ++r) {
    RunSettings s = b.settings(linked);
    s.InputKind = choice->inputKind;
    s.DrawUnit = unit;
    s.SubSampleStep = static_cast<std::int16_t>(step);
    s.ThinningInterval = choice->id == ConverterId::TxtSubSample ? 0.0f : interval;
    s.QuickInterval = choice->id == ConverterId::TxtQuickInterval ? 1 : 0;
    const auto t0 = Clock::now();
    const ConversionResult result = convert(s, b.platform);
    const auto t1 = Clock::now();
    const double t = std::chrono::duration<double>(t1 - t0).count();
    if (!result.sendsToCad()) {
      std::fprintf(stderr, "the conversion sends nothing to the CAD\n");
      return 1;
    }
    if (r == 0 || t < best) best = t;
    drawn = result.pointsDrawn;
    std::printf("run %d: %.3f s, %lld points drawn; stages:", r + 1, t,
                static_cast<long long>(drawn));
    for (std::size_t i = 0; i < b.window.marks.size(); ++i)
      std::printf(" [%s] %.3f", b.window.stages[i].c_str(), b.window.stage(i, t1));
    std::printf("\n");
    std::fflush(stdout);
  }
  const long rssMb = peakRssKb() / 1024;
  std::printf("best %.3f s: %.1f MB/s, %.0f lines/s, peak RSS %ld MB\n", best, mb / best,
              static_cast<double>(lines) / best, rssMb);
  clearScripts(dir / "app");
  fs::remove_all(dir);
  std::printf("result: converter=%s drawn=%lld seconds=%.3f rss_mb=%ld\n", choice->name,
              static_cast<long long>(drawn), best, rssMb);
  return 0;
}

}  // namespace harlowe::bench
