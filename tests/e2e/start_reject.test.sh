#!/usr/bin/env bash
# The kind of input follows the filter, and under the text filter only names ending in "txt" (any
# case) pass: a rejected name brings its message and the open dialog again with the name still in
# it; a cancel there ends the run like a first cancel. Accepted choices go on to the options.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

app=$(make_program_folder) || exit 1
write_delay "$app" 5
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
for f in "点群 サンプル.text" "sample.ply" "sample.TXT" "cloud.txt"; do
  printf '0.1 0.2 0.3 10 20 30\n' >"$data/$f"
done
data_win=$(to_winpath "$data") || exit 1

# After an accepted choice the next window is the guidance form of the input kind, or, in a build
# that does not show forms yet, a later message; never the rejection or the open dialog again.
expect_accepted() {
  local form=$1 end=$((SECONDS + 15)) text
  while ((SECONDS < end)); do
    if drv exists "$form"; then return 0; fi
    if text=$(drv --timeout 0 msgbox 2>/dev/null); then
      [[ "${text%$'\r'}" != "$HARLOWE_MSG_NOT_CC_TEXT" ]] || e2e_fail "$2 was rejected"
      return 0
    fi
    if drv exists "$HARLOWE_OPEN_TITLE" "#32770"; then e2e_fail "$2 brought the open dialog back"; fi
    win_alive "$HARLOWE_PID" || e2e_fail "harlowe.exe ended after $2 was chosen"
    sleep 0.1
  done
  e2e_fail "nothing followed the choice of $2"
}

# Run 1: a .text name, then a .ply name, under the text filter; then cancel.
start_harlowe "$app"
drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_TXT" "$data_win\\点群 サンプル.text" ||
  e2e_fail "could not choose the .text file"
drv msgbox "$HARLOWE_APP_TITLE" >/dev/null || e2e_fail "no message after the .text choice"
screenshot reject-message >/dev/null
expect_msgbox "$HARLOWE_MSG_NOT_CC_TEXT" "$HARLOWE_APP_TITLE"
shown=$(drv open-read "$HARLOWE_OPEN_TITLE") || e2e_fail "the open dialog did not come again"
screenshot open-dialog-again "$HARLOWE_OPEN_TITLE" >/dev/null
[[ "${shown%%$'\t'*}" == *"点群 サンプル.text" ]] ||
  e2e_fail "the second open dialog shows \"${shown%%$'\t'*}\", not the rejected name"
[[ "${shown##*$'\t'}" == "$HARLOWE_FILTER_TXT" ]] ||
  e2e_fail "the second open dialog has filter ${shown##*$'\t'}, not the text filter"

drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_TXT" "$data_win\\sample.ply" ||
  e2e_fail "could not choose the .ply file"
expect_msgbox "$HARLOWE_MSG_NOT_CC_TEXT" "$HARLOWE_APP_TITLE"
rm -f "$app/qmr_status.dat" "$app/quit_status.dat"
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "no open dialog after the second rejection"
expect_harlowe_exit 0
expect_bytes "$app/qmr_status.dat" 'OK\r\n'
expect_bytes "$app/quit_status.dat" 'QUIT\r\n'

# Run 2: upper-case TXT passes the text filter.
start_harlowe "$app"
drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_TXT" "$data_win\\sample.TXT" ||
  e2e_fail "could not choose sample.TXT"
expect_accepted "$HARLOWE_FORM9_TITLE" sample.TXT
win_wait "$HARLOWE_PID" 0

# Run 3: a .txt file under the PLY filter is taken as PLY input.
start_harlowe "$app"
drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_PLY" "$data_win\\cloud.txt" ||
  e2e_fail "could not choose cloud.txt under the PLY filter"
expect_accepted "$HARLOWE_FORM9ORI_TITLE" "cloud.txt under the PLY filter"
win_wait "$HARLOWE_PID" 0
e2e_note "reject: rejections, dialog again with the name, cancel, accepted names"
