#!/usr/bin/env bash
# Builds and runs the benchmark of the PLY and PTX converters against the every-n-th converter on
# the same points (by hand; it is no test). The inputs, about 350 MB, are made once from the
# samples in data/ by scripts/make-bench-clouds.sh beside the build. Arguments go to the program,
# e.g. --converters ptx --steps 1 --units m --repeat 5 (see bench/plyptx/plyptx_bench.cpp).
# HARLOWE_BENCH_BUILD names another build folder (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${HARLOWE_BENCH_BUILD:-$root/build/native}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 4 --target harlowe_bench_plyptx
clouds="$build/bench-clouds"
[[ -f "$clouds/table_mug_2m_ptx.txt" ]] || "$root/scripts/make-bench-clouds.sh" "$clouds" >/dev/null
exec "$build/bench/plyptx/harlowe_bench_plyptx" --dir "$clouds" "$@"
