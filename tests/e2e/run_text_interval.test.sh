#!/usr/bin/env bash
# The equal-interval roads for a real CloudCompare export, unattended: full and quick at 10 mm and
# at 100 mm, and full at 10 mm in millimetres for the same scan at survey coordinates (moved by
# -35 km and 120 km). The stand-in CAD must hold exactly the points that an independent
# transcription of each thinning keeps (tests/e2e/lib/interval_expected.py), in file order, with
# their coordinates (in millimetres the exact values times 1000) and true colours; the log names
# the run; no work file is left beside the input. The 100 mm runs read the export as joined files
# of other systems give it (a byte-order mark, CR LF and TABs, some lines ending in LF or a lone
# CR), which must draw what the clean export draws.
source "$(dirname "$0")/lib/run-scenario.sh"

sample=$(sample table_mug_stereo_cc_space_lf.txt) || exit 1
total=$(wc -l <"$sample")
site="$work/site/survey_export.txt"
mkdir -p "$work/site"
awk '{ printf "%.4f %.4f %s %s %s %s\n", $1 - 35000, $2 + 120000, $3, $4, $5, $6 }' "$sample" >"$site"
joined_twin "$sample" $'\t' >"$work/joined.txt"

for run in "full 10 m" "full 100 m" "quick 10 m" "quick 100 m" "full 10 mm site"; do
  read -r kind interval unit where <<<"$run"
  src=$sample scale=1
  [[ $where == site ]] && src=$site
  [[ $unit == mm ]] && scale=1000
  out="$work/$kind-$interval-$unit${where:+-$where}"
  options=(--interval "$interval" --unit "$unit")
  [[ $kind == quick ]] && options+=(--quick)
  input=$src
  ((interval == 100)) && input=$work/joined.txt
  "$here/harlowe-run.sh" --input "$input" --filter txt --out "$out" "${options[@]}" --timeout 300 ||
    fail "$kind $interval mm: the run did not end normally"

  python3 "$here/lib/interval_expected.py" "$kind" "$interval" <"$src" >"$out/expected.txt" ||
    fail "$kind $interval mm: no expectation"
  want=$(wc -l <"$out/expected.txt")
  got=$(($(wc -l <"$out/cad/entities.tsv") - 1))
  ((got == want)) || fail "$kind $interval mm: the CAD holds $got points, expected $want"
  # Only the rounding of this arithmetic in doubles is allowed.
  bad=$(tail -n +2 "$out/cad/entities.tsv" | paste - "$out/expected.txt" | awk -F'\t' -v s="$scale" '
    function off(a, b) { d = a - b * s; if (d < 0) d = -d; m = b < 0 ? -b * s : b * s; return d > 1e-9 + 1e-15 * m }
    { split($7, e, " ")
      if ($1 != "POINT" || off($3, e[1]) || off($4, e[2]) || off($5, e[3]) ||
          $6 != e[4] * 65536 + e[5] * 256 + e[6]) { print "point " NR ": " $0; exit } }')
  [[ -z "$bad" ]] || fail "$kind $interval mm in $unit${where:+ at $where}: $bad"

  [[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
    fail "$kind $interval mm: left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
  log=$(iconv -f CP932 -t UTF-8 "$out/QMR_実行.log") || fail "the log is not CP932 text"
  grep -q "^等間隔間引き値 : $interval "$'\r'"\?$" <<<"$log" || fail "$kind $interval mm: log: $log"
  if [[ $kind == full ]]; then
    grep -q "^実行種類　:　等間隔間引き"$'\r'"\?$" <<<"$log" || fail "full: log kind: $log"
    grep -q "^総点群数 : $total"$'\r'"\?$" <<<"$log" || fail "full: log without the count: $log"
    grep -q "^描画点群数 : $want"$'\r'"\?$" <<<"$log" || fail "full: log without the kept: $log"
  else
    grep -q "^実行種類　:　等間隔間引き（簡易型）"$'\r'"\?$" <<<"$log" || fail "quick: log kind: $log"
  fi
  echo "$kind $interval mm in $unit${where:+ at survey coordinates}: $want of $total points drawn"
done
