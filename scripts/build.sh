#!/usr/bin/env bash
# Configures and builds the three configurations: build/native (Linux: tests, benchmark),
# build/win (MinGW-w64: harlowe.exe, the stand-in CAD, the dialog driver) and build/asan (the
# native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 4)}
cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$root/build/win" -j "$jobs"
cmake -S "$root" -B "$root/build/native" -DHARLOWE_WIN_BUILD_DIR="$root/build/win" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
cmake -S "$root" -B "$root/build/asan" -DHARLOWE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/asan" -j "$jobs"
