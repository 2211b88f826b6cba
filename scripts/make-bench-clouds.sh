#!/usr/bin/env bash
# Makes the inputs of the PLY and PTX benchmark from the real samples in data/, each with at least
# 2 million points, and a CloudCompare text file of the same points for the every-n-th converter:
#
#   scripts/make-bench-clouds.sh DIR
#
#   DIR/table_mug_2m.ply      the PLY export's 19,404 vertices 104 times (2,018,016), each copy
#                             moved 1 m further in x; faces none, LF line ends, blank after each
#                             line, as CloudCompare writes it
#   DIR/table_mug_2m_ply.txt  the same vertices as CloudCompare text (X Y Z R G B)
#   DIR/table_mug_2m.ptx      the PTX scan's header, then its 19,200 point lines 153 times (13,085
#                             points and 6,115 missing points each time: 2,002,005 points), each
#                             copy moved 1 m further in x; CR LF line ends
#   DIR/table_mug_2m_ptx.txt  the same points as CloudCompare text, without the missing points
#                             and intensities: the points the PTX converter draws, before its matrix
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: make-bench-clouds.sh DIR}
mkdir -p "$dir"
ply=$root/data/table_mug_stereo_cc_ascii.ply
ptx=$root/data/table_mug_stereo_rz30_crlf.ptx

vertices=$(awk '/^end_header/ { print NR; exit }' "$ply")
# Each copy of the vertices goes to the PLY (with the blank CloudCompare writes at the end of a
# line) and to its text twin.
head -n "$vertices" "$ply" | sed "s/^element vertex .*/element vertex $((19404 * 104))/" \
  >"$dir/table_mug_2m.ply"
tail -n +"$((vertices + 1))" "$ply" | awk -v copies=104 -v ply="$dir/table_mug_2m.ply" \
  -v txt="$dir/table_mug_2m_ply.txt" '{ v[NR] = $0 } END {
    for (k = 0; k < copies; k++)
      for (i = 1; i <= NR; i++) {
        split(v[i], f, " ")
        line = sprintf("%.6g %s %s %s %s %s", f[1] + k, f[2], f[3], f[4], f[5], f[6])
        print line " " >>ply
        print line >txt
      } }'

# The PTX keeps its missing points and intensities and has CR LF line ends; its text twin holds
# what the PTX converter draws.
head -n 10 "$ptx" >"$dir/table_mug_2m.ptx"
tr -d '\r' <"$ptx" | tail -n +11 | awk -v copies=153 -v ptx="$dir/table_mug_2m.ptx" \
  -v txt="$dir/table_mug_2m_ptx.txt" '{ v[NR] = $0 } END {
    for (k = 0; k < copies; k++)
      for (i = 1; i <= NR; i++) {
        split(v[i], f, " ")
        if (f[1] == 0 && f[2] == 0 && f[3] == 0) { printf "%s\r\n", v[i] >>ptx; continue }
        x = sprintf("%.6f", f[1] + k)
        printf "%s %s %s %s %s %s %s\r\n", x, f[2], f[3], f[4], f[5], f[6], f[7] >>ptx
        printf "%s %s %s %s %s %s\n", x, f[2], f[3], f[5], f[6], f[7] >txt
      } }'
wc -l "$dir"/table_mug_2m*
