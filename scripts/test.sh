#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the configurations and the distribution
# (build/dist, which the installer scenarios install from), runs the native unit tests, the same
# tests under the sanitizers, and then the Wine scenarios (exes under Wine in Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-packages.sh"
"$root/scripts/build.sh"
"$root/scripts/dist.sh" >/dev/null
ctest --test-dir "$root/build/native" --output-on-failure -j "$(nproc 2>/dev/null || echo 4)" -L unit
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j "$(nproc 2>/dev/null || echo 4)" -L unit
ctest --test-dir "$root/build/native" --output-on-failure -L e2e
