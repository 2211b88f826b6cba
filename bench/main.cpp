// The conversion benchmark (run by hand through scripts/bench.sh; it is no test). With --input it
// times one converter on a given file (bench/file_bench.cpp); with --window, the full
// equal-interval converter on inputs that have made its window search slow
// (bench/window_inputs.cpp); without either, the every-n-th converter on generated inputs of
// several sizes and forms (bench/generated_inputs.cpp).
#include <string>

#include "bench/bench_support.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--input") return harlowe::bench::FileBench(argc, argv);
    if (std::string(argv[i]) == "--window") return harlowe::bench::WindowInputsBench(argc, argv);
  }
  return harlowe::bench::GeneratedInputsBench(argc, argv);
}
