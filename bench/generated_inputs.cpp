// Throughput of the every-n-th text converter on generated inputs, split included, against the
// I/O floor: a plain sequential copy of the same input on the same disk.
//
//   harlowe_bench [--dir DIR] [--points 1000000,10000000] [--steps 1,10] [--units m,mm]
//                 [--forms lf,crlf] [--repeat N]
//
// Each row also splits the conversion time into its three stages as the progress window sees
// them: the normalised copy ("copy"), the drawing loop that writes ENT_GO.lsp ("draw") and the
// split into the pieces ("split").
//
// Besides the plain copy of the input, "files floor" is what copying the files the conversion
// must move would take: the input twice (to the normalised copy, and that copy read back), the
// script once, and the script again into as many piece files as the split made, of the same
// sizes (creating a few hundred files costs more than their bytes on some file systems).
// --repeat N runs each conversion N times and reports the fastest run.
//
// Inputs are generated in DIR (CloudCompare style: LF with blanks, and CR LF with TABs); the
// scripts are written to DIR/app. Everything is removed again at the end.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/file_io.h"
#include "import/converters/txt_subsample.h"

namespace harlowe::bench {

namespace {

namespace fs = std::filesystem;

// Six columns as CloudCompare writes them: coordinates with six decimals, colours 0-255.
void generate(const fs::path& file, std::int64_t points, bool crlfTabs) {
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) {
    std::perror(file.c_str());
    std::exit(1);
  }
  const char sep = crlfTabs ? '\t' : ' ';
  std::string buf;
  buf.reserve(1 << 20);
  std::uint64_t seed = 88172645463325252ull;
  auto next = [&] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  char num[32];
  for (std::int64_t i = 0; i < points; ++i) {
    for (int c = 0; c < 3; ++c) {
      const double v = static_cast<double>(next() % 200'000'000) / 1e6 - 100.0;
      const auto r = std::to_chars(num, num + sizeof num, v, std::chars_format::fixed, 6);
      buf.append(num, r.ptr);
      buf += sep;
    }
    for (int c = 0; c < 3; ++c) {
      const auto r = std::to_chars(num, num + sizeof num, next() % 256);
      buf.append(num, r.ptr);
      buf += c < 2 ? sep : '\r';
    }
    if (!crlfTabs)
      buf.back() = '\n';
    else
      buf += '\n';
    if (buf.size() > (1 << 20) - 128) {
      std::fwrite(buf.data(), 1, buf.size(), f);
      buf.clear();
    }
  }
  std::fwrite(buf.data(), 1, buf.size(), f);
  std::fclose(f);
}

// The I/O floor: read the input and write it to a new file on the same disk.
double plainCopy(const fs::path& from, const fs::path& to) {
  const auto t0 = Clock::now();
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  std::vector<char> buf(1 << 20);
  std::size_t got;
  while ((got = std::fread(buf.data(), 1, buf.size(), in)) > 0)
    std::fwrite(buf.data(), 1, got, out);
  std::fclose(in);
  std::fclose(out);
  const double t = seconds(t0);
  fs::remove(to);
  return t;
}

std::string pieceName(int k) {
  std::string name = "ENT_GO";
  name.append(std::to_string(k)).append(".lsp");
  return name;
}

// The I/O floor of the split: the script's bytes written again as files of the sizes of the
// pieces the conversion made, created anew as after the start procedure's clean-up.
double pieceCopy(const fs::path& app, const fs::path& floorDir) {
  std::vector<std::uintmax_t> sizes;
  for (int k = 1;; ++k) {
    std::error_code ec;
    const auto size = fs::file_size(app / pieceName(k), ec);
    if (ec) break;
    sizes.push_back(size);
  }
  for (const auto& e : fs::directory_iterator(floorDir)) fs::remove(e.path());
  const auto t0 = Clock::now();
  std::FILE* in = std::fopen((app / "ENT_GO.lsp").c_str(), "rb");
  std::vector<char> buf(1 << 20);
  for (std::size_t k = 0; k < sizes.size(); ++k) {
    std::FILE* out = std::fopen((floorDir / std::to_string(k)).c_str(), "wb");
    for (std::uintmax_t left = sizes[k]; left > 0;) {
      const std::size_t got =
          std::fread(buf.data(), 1, std::min<std::uintmax_t>(left, buf.size()), in);
      if (got == 0) break;
      std::fwrite(buf.data(), 1, got, out);
      left -= got;
    }
    std::fclose(out);
  }
  std::fclose(in);
  return seconds(t0);
}

struct RunTimes {
  double total = 0, copy = 0, draw = 0, split = 0;
};

std::vector<std::int64_t> parseList(const std::string& s) {
  std::vector<std::int64_t> out;
  for (const auto& item : SplitList(s)) out.push_back(std::stoll(item));
  return out;
}

}  // namespace

