#!/usr/bin/env bash
# The whole road for CloudCompare's PLY export of the sample scan, unattended: the open dialog
# with the PLY filter, the PLY guidance, a new layer. The stand-in CAD must hold every vertex in
# file order, at the coordinates of CloudCompare's text export of the same scan and with its
# colours; no unit is chosen on this road, so the coordinates stay as they are and useri1 is
# 1000. Nothing but the log may be left beside the input.
source "$(dirname "$0")/lib/run-scenario.sh"

src=$(sample table_mug_stereo_cc_ascii.ply) || exit 1
reference=$(sample table_mug_stereo_cc_space_lf.txt) || exit 1
out=$work
layer="点群 PLY"

"$here/harlowe-run.sh" --input "$src" --filter ply --out "$out" --layer "$layer" --timeout 300 ||
  fail "the run did not end normally"
[[ $(paste -sd'|' "$out/answered.txt") == "点群、メッシュのファイルを選択して下さい。|CloudCompareでのﾌｧｲﾙ設定|レイヤー選択" ]] ||
  fail "windows on the road: $(paste -sd'|' "$out/answered.txt")"

want=$(wc -l <"$reference")
got=$(($(wc -l <"$out/cad/entities.tsv") - 1))
((got == want)) || fail "the CAD holds $got points, expected $want"
# The text export has 4 decimals, the PLY up to 6 significant digits: they agree within 6e-5.
bad=$(tail -n +2 "$out/cad/entities.tsv" | paste - "$reference" | awk -F'\t' -v layer="$layer" '
  function off(a, b) { d = a - b; if (d < 0) d = -d; return d > 6e-5 }
  {
    split($7, e, " ")
    if ($1 != "POINT" || $2 != layer || off($3, e[1]) || off($4, e[2]) || off($5, e[3]) ||
        $6 != e[4] * 65536 + e[5] * 256 + e[6]) { print "point " NR ": " $0; exit }
  }')
[[ -z "$bad" ]] || fail "$bad"
grep -qx $'USERI1\t1000' "$out/cad/variables.tsv" || fail "useri1: $(grep USERI1 "$out/cad/variables.tsv")"
[[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
  fail "files left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
log=$(iconv -f CP932 -t UTF-8 "$out/QMR_実行.log") || fail "the log is not CP932 text"
grep -q "^QMR 変換ログファイル(Mesh)"$'\r'"\?$" <<<"$log" || fail "log title: $log"
grep -q "描画点数 : $want"$'\r'"\?$" <<<"$log" || fail "log without the point count: $log"
echo "PLY road: $want vertices on \"$layer\""
