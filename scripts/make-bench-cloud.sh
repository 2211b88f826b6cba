#!/usr/bin/env bash
# Makes a large real-scan input for the benchmark by tiling the sample cloud of data/:
#
#   scripts/make-bench-cloud.sh [--points N] [--crlf-tab] OUT
#
# The sample (19,404 points of a table with a mug, about 1.2 m x 0.7 m) is written again and again
# with its X and Y moved onto a grid of 2 m steps, so that no two copies overlap and the point
# spacing of the scan is kept everywhere. Copies follow each other in the file, each in the
# sample's own point order. Enough copies are written to reach N points (default 2,000,000; the
# last copy is written whole). Coordinates keep the sample's four decimals; the colours are the
# sample's. --crlf-tab writes the CR LF + TAB form of a CloudCompare export instead of LF + blanks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sample="$root/data/table_mug_stereo_cc_space_lf.txt"
points=2000000 crlf=0 out=""
while (($#)); do
  case "$1" in
    --points) points=$2 && shift ;;
    --crlf-tab) crlf=1 ;;
    -*) echo "make-bench-cloud: unknown option $1" >&2 && exit 2 ;;
    *) out=$1 ;;
  esac
  shift
done
[[ -n "$out" && "$points" =~ ^[0-9]+$ ]] || {
  sed -n '2,4p' "$0" >&2
  exit 2
}
per=$(wc -l <"$sample")
copies=$(((points + per - 1) / per))
((copies >= 1)) || copies=1
awk -v copies="$copies" -v crlf="$crlf" '
  { x[NR] = $1; y[NR] = $2; z[NR] = $3; c[NR] = $4 " " $5 " " $6 }
  END {
    sep = crlf ? "\t" : " "; eol = crlf ? "\r\n" : "\n"
    if (crlf) for (i = 1; i <= NR; i++) gsub(/ /, "\t", c[i])
    columns = int(sqrt(copies)); if (columns * columns < copies) columns++
    for (k = 0; k < copies; k++) {
      ox = 2 * (k % columns); oy = 2 * int(k / columns)
      for (i = 1; i <= NR; i++)
        printf "%.4f%s%.4f%s%s%s%s%s", x[i] + ox, sep, y[i] + oy, sep, z[i], sep, c[i], eol
    }
  }' "$sample" >"$out"
echo "$out: $((copies * per)) points in $copies copies of the sample" >&2
