#!/usr/bin/env bash
# The whole road for CloudCompare's PLY export of the sample scan, unattended: the open dialog
# with the PLY filter, the PLY guidance, a new layer. The stand-in CAD must hold every vertex in
# file order, at the coordinates of CloudCompare's text export of the same scan and with its
# colours; no unit is chosen on this road, so the coordinates stay as they are and useri1 is
# 1000. Nothing but the log may be left beside the input. The same vertices as a mesh of another
# writer (a camera and the faces declared before the vertices, TABs between the values, CR LF)
# draw the same. A file with 16-bit colours and one that ends inside its faces before the
# vertices are refused with an error, and nothing reaches the CAD.
source "$(dirname "$0")/lib/run-scenario.sh"

src=$(sample table_mug_stereo_cc_ascii.ply) || exit 1
reference=$(sample table_mug_stereo_cc_space_lf.txt) || exit 1
layer="点群 PLY"
want=$(wc -l <"$reference")
faces=37244

# The export's header with a camera and the faces declared first, then their lines, then the
# vertices with TABs; CR LF throughout.
awk -v faces=$faces -v vertices="$want" '
  /^element vertex/ {
    print "element camera 1\nproperty float view_px\nproperty float view_py\nproperty float view_pz"
    print "element face " faces "\nproperty list uchar int vertex_indices"
  }
  { print }
  /^end_header/ {
    print "0 0 1.5"
    for (i = 0; i < faces; i++) print 3, i % vertices, (i + 1) % vertices, (i + 2) % vertices
    body = 1
    next
  }
' "$src" | awk 'body { gsub(/ /, "\t") } /^end_header/ { body = 1 } { printf "%s\r\n", $0 }' \
  >"$work/mesh.ply"

for run in export mesh; do
  out="$work/$run"
  input=$src
  [[ $run == mesh ]] && input="$work/mesh.ply"
  "$here/harlowe-run.sh" --input "$input" --filter ply --out "$out" --layer "$layer" --timeout 300 ||
    fail "$run: the run did not end normally"
  [[ $(paste -sd'|' "$out/answered.txt") == "点群、メッシュのファイルを選択して下さい。|CloudCompareでのﾌｧｲﾙ設定|レイヤー選択" ]] ||
    fail "$run: windows on the road: $(paste -sd'|' "$out/answered.txt")"

  got=$(drawn "$out")
  ((got == want)) || fail "$run: the CAD holds $got points, expected $want"
  # The text export has 4 decimals, the PLY up to 6 significant digits: they agree within 6e-5.
  bad=$(tail -n +2 "$out/cad/entities.tsv" | paste - "$reference" | awk -F'\t' -v layer="$layer" '
    function off(a, b) { d = a - b; if (d < 0) d = -d; return d > 6e-5 }
    {
      split($7, e, " ")
      if ($1 != "POINT" || $2 != layer || off($3, e[1]) || off($4, e[2]) || off($5, e[3]) ||
          $6 != e[4] * 65536 + e[5] * 256 + e[6]) { print "point " NR ": " $0; exit }
    }')
  [[ -z "$bad" ]] || fail "$run: $bad"
  grep -qx $'USERI1\t1000' "$out/cad/variables.tsv" ||
    fail "$run: useri1: $(grep USERI1 "$out/cad/variables.tsv")"
  [[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
    fail "$run: files left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
  log=$(iconv -f CP932 -t UTF-8 "$out/QMR_実行.log") || fail "$run: the log is not CP932 text"
  grep -q "^QMR 変換ログファイル(Mesh)"$'\r'"\?$" <<<"$log" || fail "$run: log title: $log"
  grep -q "描画点数 : $want"$'\r'"\?$" <<<"$log" || fail "$run: log without the point count: $log"
done

# Refused: an error, exit code 1, nothing pasted into the CAD, no work file left.
sed 's/^property uchar \(red\|green\|blue\)$/property ushort \1/' "$src" >"$work/ushort.ply"
head -c 300000 "$work/mesh.ply" >"$work/cut.ply"
for run in ushort cut; do
  out="$work/$run"
  "$here/harlowe-run.sh" --input "$work/$run.ply" --filter ply --out "$out" --timeout 120 &&
    fail "$run: a refused file exited 0"
  [[ $(sed -n 's/^exit\t//p' "$out/run.txt") == 1 ]] ||
    fail "$run: harlowe.exe ended with $(sed -n 's/^exit\t//p' "$out/run.txt")"
  [[ ! -s "$out/cad/evaluated.log" ]] || fail "$run: the CAD received: $(cat "$out/cad/evaluated.log")"
  [[ $(cut -f1 "$out/input-folder.txt") == "QMR_実行.log" ]] ||
    fail "$run: left beside the input: $(cut -f1 "$out/input-folder.txt" | paste -sd' ')"
done
grep -q "このファイルの頂点 : float x, float y, float z, ushort red, ushort green, ushort blue" \
  "$work/ushort/messages.txt" || fail "ushort: the error: $(cat "$work/ushort/messages.txt")"
grep -q "頂点より前の要素と個数 : camera 1, face $faces" "$work/cut/messages.txt" ||
  fail "cut: the error: $(cat "$work/cut/messages.txt")"
echo "PLY road: $want vertices on \"$layer\" from the export and from a mesh with its faces first;" \
  "16-bit colours and a file cut inside its faces refused"