int GeneratedInputsBench(int argc, char** argv) {
  fs::path dir = fs::current_path() / "harlowe_bench_data";
  std::vector<std::int64_t> sizes = {1'000'000, 10'000'000};
  std::vector<std::int64_t> steps = {1, 10};
  std::vector<std::string> units = {"m", "mm"};
  std::vector<std::string> forms = {"lf", "crlf"};
  int repeat = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir")
      dir = argv[i + 1];
    else if (a == "--points")
      sizes = parseList(argv[i + 1]);
    else if (a == "--steps")
      steps = parseList(argv[i + 1]);
    else if (a == "--units")
      units = SplitList(argv[i + 1]);
    else if (a == "--forms")
      forms = SplitList(argv[i + 1]);
    else if (a == "--repeat")
      repeat = std::max(1, std::atoi(argv[i + 1]));
  }
  fs::create_directories(dir / "app");
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "floor");

  BenchPlatform b(dir / "app");

  std::printf("%-18s %7s %3s %4s %9s %7s %7s %10s %7s %6s %8s %6s %9s %27s\n", "input", "MB", "n",
              "unit", "drawn", "conv s", "MB/s", "points/s", "copy s", "ratio", "floor s", "ratio",
              "peak RSS", "stages: copy  draw split");
  for (const std::int64_t points : sizes) {
    for (const std::string& form : forms) {
      const bool crlf = form == "crlf";
      // Built by appending: GCC 12 warns falsely about "+" on temporary strings here.
      const bool whole = points % 1'000'000 == 0;
      std::string name = std::to_string(whole ? points / 1'000'000 : points / 1'000);
      name.append(whole ? "M" : "k");
      name.append(crlf ? "_crlf_tab" : "_lf_blank").append(".txt");
      const fs::path input = dir / "data" / name;
      generate(input, points, crlf);
      const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
      const double copy = plainCopy(input, dir / "data" / "copy.tmp");
      for (const std::int64_t n : steps) {
        for (const std::string& unit : units) {
          RunTimes best;
          for (int r = 0; r < repeat; ++r) {
            harlowe::RunSettings s = b.settings(input);
            s.DrawUnit.assign(unit.data(), unit.size());
            s.SubSampleStep = static_cast<std::int16_t>(n);
            const auto t0 = Clock::now();
            const bool ok = harlowe::ConvertTxtSubSample(s, b.platform).sendsToCad();
            const auto t1 = Clock::now();
            if (!ok) {
              std::fprintf(stderr, "conversion failed\n");
              return 1;
            }
            const double t = std::chrono::duration<double>(t1 - t0).count();
            if (r == 0 || t < best.total) {
              best = {t, b.window.stage(0, t1), b.window.stage(1, t1), b.window.stage(2, t1)};
            }
          }
          const double floor = 2 * copy + plainCopy(dir / "app" / "ENT_GO.lsp", dir / "copy.tmp") +
                               pieceCopy(dir / "app", dir / "floor");
          const double t = best.total;
          std::printf(
              "%-18s %7.1f %3lld %4s %9lld %7.3f %7.1f %10.0f %7.3f %6.2f %8.3f %6.2f %6ld MB "
              "%12.3f %5.3f %5.3f\n",
              name.c_str(), mb, static_cast<long long>(n), unit.c_str(),
              static_cast<long long>(points / n), t, mb / t, static_cast<double>(points) / t, copy,
              t / copy, floor, t / floor, peakRssKb() / 1024, best.copy, best.draw, best.split);
          std::fflush(stdout);
        }
      }
      fs::remove(input);
      fs::remove(dir / "data" / "QMR_実行.log");
    }
  }
  clearScripts(dir / "app");
  fs::remove_all(dir);
  return 0;
}

}  // namespace harlowe::bench
