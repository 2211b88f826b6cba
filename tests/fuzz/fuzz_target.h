#pragma once
// One fuzz target is one file in tests/fuzz/targets/ that defines its entry with
//
//   HARLOWE_FUZZ_TARGET(name, maxBytes, "seed sets") { ... uses data, size ... }
//
// name: the target's name (the file's name, the corpus folder tests/fuzz/corpus/<name>);
// maxBytes: the longest input the target looks at (longer inputs are cut there, so that one
// input runs in milliseconds); seed sets: folders of tests/fuzz/seeds/ whose files seed it.
//
// Built with clang and -fsanitize=fuzzer (HARLOWE_LIBFUZZER) the entry is the libFuzzer entry
// of a program of its own; built with the ordinary compiler it registers itself in the replay
// program, which runs it over the corpora under ctest. A check that fails aborts, which both
// libFuzzer and ctest report as a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace harlowe::fuzz {

using TargetFn = void (*)(const std::uint8_t* data, std::size_t size);

struct Target {
  const char* name;
  std::size_t maxBytes;
  const char* seedSets;
  TargetFn run;
};

// The replay program's table (not used by the libFuzzer programs).
bool registerTarget(const Target& target);

// Reports a failed check (with the input being replayed, when there is one) and aborts.
[[noreturn]] void checkFailed(const char* what, const char* file, int line);

}  // namespace harlowe::fuzz

// A property that must hold for every input, besides not crashing.
#define FUZZ_CHECK(condition, what)                                           \
  do {                                                                        \
    if (!(condition)) ::harlowe::fuzz::checkFailed(what, __FILE__, __LINE__); \
  } while (false)

#ifdef HARLOWE_LIBFUZZER
#define HARLOWE_FUZZ_ENTRY_(name, maxBytes, seedSets)                                 \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    harloweFuzz_##name(data, size < (maxBytes) ? size : (maxBytes));                  \
    return 0;                                                                         \
  }
#else
#define HARLOWE_FUZZ_ENTRY_(name, maxBytes, seedSets)               \
  [[maybe_unused]] static const bool harloweFuzzRegistered_##name = \
      ::harlowe::fuzz::registerTarget({#name, (maxBytes), seedSets, harloweFuzz_##name});
#endif

#define HARLOWE_FUZZ_TARGET(name, maxBytes, seedSets)                         \
  static void harloweFuzz_##name(const std::uint8_t* data, std::size_t size); \
  HARLOWE_FUZZ_ENTRY_(name, maxBytes, seedSets)                               \
  static void harloweFuzz_##name(const std::uint8_t* data, std::size_t size)
