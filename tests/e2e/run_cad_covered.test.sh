#!/usr/bin/env bash
# Two stand-in CADs whose text windows lie on the same spot. The search picks the last instance
# in the process snapshot and clicks into the command line it found last: the one in that
# instance's text window. The user was working in the other instance's text window, which now
# covers that point. harlowe.exe must click nothing and paste nothing, say so and tell how to
# load the data; neither instance may evaluate a line or receive an ESC.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

prepare_program_folder 10
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
write_small_scan "$data/scan.txt"
input_win=$(to_winpath "$data/scan.txt") || exit 1

# Each instance in its own folder; the text windows get captions of their own (both still begin
# with the TextCaption of MkScr.ini) so that the driver can raise one of them. The stand-in puts
# every instance's windows at the same place.
names=(cad-first cad-second)
dirs=() pids=()
for i in 0 1; do
  start_standin_cad "$HARLOWE_APP" "${names[i]}" "図面$((i + 1)).dwg" "SIC Text Window $((i + 1))"
  pid=$(window_pid "$CAD_CAPTION")
  [[ "$pid" =~ ^[0-9]+$ ]] || e2e_fail "no process id for ${names[i]}"
  dirs+=("$CAD_DIR")
  pids+=("$pid")
done

target=$(search_target "${pids[@]}") || exit 1
other=$((1 - target))
e2e_note "the search picks ${names[target]}; ${names[other]}'s text window is raised over it"

e2e_on_fail() {
  local i
  for i in 0 1; do
    echo "--- ${names[i]}: $(tr '\n' ' ' <"${dirs[i]}/dump/state.txt" 2>/dev/null)"
    tail -n 5 "${dirs[i]}/dump/history.txt" 2>/dev/null
  done
}

# The top-level windows from the top of the z-order down: is the other instance's text window
# above the target's? Both lie on the same spot, so then it covers the target's command line.
other_text_on_top() {
  drv list | awk -F'\t' -v o="SIC Text Window $((other + 1))" -v t="SIC Text Window $((target + 1))" '
    { sub(/\r$/, "", $5) } $5 == o && !seen_t { found = 1 } $5 == t { seen_t = 1 }
    END { exit found ? 0 : 1 }'
}

# The user works in the other instance's text window: it comes to the front, over the target's
# text window (an empty paste raises it and clicks into its command line without typing). Under
# Wine the foreground can be reported before the window has been raised, so the click may still
# land in the target's window; raise again until the order is right.
for _ in 1 2 3 4 5; do
  drv paste "SIC Text Window $((other + 1))" "StandIn Command Line" "" ||
    e2e_fail "could not raise the text window of ${names[other]}"
  sleep 0.5
  other_text_on_top && break
done
other_text_on_top || e2e_fail "the text window of ${names[other]} stays below the target's"

start_harlowe "$HARLOWE_APP"
drive_text_road "$input_win" 4 "点群 覆い"
expect_msgbox 'CADのコマンドラインが他のウィンドウに隠れているため、コマンドの送信を中止しました。変換したデータは、CADのコマンドラインに　(load "ENT_GOGO")　と入力すると読み込めます。' \
  "$HARLOWE_APP_TITLE"
expect_harlowe_exit 0 30

# The scripts are there to be loaded by hand.
for f in ENT_GO.lsp ENT_start.lsp ENT_GO1.lsp ent_gogo.lsp; do
  [[ -f "$HARLOWE_APP/$f" ]] || e2e_fail "$f is missing; the program folder has: $(ls "$HARLOWE_APP")"
done

# Nothing reached either instance: no line, no ESC, no drawing.
sleep 1
for i in 0 1; do
  dump=${dirs[i]}/dump
  [[ -f "$dump/evaluated.log" && ! -s "$dump/evaluated.log" ]] ||
    e2e_fail "${names[i]} evaluated: $(cat "$dump/evaluated.log" 2>/dev/null)"
  grep -qx 'lines=0' "$dump/state.txt" || e2e_fail "${names[i]}: $(cat "$dump/state.txt")"
  grep -qx 'entities=0' "$dump/state.txt" || e2e_fail "${names[i]}: $(cat "$dump/state.txt")"
  ! grep -q 'Cancel' "$dump/history.txt" 2>/dev/null ||
    e2e_fail "${names[i]} received an ESC: $(cat "$dump/history.txt")"
done

# The pointer is free again: the driver's click into the target's main window (above the text
# windows) puts it there, not into the text window's command line it was confined to.
command -v xdotool >/dev/null || e2e_fail "xdotool is missing (Debian package xdotool)"
drv paste "StandInCAD - [図面$((target + 1)).dwg]" "StandIn Command Line" "" ||
  e2e_fail "could not click into ${names[target]}'s main window"
read -r _ screen_h < <(DISPLAY=$DISPLAY timeout 10 xdotool getdisplaygeometry) ||
  e2e_fail "xdotool could not read the screen size"
eval "$(DISPLAY=$DISPLAY timeout 10 xdotool getmouselocation --shell)" ||
  e2e_fail "xdotool could not read the pointer"
((Y < screen_h * 5 / 8)) ||
  e2e_fail "the pointer stays at y=$Y, below the main window: it is still confined"
shot=$(screenshot covered) && e2e_note "screenshot: $shot"
echo "covered: ${names[target]}'s command line was covered, nothing was clicked or pasted"
