#!/usr/bin/env bash
# make_icon.sh POINTS OUT.ico: the programs' icon, a small point cloud. POINTS is a 16 x 16 grid
# of characters, one per pixel of the smallest size: "." is empty, a letter a point of that
# colour. Each size (16, 32, 48 and 256 pixels) draws the same grid scaled, a point as a round
# dot, on a light plate that keeps the points visible on a dark task bar.
set -euo pipefail
points=$1 out=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

colour() {
  case $1 in
    r) echo '#d7301f' ;; o) echo '#f08a24' ;; y) echo '#d8b21c' ;;
    g) echo '#3a9e3a' ;; c) echo '#1ea7c0' ;; b) echo '#2358b8' ;;
    *) echo "unknown colour '$1' in $points" >&2; exit 1 ;;
  esac
}

draw() { # SIZE: the MVG drawing of the grid at SIZE pixels
  local size=$1 s=$(($1 / 16)) y=0 x line c cx cy r
  printf 'viewbox 0 0 %d %d\n' "$size" "$size"
  # The plate's border runs inside the image (pixel i covers i - 0.5 to i + 0.5).
  local w lo hi
  w=$(awk "BEGIN{print ($s > 1) ? $s / 2 : 1}")
  lo=$(awk "BEGIN{print $w / 2 - 0.5}")
  hi=$(awk "BEGIN{print $size - 0.5 - $w / 2}")
  printf 'fill #f4f6f8 stroke #8a96a3 stroke-width %s roundrectangle %s,%s %s,%s %s,%s\n' \
    "$w" "$lo" "$lo" "$hi" "$hi" $((s * 2)) $((s * 2))
  printf 'stroke none\n'
  while IFS= read -r line; do
    for ((x = 0; x < ${#line}; x++)); do
      c=${line:x:1}
      [[ "$c" == . ]] && continue
      printf 'fill %s ' "$(colour "$c")"
      if ((s == 1)); then
        printf 'point %d,%d\n' "$x" "$y"
      else
        cx=$(awk "BEGIN{print ($x + 0.5) * $s - 0.5}")
        cy=$(awk "BEGIN{print ($y + 0.5) * $s - 0.5}")
        r=$(awk "BEGIN{print 0.62 * $s}")
        printf 'circle %s,%s %s,%s\n' "$cx" "$cy" "$cx" "$(awk "BEGIN{print $cy + $r}")"
      fi
    done
    y=$((y + 1))
  done <"$points"
}

pngs=()
for size in 16 32 48 256; do
  draw "$size" >"$tmp/$size.mvg"
  convert -size "${size}x$size" xc:none -draw "$(cat "$tmp/$size.mvg")" "PNG32:$tmp/$size.png"
  pngs+=("$tmp/$size.png")
done
convert "${pngs[@]}" "$out"
