#!/usr/bin/env bash
# Builds and runs the converter benchmark (by hand; it is no test). Arguments go to the program.
#
# One converter on a given file (the work files and the log go beside a link to it in the bench
# folder, the scripts into that folder's program folder):
#   scripts/bench.sh --input FILE --converter every|quick|full|ply|ptx [--step N] [--interval MM]
#                    [--unit m|mm] [--repeat N]
# The last line reads "result: converter=<name> drawn=<points> seconds=<best> rss_mb=<peak RSS>".
# scripts/make-bench-cloud.sh makes a real-scan input of any size from the samples (text, PLY or
# PTX, and with --twin the same points as text for the every-n-th converter).
#
# The full equal-interval converter on the inputs that have made its window search slow (a stray
# point far out, cells that share a slot of the cell table), against a typical scan of as many
# points (bench/window_inputs.cpp):
#   scripts/bench.sh --window [--points N] [--intervals 10,1] [--repeat N]
#
# Without --input or --window, the every-n-th converter on generated inputs, e.g.
#   scripts/bench.sh --points 1000000 --repeat 3
# for the small inputs only, best of three; --steps, --units and --forms pick rows (see
# bench/generated_inputs.cpp).
#
# HARLOWE_BENCH_BUILD names another build folder (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${HARLOWE_BENCH_BUILD:-$root/build/native}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-4}" --target harlowe_bench
# The inputs (about 1 GB at a time for 10 million points) go beside the build, on the same disk.
exec "$build/bench/harlowe_bench" --dir "$build/bench-data" "$@"
