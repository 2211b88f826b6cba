// The replay program: runs the fuzz targets, built with the ordinary compiler, over files and
// folders of inputs, so that ctest replays every seed and every past finding without clang.
//
//   harlowe_fuzz_replay TARGET PATH...   every file of each PATH (a file or a folder)
//   harlowe_fuzz_replay --list           the targets: name, longest input, seed sets
//
// Exit code 0 when every input ran through; a failed check or a crash aborts the program, after
// the name of the input has been printed.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

// GCC says so when it builds with -fsanitize=address (the sanitizer configuration).
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/common_interface_defs.h>
#define HARLOWE_REPLAY_SANITIZED 1
#endif

namespace harlowe::fuzz {

namespace fs = std::filesystem;

namespace {

std::vector<Target>& targets() {
  static std::vector<Target> all;
  return all;
}

// The name of the input being run, for the crash handlers (no allocation there).
char gCrashName[4096];

void tellCrash() {
  const char head[] = "replay: crashed on input ";
  [[maybe_unused]] auto r1 = ::write(2, head, sizeof head - 1);
  [[maybe_unused]] auto r2 = ::write(2, gCrashName, std::strlen(gCrashName));
  [[maybe_unused]] auto r3 = ::write(2, "\n", 1);
}

void onSignal(int sig) {
  tellCrash();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

int runOne(const Target& t, const fs::path& file) {
  std::string bytes = readBytes(file);
  if (bytes.size() > t.maxBytes) bytes.resize(t.maxBytes);
  const std::string name = file.string();
  std::snprintf(gCrashName, sizeof gCrashName, "%s", name.c_str());
  setCurrentInput(name);
  t.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 1;
}

}  // namespace

bool registerTarget(const Target& target) {
  targets().push_back(target);
  return true;
}

}  // namespace harlowe::fuzz

int main(int argc, char** argv) {
  using namespace harlowe::fuzz;
  auto& all = targets();
  std::sort(all.begin(), all.end(),
            [](const Target& a, const Target& b) { return std::strcmp(a.name, b.name) < 0; });
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const Target& t : all) std::printf("%s\t%zu\t%s\n", t.name, t.maxBytes, t.seedSets);
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TARGET PATH... | --list\n", argv[0]);
    return 2;
  }
  const auto it = std::find_if(all.begin(), all.end(),
                               [&](const Target& t) { return argv[1] == std::string(t.name); });
  if (it == all.end()) {
    std::fprintf(stderr, "replay: no target %s\n", argv[1]);
    return 2;
  }
  for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) std::signal(sig, onSignal);
#ifdef HARLOWE_REPLAY_SANITIZED
  __sanitizer_set_death_callback(tellCrash);
#endif

  // The empty input first: every target must take it.
  std::snprintf(gCrashName, sizeof gCrashName, "(the empty input)");
  setCurrentInput("(the empty input)");
  it->run(reinterpret_cast<const std::uint8_t*>(""), 0);
  int inputs = 1;
  for (int i = 2; i < argc; ++i) {
    const fs::path path = argv[i];
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      std::vector<fs::path> files;
      for (const auto& e : fs::recursive_directory_iterator(path))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());
      for (const auto& f : files) inputs += runOne(*it, f);
    } else if (fs::is_regular_file(path, ec)) {
      inputs += runOne(*it, path);
    } else {
      std::fprintf(stderr, "replay: no file or folder %s\n", argv[i]);
      return 2;
    }
  }
  std::printf("replay: %s ran %d input(s)\n", it->name, inputs);
  return 0;
}
