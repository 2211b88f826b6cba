#!/usr/bin/env bash
# Builds and runs the converter benchmark (by hand; it is no test). Arguments go to the program,
# e.g. scripts/bench.sh --points 1000000 --repeat 3 for the small inputs only, best of three;
# --steps, --units and --forms pick rows (see bench/txt_subsample_bench.cpp).
# HARLOWE_BENCH_BUILD names another build folder (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${HARLOWE_BENCH_BUILD:-$root/build/native}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 4)" --target harlowe_bench
# The inputs (about 1 GB at a time for 10 million points) go beside the build, on the same disk.
exec "$build/bench/harlowe_bench" --dir "$build/bench-data" "$@"
