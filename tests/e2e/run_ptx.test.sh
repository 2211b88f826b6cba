#!/usr/bin/env bash
# The whole road for the sample PTX scan, unattended, at every point in metres and at every 3rd
# point in millimetres. The stand-in CAD must hold the points as CloudCompare read the scan (its
# missing points left out, moved by its matrix), in order, within 32-bit precision, with their
# colours; the log keeps its head only and nothing else is left beside the input.
source "$(dirname "$0")/lib/run-scenario.sh"

src=$(sample table_mug_stereo_rz30_crlf.ptx) || exit 1
reference=$(sample table_mug_stereo_rz30_ptx_cc_readback_space_lf.txt) || exit 1

# run STEP UNIT SCALE: one run, checked against every STEP-th reference point times SCALE.
run() {
  local step=$1 unit=$2 scale=$3 out="$work/$1$2"
  "$here/harlowe-run.sh" --input "$src" --filter ptx --out "$out" --step "$step" --unit "$unit" \
    --timeout 300 || fail "step $step, $unit: the run did not end normally"
  [[ $(paste -sd'|' "$out/answered.txt") == "点群、メッシュのファイルを選択して下さい。|SubSample Setup|レイヤー選択" ]] ||
    fail "windows on the road: $(paste -sd'|' "$out/answered.txt")"
  awk -v n="$step" 'NR % n == 0' "$reference" >"$out/expected.txt"
  local want got bad
  want=$(wc -l <"$out/expected.txt")
  got=$(($(wc -l <"$out/cad/entities.tsv") - 1))
  ((got == want)) || fail "step $step, $unit: the CAD holds $got points, expected $want"
  # 7 significant digits of a float against a reference with 6 decimals.
  bad=$(tail -n +2 "$out/cad/entities.tsv" | paste - "$out/expected.txt" | awk -F'\t' -v s="$scale" '
    function off(a, b) { d = a - b * s; if (d < 0) d = -d; m = b < 0 ? -b : b; return d > (6e-7 * m + 5e-7) * s }
    { split($7, e, " ")
      if ($1 != "POINT" || off($3, e[1]) || off($4, e[2]) || off($5, e[3]) ||
          $6 != e[4] * 65536 + e[5] * 256 + e[6]) { print "point " NR ": " $0; exit } }')
  [[ -z "$bad" ]] || fail "step $step, $unit: $bad"
  grep -qx $'USERI1\t'"$([[ $unit == m ]] && echo 1 || echo 1000)" "$out/cad/variables.tsv" ||
    fail "step $step, $unit: $(grep USERI1 "$out/cad/variables.tsv")"
  [[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
    fail "files left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
  local log
  log=$(iconv -f CP932 -t UTF-8 "$out/QMR_実行.log") || fail "the log is not CP932 text"
  [[ $(wc -l <<<"$log") == 7 ]] || fail "the PTX log has more than its head: $log"
  grep -q "^間引き値 : $step "$'\r'"\?$" <<<"$log" || fail "log: $log"
  echo "PTX road: step $step in $unit, $want points"
}

run 1 m 1
run 3 mm 1000
