// Throughput of the every-n-th text converter, split included, against the I/O floor: a plain
// sequential copy of the same input on the same disk.
//
//   harlowe_bench [--dir DIR] [--points 1000000,10000000]
//
// Besides the plain copy of the input, "files floor" is what copying the files the conversion
// must move would take: the input twice (to the normalised copy, and that copy read back) and
// the script once (written, then read and written again as pieces).
//
// Inputs are generated in DIR (CloudCompare style: LF with blanks, and CR LF with TABs); the
// scripts are written to DIR/app. Everything is removed again at the end.
#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "import/converters/txt_subsample.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long peakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

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

void clearScripts(const fs::path& app) {
  for (const auto& e : fs::directory_iterator(app)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("ENT_GO", 0) == 0 || name.rfind("ent_go", 0) == 0) fs::remove(e.path());
  }
}

std::vector<std::int64_t> parseList(const std::string& s) {
  std::vector<std::int64_t> out;
  std::size_t from = 0;
  while (from < s.size()) {
    auto comma = s.find(',', from);
    if (comma == std::string::npos) comma = s.size();
    out.push_back(std::stoll(s.substr(from, comma - from)));
    from = comma + 1;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = fs::current_path() / "harlowe_bench_data";
  std::vector<std::int64_t> sizes = {1'000'000, 10'000'000};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir")
      dir = argv[i + 1];
    else if (a == "--points")
      sizes = parseList(argv[i + 1]);
  }
  fs::create_directories(dir / "app");
  fs::create_directories(dir / "data");

  harlowe::test::EventLog events;
  harlowe::test::FakeUi ui(events);
  harlowe::test::FakeSystem system(events);
  harlowe::test::FakeFileDialog dialog(events);
  harlowe::test::FakeProgressWindow window(events);
  harlowe::test::Cp932CodePage cp;
  harlowe::Platform platform{ui, system, dialog, window, cp};
  system.folder = (dir / "app").string();

  std::printf("%-18s %7s %3s %4s %9s %7s %7s %10s %7s %6s %8s %6s %9s\n", "input", "MB", "n",
              "unit", "drawn", "conv s", "MB/s", "points/s", "copy s", "ratio", "floor s", "ratio",
              "peak RSS");
  for (const std::int64_t points : sizes) {
    for (const bool crlf : {false, true}) {
      const std::string name =
          std::to_string(points / 1'000'000) + "M" + (crlf ? "_crlf_tab" : "_lf_blank") + ".txt";
      const fs::path input = dir / "data" / name;
      generate(input, points, crlf);
      const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
      const double copy = plainCopy(input, dir / "data" / "copy.tmp");
      for (const int n : {1, 10}) {
        for (const char* unit : {"m", "mm"}) {
          clearScripts(dir / "app");
          events.clear();
          harlowe::RunSettings s;
          s.AppDir = system.folder + "\\";
          s.InputPath = input.string();
          s.TargetLayer = "0";
          s.DrawUnit = unit;
          s.SubSampleStep = static_cast<std::int16_t>(n);
          const auto t0 = Clock::now();
          const bool ok = harlowe::ConvertTxtSubSample(s, platform);
          const double t = seconds(t0);
          if (!ok) {
            std::fprintf(stderr, "conversion failed\n");
            return 1;
          }
          const double floor = 2 * copy + plainCopy(dir / "app" / "ENT_GO.lsp", dir / "copy.tmp");
          std::printf(
              "%-18s %7.1f %3d %4s %9lld %7.2f %7.1f %10.0f %7.2f %6.2f %8.2f %6.2f %6ld MB\n",
              name.c_str(), mb, n, unit, static_cast<long long>(points / n), t, mb / t,
              static_cast<double>(points) / t, copy, t / copy, floor, t / floor,
              peakRssKb() / 1024);
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
