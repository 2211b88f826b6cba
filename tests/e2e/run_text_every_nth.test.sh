#!/usr/bin/env bash
# The whole road for a CloudCompare text file, unattended: the open dialog, the guidance, every
# 3rd point in millimetres, a new layer with a blank and Japanese characters, zoom at the end; the
# stand-in CAD must have received the three command lines and hold exactly lines 3, 6, 9, ... of
# the input, scaled and coloured, on that layer; nothing but the log may be left beside the input.
source "$(dirname "$0")/lib/run-scenario.sh"

src=$(sample table_mug_stereo_cc_space_lf.txt) || exit 1
out=$work
layer="点群 レイヤー A"

"$here/harlowe-run.sh" --input "$src" --filter txt --out "$out" --step 3 --unit mm \
  --layer "$layer" --zoom --timeout 300 || fail "the run did not end normally"
[[ $(paste -sd'|' "$out/answered.txt") == "点群、メッシュのファイルを選択して下さい。|CloudCompareでのエクスポート設定|SubSample Setup|レイヤー選択" ]] ||
  fail "windows on the road: $(paste -sd'|' "$out/answered.txt")"

# run.txt: where the program worked.
[[ $(cut -f1 "$out/run.txt" | paste -sd' ') == "input appdir exit" ]] || fail "run.txt: $(cat "$out/run.txt")"
[[ $(sed -n 's/^input\t//p' "$out/run.txt") == [A-Z]:\\*'\入力 データ\table_mug_stereo_cc_space_lf.txt' ]] ||
  fail "run.txt input line: $(sed -n 1p "$out/run.txt")"
[[ $(sed -n 's/^appdir\t//p' "$out/run.txt") == *'\テスト フォルダ\プログラム\' ]] ||
  fail "run.txt appdir line: $(sed -n 2p "$out/run.txt")"
[[ $(sed -n 's/^exit\t//p' "$out/run.txt") == 0 ]] || fail "run.txt exit line"

# The drawing: lines 3, 6, 9, ... of the input, in order, x 1000, with their true colours.
head -n1 "$out/cad/entities.tsv" | cmp -s - <(printf 'type\tlayer\tx\ty\tz\tcolour\n') ||
  fail "entities.tsv header: $(head -n1 "$out/cad/entities.tsv")"
awk 'NR % 3 == 0' "$src" >"$out/expected.txt"
want=$(wc -l <"$out/expected.txt")
got=$(($(wc -l <"$out/cad/entities.tsv") - 1))
((got == want)) || fail "the CAD holds $got points, expected $want"
bad=$(tail -n +2 "$out/cad/entities.tsv" | paste - "$out/expected.txt" | awk -F'\t' -v layer="$layer" '
  # Millimetre texts are the exact values times 1000 (-0.0914 gives -91.4): only the rounding of
  # this arithmetic in doubles is allowed.
  function off(a, b) { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; return d > 1e-12 * (m > 1 ? m : 1) }
  {
    split($7, e, " ")
    colour = e[4] * 65536 + e[5] * 256 + e[6]
    if ($1 != "POINT" || $2 != layer || off($3, e[1] * 1000) || off($4, e[2] * 1000) ||
        off($5, e[3] * 1000) || $6 != colour) { print "point " NR ": " $0; exit }
  }')
[[ -z "$bad" ]] || fail "$bad"
grep -q "^${layer}"$'\t'".*"$'\t'"1$" "$out/cad/layers.tsv" || fail "the layer is not current: $(cat "$out/cad/layers.tsv")"
grep -qx 'zoom_extents=1' "$out/cad/state.txt" || fail "no zoom to the whole drawing"
# What reached the CAD's command line: the three pastes of the CAD link, whole and in order.
printf '%s\n' '(setvar "cmdecho" 0)' '(prompt "実行中です。　お待ちください。")' '(load "ENT_GOGO")' |
  cmp -s - "$out/cad/evaluated.log" || fail "the CAD received: $(cat "$out/cad/evaluated.log")"

# The script set and the files beside the input.
for f in ENT_GO.lsp ENT_start.lsp ent_gogo.lsp ENT_GO1.lsp; do
  [[ -f "$out/scripts/$f" ]] || fail "script $f missing; have: $(ls "$out/scripts")"
done
[[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
  fail "files left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
log=$(iconv -f CP932 -t UTF-8 "$out/QMR_実行.log") || fail "the log is not CP932 text"
grep -q "総点数 : 19404"$'\r'"\?$" <<<"$log" || fail "log without the line count: $log"
grep -q "描画点数 : $want"$'\r'"\?$" <<<"$log" || fail "log without the point count: $log"
echo "every-n-th road: $want points on \"$layer\" in millimetres"
