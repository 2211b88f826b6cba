#!/usr/bin/env bash
# The stand-in CAD under Wine: three texts pasted into its command lines through the clipboard
# and Ctrl+V keystrokes, as the CAD link sends them, load a script set in the point script
# format from a support folder with a Japanese name; the dump must hold every point, in order,
# on the target layer, with its colour.
set -euo pipefail
source "$(dirname "$0")/lib/wine-env.sh"
wine_env_init

cad=$(make_program_folder standin_cad.exe)
support="$E2E_WORK/スクリプト 置き場"
dump="$cad/dump"
mkdir -p "$support"
write_ansi "$cad/standin_cad.ini" "[StandIn]
MainCaption=StandInCAD
TextCaption=SIC Text Window
CommandCaption=StandIn Command Line
DrawingName=検査図面.dwg
SupportPath=$(to_winpath "$support")
DumpFolder=dump
GetPointAnswer=continue
Osmode=37
"

# The scripts: a start file, one piece with a function of three batch lines (the last one cut
# short, as when the data ends inside it) and its flush, a piece with ENDD and the tail, and
# the loader.
layer='点群 ソ表 A'
n=120
expected="$E2E_WORK/expected.tsv"
records=()
: >"$expected"
for ((i = 0; i < n; i++)); do
  x=$(awk -v i="$i" 'BEGIN { printf "%.15g", 100 + i / 8 }')
  y=$(awk -v i="$i" 'BEGIN { printf "%.15g", -3.5 + (i % 9) * 0.25 }')
  z=$((i % 7))
  c=$(((i * 37 % 256) * 65536 + (i * 91 % 256) * 256 + i * 53 % 256))
  records+=("'(((0 . \"POINT\")(10 $x $y $z)(420 . $c))) ")
  printf 'POINT\t%s\t%s\t%s\t%s\t%s\n' "$layer" "$x" "$y" "$z" "$c" >>"$expected"
done
batch() { # first count
  local line="(setq enlist1 (append enlist1 " k
  for ((k = $1; k < $1 + $2; k++)); do line+="${records[k]}"; done
  printf '%s' "$line"
}
write_ansi "$support/ENT_start.lsp" "(defun STARTT()
(gc)
(setvar \"cmdecho\" 0)
(if (tblsearch \"LAYER\" \"$layer\")
(progn
(setq td (tblsearch \"LAYER\" \"$layer\"))
(setq d70 (cdr (assoc 70 td)))
(if (= 1 (logand d70 1))
(progn
(command \".layer\" \"t\" \"$layer\" \"\")))))
(command \".layer\" \"m\" \"$layer\" \"\")
(setq lst_ucs_var (list (getvar \"UCSORG\")))
(setq lst_ucs_var (append lst_ucs_var (mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 1.0 0)))))
(command \".UCS\" \"w\")
(command \"pdmode\" \"0\")
(command \"pdsize\" \"0\")
(setq osm_def (getvar \"osmode\"))
(setvar \"osmode\" 0)
)
(startt)
(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")
(terpri)
"
write_ansi "$support/ENT_GO1.lsp" "(defun Ent_GO1()
(setq enlist1 nil)
$(batch 0 50)))
$(batch 50 50)))
$(batch 100 20)))(princ))
(princ \"\\n点群を描画しています。しばらくお待ちください。\")
(terpri)
(ent_go1)
(setq n nil)
(foreach n enlist1 (entmake n))
(setq enlist1 nil)
(setq ent_go1 nil)
(gc)
(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")
"
write_ansi "$support/ENT_GO2.lsp" "(defun ENDD()
(command \".UCS\" \"3\" (car lst_ucs_var) (cadr lst_ucs_var) (caddr lst_ucs_var))
(setq lst_ucs_var nil)
(setvar \"osmode\" osm_def)
(setq osm_def nil)
(command \".zoom\" \"e\")
(princ \"\\n ******  点群の設置が終わりました。  ******:\")
(command \"useri1\" \"1000\" )
(gc)
(princ)
)
(princ)
(princ \"C:/データ/scan.txt\")
(princ \"\\n作画終了。\")
(ENDD)
"
write_ansi "$support/ent_gogo.lsp" '(load "ent_start")
(load "ent_go1")
(load "ent_go2")
(gc)
'

win_start "$cad/standin_cad.exe"
for _ in $(seq 1 300); do
  [[ -f "$dump/state.txt" ]] && break
  win_alive "$WIN_PID" || e2e_fail "the stand-in ended at start"
  sleep 0.1
done
[[ -f "$dump/state.txt" ]] || e2e_fail "the stand-in wrote no state.txt"
drv wait "StandInCAD - [検査図面.dwg]" >/dev/null || e2e_fail "no main window with the drawing name"
drv wait "SIC Text Window" >/dev/null || e2e_fail "no text window"

# The three pastes of the CAD link; the second goes to the text window's command line, which
# feeds the same evaluator.
drv paste "StandInCAD*" "StandIn Command Line" $'\e(setvar "cmdecho" 0)\r\n' ||
  e2e_fail "first paste"
drv paste "SIC Text Window" "StandIn Command Line" $'(prompt "実行中です。　お待ちください。")\r\n' ||
  e2e_fail "second paste"
drv paste "StandInCAD*" "StandIn Command Line" $'(load "ENT_GOGO")\r\n' || e2e_fail "third paste"

for _ in $(seq 1 300); do
  grep -qx 'lines=3' "$dump/state.txt" 2>/dev/null && grep -qx 'idle=1' "$dump/state.txt" && break
  sleep 0.1
done
shot=$(screenshot standin_paste) || true
e2e_note "screenshot: ${shot:-none}"
grep -qx 'lines=3' "$dump/state.txt" || e2e_fail "the stand-in did not evaluate three lines: $(cat "$dump/state.txt")"
grep -qx 'errors=0' "$dump/state.txt" || e2e_fail "evaluation errors: $(cat "$dump/history.txt")"

expect_file() { # name expected-text
  local got
  got=$(cat "$dump/$1")
  [[ "$got" == "$2" ]] || e2e_fail "$1 differs:
--- expected
$2
--- got
$got"
}
expect_file evaluated.log "(setvar \"cmdecho\" 0)
(prompt \"実行中です。　お待ちください。\")
(load \"ENT_GOGO\")"
expect_file entities.tsv "$(printf 'type\tlayer\tx\ty\tz\tcolour\n'; cat "$expected")"
expect_file layers.tsv "$(printf 'name\tflags\tcurrent\n0\t0\t0\n%s\t0\t1' "$layer")"
vars=$(cat "$dump/variables.tsv")
for want in $'CMDECHO\t0' $'OSMODE\t37' $'USERI1\t1000' $'UCSORG\t0,0,0' $'PDMODE\t0' \
  $'DWGNAME\t検査図面.dwg'; do
  grep -qxF "$want" <<<"$vars" || e2e_fail "variables.tsv lacks '$want': $vars"
done
grep -qx 'zoom_extents=1' "$dump/state.txt" || e2e_fail "the zoom did not run"
history=$(cat "$dump/history.txt")
for want in '実行中です。　お待ちください。' '点群を描画しています。しばらくお待ちください。' \
  'C:/データ/scan.txt' '作画終了。'; do
  grep -qF "$want" <<<"$history" || e2e_fail "the history lacks '$want': $history"
done
echo "standin_paste: 1 passed, 0 failed"
