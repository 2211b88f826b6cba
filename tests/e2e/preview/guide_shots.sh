#!/usr/bin/env bash
# The pictures of the guides: every window a user meets, as the programs show it under Wine,
# cropped to the window. Run through scripts/guide-shots.sh, which builds first and names the
# output folder (distribution/guides/images); the PNGs are committed with the guides.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${GUIDE_SHOTS_DIR:?}
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/lib/installer.sh"
source "$here/preview/forms.sh"
begin_installer_scenario
mkdir -p "$out"

# shot NAME TITLE [CLASS]: the window, cut out of a screenshot of the screen.
shot() {
  local rect x y w h
  rect=$(drv rect "$2" "${3:-}") || e2e_fail "no window \"$2\" for $1"
  read -r x y w h <<<"${rect%$'\r'}"
  sleep 0.6  # let it finish painting
  DISPLAY="$DISPLAY" import -window root -crop "${w}x${h}+${x}+${y}" +repage "png:$out/$1.png" ||
    e2e_fail "screenshot $1 failed"
  e2e_note "$1: ${w}x${h}"
}

# --- the installer and cloud_connect.exe ---
# Installed as a user would, to C:\Harlowe (the prefix's drive C:), so that the paths the
# pictures show are the same in every run.
target="$WINEPREFIX/drive_c/Harlowe"
rm -rf "$target"
mkdir -p "$target"
trap 'rm -rf "$target"; _e2e_cleanup' EXIT
start_tamsett "$INSTALLER_SRC"
drv wait "$TAMSETT_TITLE" >/dev/null || e2e_fail "no Form1"
shot tamsett-form1 "$TAMSETT_TITLE" HarloweForm
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "Install"
drv wait "*" "#32770" >/dev/null || e2e_fail "no folder browser"
browser=$(drv list | awk -F'\t' '$3 == "#32770" { sub(/\r$/, "", $5); print $5; exit }')
shot tamsett-browser "$browser" "#32770"
drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" "$(to_winpath "$target")" || e2e_fail "browse"
drv msgbox "$TAMSETT_TITLE" >/dev/null || e2e_fail "no end message"
shot tamsett-done "$TAMSETT_TITLE" "#32770"
drv msgbox-ok "$TAMSETT_TITLE" >/dev/null
expect_tamsett_exit 0

win_start "$target/cloud_connect.exe" >/dev/null 2>&1
drv msgbox cloud_connect >/dev/null || e2e_fail "cloud_connect showed nothing"
shot cloud-connect-unset cloud_connect "#32770"
drv msgbox-ok cloud_connect >/dev/null

# --- harlowe.exe: the open dialog, then each form as form_preview.exe shows it ---
prepare_program_folder 10 /dev/null
write_ansi "$HARLOWE_APP/Lay.dat" $'0\n点群\n地形\n建物 外壁\n'
# The open dialog starts in the current folder: a folder of point clouds, as a user has one.
data="$E2E_WORK/点群データ"
mkdir -p "$data"
head -n 200 "$HARLOWE_SOURCE_DIR/data/table_mug_stereo_cc_space_lf.txt" >"$data/scan_001.txt"
cp "$data/scan_001.txt" "$data/scan_002.txt"
(cd "$data" && exec env LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" \
  WINEDEBUG=-all DISPLAY="$DISPLAY" timeout -k 5 120 "$WINE_BIN" "$HARLOWE_APP/harlowe.exe" 9>&-) \
  >/dev/null 2>&1 &
HARLOWE_PID=$!
E2E_PIDS+=("$HARLOWE_PID")
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "no open dialog"
shot harlowe-open "$HARLOWE_OPEN_TITLE" "#32770"
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel the open dialog"
expect_harlowe_exit 0

preview="$E2E_WORK/preview"
mkdir -p "$preview"
cp "$(win_exe form_preview.exe)" "$HARLOWE_APP/Lay.dat" "$preview/"
show_form() { # NAME TITLE FORM [ARGS]
  local name=$1 title=$2
  shift 2
  start_preview "$preview" "$E2E_WORK/preview.out" "$@"
  drv wait "$title" >/dev/null || e2e_fail "no $title"
  shot "$name" "$title"
}
show_form harlowe-form9 "$HARLOWE_FORM9_TITLE" Form9
drv click "$HARLOWE_FORM9_TITLE" Command1 && expect_preview_exit
show_form harlowe-form9-ply "$HARLOWE_FORM9ORI_TITLE" Form9_ori
drv click "$HARLOWE_FORM9ORI_TITLE" Command1 && expect_preview_exit
show_form harlowe-form3 "$HARLOWE_FORM3_TITLE" Form3
drv click "$HARLOWE_FORM3_TITLE" Command2 && expect_preview_exit
show_form harlowe-form3-ptx "$HARLOWE_FORM3_TITLE" Form3 --ptx
drv click "$HARLOWE_FORM3_TITLE" Command2 && expect_preview_exit
show_form harlowe-form4 "$HARLOWE_FORM4_TITLE" Form4 --dir "$(to_winpath "$preview")" \
  --input 'C:\点群\scan_001.txt'
drv select "$HARLOWE_FORM4_TITLE" List1 1 || true
sleep 0.3
shot harlowe-form4 "$HARLOWE_FORM4_TITLE"
drv click "$HARLOWE_FORM4_TITLE" Command2 && expect_preview_exit
show_form harlowe-form2 "データ処理" Form2 --fraction 0.45 --stage "ファイルデータを処理しています。－１" \
  --seconds 4
expect_preview_exit
e2e_note "pictures in $out"
