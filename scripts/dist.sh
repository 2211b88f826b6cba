#!/usr/bin/env bash
# Builds the distribution folder build/dist: tamsett.exe and the eight files it installs, all made
# from this repository:
#   cloud_connect.exe, harlowe.exe          the MinGW build (build/win), like tamsett.exe; stripped
#                                           of symbols and debug sections (build/win keeps them)
#   cloud_install_dir.lsp, cloud_start.lsp  distribution/cad, in CP932 with CR LF line ends
#   mkscr.ini, delay.dat                    distribution/config, in CP932 with CR LF line ends
#   the two guides (PDF)                    distribution/guides, rendered by scripts/guides.sh
# Copy build/dist to a Windows PC and run tamsett.exe there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$root/build/dist
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 4)}

"$root/scripts/ensure-packages.sh"
cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$root/build/win" -j "$jobs" --target harlowe tamsett cloud_connect

rm -rf "$dist"
mkdir -p "$dist"
for exe in tamsett harlowe cloud_connect; do
  x86_64-w64-mingw32-strip -o "$dist/$exe.exe" "$root/build/win/src/win32/$exe.exe"
done
# Text files for the CAD and for the profile reader are in the system's code page.
to_windows_text() { sed 's/$/\r/' "$1" | iconv -f UTF-8 -t CP932 >"$2"; }
for f in cloud_install_dir.lsp cloud_start.lsp; do
  to_windows_text "$root/distribution/cad/$f" "$dist/$f"
done
for f in mkscr.ini delay.dat; do
  to_windows_text "$root/distribution/config/$f" "$dist/$f"
done
"$root/scripts/guides.sh" "$dist"

echo "distribution in $dist:"
(cd "$dist" && ls -l)
