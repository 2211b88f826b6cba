#!/usr/bin/env bash
# Runs the fuzz targets of tests/fuzz/targets with libFuzzer (by hand, not in CI):
#
#   scripts/fuzz.sh [TARGET|all] [SECONDS]      default: all targets, 60 seconds each
#
# Builds build/fuzz with clang-16 (-fsanitize=fuzzer,address,undefined), then runs each target
# for SECONDS from its seed sets (tests/fuzz/seeds/<set>) and its corpus (tests/fuzz/corpus/
# <target>). Inputs that reach new code are kept in build/fuzz/corpus/<target>; a finding (a
# crash, a failed check, a hang, running out of memory) is kept in tests/fuzz/corpus/<target>/,
# where ctest replays it from then on: fix it, and keep the file as its regression seed.
# Prints one line per target: executions, executions per second, corpus size, crashes.
# FUZZ_ARGS adds libFuzzer options (e.g. FUZZ_ARGS=-jobs=4); the log of a target is in
# build/fuzz/logs/<target>.log.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-all}
seconds=${2:-60}
build=$root/build/fuzz
targets_dir=$root/tests/fuzz/targets

if ! command -v clang++-16 >/dev/null; then
  echo "fuzz: needs clang-16 and libclang-rt-16-dev (apt-get install clang-16 libclang-rt-16-dev)" >&2
  exit 2
fi
if [[ "$target" == all ]]; then
  names=$(cd "$targets_dir" && ls ./*.cpp | sed 's|^\./||; s|\.cpp$||')
else
  [[ -f "$targets_dir/$target.cpp" ]] || { echo "fuzz: no target $target" >&2 && exit 2; }
  names=$target
fi

cmake -S "$root" -B "$build" -DHARLOWE_LIBFUZZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-16 >/dev/null || exit 1
build_targets=()
for n in $names; do build_targets+=(--target "fuzz_$n"); done
cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-4}" "${build_targets[@]}" >"$build/build.log" 2>&1 ||
  { tail -30 "$build/build.log" >&2 && exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/logs"
status=0
for n in $names; do
  # The longest input and the seed sets, as the target's HARLOWE_FUZZ_TARGET line names them.
  decl=$(grep -m1 '^HARLOWE_FUZZ_TARGET(' "$targets_dir/$n.cpp")
  max_len=$(echo "$decl" | sed -E 's/^[^,]*, *([^,]*),.*/\1/' | sed 's/ //g')
  max_len=$((max_len))
  sets=$(echo "$decl" | sed -E 's/.*"([^"]*)".*/\1/')
  work=$build/corpus/$n
  findings=$root/tests/fuzz/corpus/$n
  mkdir -p "$work" "$findings"
  dirs=("$work")
  for s in $sets; do dirs+=("$root/tests/fuzz/seeds/$s"); done
  dirs+=("$findings")
  dict=()
  [[ -f "$root/tests/fuzz/dict/$n.dict" ]] && dict=("-dict=$root/tests/fuzz/dict/$n.dict")
  before=$(ls "$findings" | grep -cE '^(crash|leak|timeout|oom|slow-unit)-')
  # shellcheck disable=SC2086
  "$build/tests/fuzz/fuzz_$n" "${dirs[@]}" "${dict[@]}" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" ${FUZZ_ARGS:-} >"$build/logs/$n.log" 2>&1
  rc=$?
  after=$(ls "$findings" | grep -cE '^(crash|leak|timeout|oom|slow-unit)-')
  execs=$(grep -h 'stat::number_of_executed_units' "$build/logs/$n.log" | awk '{s += $2} END {print s + 0}')
  rate=$(grep -h 'stat::average_exec_per_sec' "$build/logs/$n.log" | awk '{s += $2} END {print s + 0}')
  corpus=$(ls "$work" | wc -l)
  crashes=$((after - before))
  printf '%-16s executions %10d  %7d/s  corpus %6d  crashes %d\n' "$n" "$execs" "$rate" "$corpus" \
    "$crashes"
  if ((rc != 0 || crashes > 0)); then
    status=1
    grep -hE '^(==[0-9]+==ERROR|fuzz check failed|SUMMARY|artifact_prefix|Test unit written)' \
      "$build/logs/$n.log" | head -5 | sed 's/^/    /'
  fi
done
exit "$status"
