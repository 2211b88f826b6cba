#!/usr/bin/env bash
# The stand-in CAD's command line, where the CAD link clicks (the one in the CAD's text window),
# lies under another program's window. harlowe.exe must click nothing and paste nothing, say so
# and tell how to load the data; the CAD may not evaluate a line or receive an ESC, and the pointer
# is free again afterwards.
#
# The covering window is topmost, so that nothing the CAD link raises or activates on the way can
# uncover the point: under Wine, minimising and restoring the CAD's main window may activate and
# raise the CAD's own text window, so a normal window over it does not stay on top reliably.
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

start_standin_cad "$HARLOWE_APP" cad "図面1.dwg"
win_start "$E2E_DRIVER" cover "SIC Text Window" 120 >>"$E2E_WORK/cover.stderr.log" 2>&1
drv wait "Driver Cover" >/dev/null || e2e_fail "the covering window did not show"

start_harlowe "$HARLOWE_APP"
drive_text_road "$input_win" 4 "点群 覆い"
expect_msgbox 'CADのコマンドラインが他のウィンドウに隠れているため、コマンドの送信を中止しました。変換したデータは、CADのコマンドラインに　(load "ENT_GOGO")　と入力すると読み込めます。' \
  "$HARLOWE_APP_TITLE"
expect_harlowe_exit 0 30

# The scripts are there to be loaded by hand.
for f in ENT_GO.lsp ENT_start.lsp ENT_GO1.lsp ent_gogo.lsp; do
  [[ -f "$HARLOWE_APP/$f" ]] || e2e_fail "$f is missing; the program folder has: $(ls "$HARLOWE_APP")"
done

# Nothing reached the CAD: no line, no ESC, no drawing.
sleep 1
expect_cad_untouched "$CAD_DIR" "the CAD"

# The pointer is free again: the driver's click into the main window (above the text window)
# puts it there, not into the text window's command line it was confined to.
command -v xdotool >/dev/null || e2e_fail "xdotool is missing (Debian package xdotool)"
drv paste "StandInCAD - [図面1.dwg]" "StandIn Command Line" "" ||
  e2e_fail "could not click into the CAD's main window"
read -r _ screen_h < <(DISPLAY=$DISPLAY timeout 10 xdotool getdisplaygeometry) ||
  e2e_fail "xdotool could not read the screen size"
eval "$(DISPLAY=$DISPLAY timeout 10 xdotool getmouselocation --shell)" ||
  e2e_fail "xdotool could not read the pointer"
((Y < screen_h * 5 / 8)) ||
  e2e_fail "the pointer stays at y=$Y, below the main window: it is still confined"
shot=$(screenshot covered) && e2e_note "screenshot: $shot"
echo "covered: the CAD's command line was covered, nothing was clicked or pasted"
