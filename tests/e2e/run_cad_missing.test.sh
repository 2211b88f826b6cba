#!/usr/bin/env bash
# A whole text road with no CAD running: harlowe.exe tells the user that no CAD was found and how
# to load the data by hand, ends with exit code 0 and leaves the script set in the program folder.
# Nothing may be pasted or typed anywhere: another program that takes keystrokes (a renamed copy of
# the stand-in, which is therefore no CAD) keeps the half-typed line it had in front, and the
# clipboard keeps the text that was on it before the run.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init
command -v xdotool >/dev/null || e2e_fail "xdotool is missing (Debian package xdotool)"

prepare_program_folder 10
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
awk 'BEGIN { for (i = 1; i <= 30; i++)
  printf "%.3f %.3f %.3f %d %d %d\n", i * 0.5, i * 0.25, 1 + i % 3, i * 8, 100, 255 - i * 8 }' \
  >"$data/scan.txt"
input_win=$(to_winpath "$data/scan.txt") || exit 1

# The other program: its line holds a marker that is not yet entered, and the same marker is on
# the clipboard (the driver's paste leaves it there).
decoy="$E2E_WORK/decoy"
mkdir -p "$decoy"
cp "$(win_exe standin_cad.exe)" "$decoy/decoy.exe" || exit 1
write_ansi "$decoy/decoy.ini" "[StandIn]
MainCaption=Decoy Editor
TextCaption=Decoy Text
CommandCaption=Decoy Input
DrawingName=memo.txt
SupportPath=.
DumpFolder=dump
"
win_start "$decoy/decoy.exe" "$decoy/decoy.ini" >>"$E2E_WORK/decoy.stderr.log" 2>&1
decoy_pid=$WIN_PID
drv --timeout 30000 wait "Decoy Editor - [memo.txt]" >/dev/null || e2e_fail "the decoy did not show"
marker='(setq marker "未送信")'
drv paste "Decoy Editor*" "Decoy Input" "$marker" || e2e_fail "could not type into the decoy"

start_harlowe "$HARLOWE_APP"
drive_text_road "$input_win" 3 "点群"
expect_msgbox 'CADが見つかりませんでした。変換したデータは、CADのコマンドラインに　(load "ENT_GOGO")　と入力すると読み込めます。' \
  "$HARLOWE_APP_TITLE"
expect_harlowe_exit 0 30

for f in ENT_GO.lsp ENT_start.lsp ENT_GO1.lsp ent_gogo.lsp; do
  [[ -f "$HARLOWE_APP/$f" ]] || e2e_fail "$f is missing; the program folder has: $(ls "$HARLOWE_APP")"
done
grep -qi 'ent_go1' "$HARLOWE_APP/ent_gogo.lsp" || e2e_fail "the loader does not load ENT_GO1"

# The decoy: nothing entered, no ESC. Then its own line is completed by a paste of whatever the
# clipboard holds now and entered: the marker twice means the line and the clipboard were left
# alone.
win_alive "$decoy_pid" || e2e_fail "the decoy ended"
state=$(cat "$decoy/dump/state.txt")
grep -qx 'lines=0' <<<"$state" || e2e_fail "the decoy evaluated lines: $(cat "$decoy/dump/evaluated.log")"
! grep -q 'Cancel' "$decoy/dump/history.txt" 2>/dev/null ||
  e2e_fail "the decoy received an ESC: $(cat "$decoy/dump/history.txt")"
drv key "Decoy Editor*" space || e2e_fail "could not bring the decoy to the front"
# Ctrl+V and Enter both through the X server, which hands them to the decoy in this order.
DISPLAY=$DISPLAY timeout 10 xdotool key ctrl+v Return || e2e_fail "xdotool could not press Ctrl+V, Enter"
for _ in $(seq 1 300); do
  [[ -s "$decoy/dump/evaluated.log" ]] && break
  sleep 0.1
done
got=$(cat "$decoy/dump/evaluated.log")
[[ "$got" == "$marker $marker" ]] ||
  e2e_fail "the decoy's line or the clipboard changed: the decoy entered '$got', expected '$marker $marker'"
echo "no CAD: the message came, the scripts are there, nothing was pasted or typed"
