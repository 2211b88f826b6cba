#!/usr/bin/env bash
# Makes a large real-scan input for the benchmark by tiling a sample of data/:
#
#   scripts/make-bench-cloud.sh [--points N] [--crlf-tab | --ply | --ptx] [--twin TEXT] OUT
#
# The sample is written again and again with its X and Y moved onto a grid of 2 m steps, so that
# no two copies overlap and the point spacing of the scan is kept everywhere. Copies follow each
# other in the file, each in the sample's own point order. Enough copies are written to reach N
# points (default 2,000,000; the last copy is written whole).
#   (default)   the CloudCompare text sample (19,404 points of a table with a mug, about
#               1.2 m x 0.7 m): its four decimals and colours, LF and blanks; --crlf-tab writes
#               the CR LF + TAB form of a CloudCompare export instead
#   --ply       the ASCII PLY export of the same scan: its header with the new vertex count, then
#               the vertices with up to 6 significant digits and a blank at the end of each line
#   --ptx       the PTX sample (one scan of 19,200 cells, 13,085 points and 6,115 missing points,
#               in the scanner's frame): its ten header lines once, then the point lines of every
#               copy, missing points and intensities included, CR LF; N counts the points
# --twin TEXT also writes the same points as CloudCompare text (LF and blanks, without the missing
# points and intensities), for the every-n-th converter on the same points.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
points=2000000 form=txt out="" twin=/dev/null
while (($#)); do
  case "$1" in
    --points) points=$2 && shift ;;
    --crlf-tab) form=crlf ;;
    --ply) form=ply ;;
    --ptx) form=ptx ;;
    --twin) twin=$2 && shift ;;
    -*) echo "make-bench-cloud: unknown option $1" >&2 && exit 2 ;;
    *) out=$1 ;;
  esac
  shift
done
[[ -n "$out" && "$points" =~ ^[0-9]+$ ]] || {
  sed -n '2,4p' "$0" >&2
  exit 2
}
case "$form" in
  ply) sample="$root/data/table_mug_stereo_cc_ascii.ply" ;;
  ptx) sample="$root/data/table_mug_stereo_rz30_crlf.ptx" ;;
  *) sample="$root/data/table_mug_stereo_cc_space_lf.txt" ;;
esac
# The header lines of the sample, and its points per copy.
case "$form" in
  ply) head=$(awk '/^end_header/ { print NR; exit }' "$sample") ;;
  ptx) head=10 ;;
  *) head=0 ;;
esac
per=$(tail -n +"$((head + 1))" "$sample" | tr -d '\r' | awk '!($1 == 0 && $2 == 0 && $3 == 0)' | wc -l)
copies=$(((points + per - 1) / per))
((copies >= 1)) || copies=1
lines=$(($(tail -n +"$((head + 1))" "$sample" | wc -l) * copies))
head -n "$head" "$sample" | sed "s/^element vertex .*/element vertex $lines/" >"$out"
tail -n +"$((head + 1))" "$sample" | tr -d '\r' | awk -v copies="$copies" -v form="$form" \
  -v out="$out" -v twin="$twin" '
  { x[NR] = $1; y[NR] = $2; rest[NR] = $0; sub(/^[^ ]+ [^ ]+ /, "", rest[NR]) }
  END {
    columns = int(sqrt(copies)); if (columns * columns < copies) columns++
    for (k = 0; k < copies; k++) {
      ox = 2 * (k % columns); oy = 2 * int(k / columns)
      for (i = 1; i <= NR; i++) {
        split(rest[i], f, " ")
        if (form == "ptx") {
          # A missing point stays where it is: at the origin, with its intensity and no colour.
          if (x[i] == 0 && y[i] == 0 && f[1] == 0) { printf "%s %s %s\r\n", x[i], y[i], rest[i] >>out; continue }
          xy = sprintf("%.6f %.6f", x[i] + ox, y[i] + oy)
          printf "%s %s\r\n", xy, rest[i] >>out
          print xy, f[1], f[3], f[4], f[5] >twin
        } else if (form == "ply") {
          xyz = sprintf("%.6g %.6g %s", x[i] + ox, y[i] + oy, f[1])
          print xyz, f[2], f[3], f[4] " " >>out
          print xyz, f[2], f[3], f[4] >twin
        } else {
          sep = form == "crlf" ? "\t" : " "; eol = form == "crlf" ? "\r\n" : "\n"
          printf "%.4f%s%.4f%s%s%s%s%s%s%s%s%s", x[i] + ox, sep, y[i] + oy, sep, f[1], sep, f[2], sep, f[3], sep, f[4], eol >>out
          print sprintf("%.4f %.4f", x[i] + ox, y[i] + oy), f[1], f[2], f[3], f[4] >twin
        }
      }
    }
  }'
echo "$out: $((copies * per)) points in $copies copies of the sample" >&2
