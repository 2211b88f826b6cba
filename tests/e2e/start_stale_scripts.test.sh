#!/usr/bin/env bash
# The script pieces of the previous run (ent_go*, any case) are deleted before each open dialog, in
# a program folder whose path holds a blank and Japanese characters; ENT_start.lsp and other files
# stay. Their loader lacks the mark of a finished load, so the run asks first and deletes nothing
# before the answer. A rejected choice deletes again before the second dialog.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

app=$(make_program_folder) || exit 1
write_delay "$app" 5
stale=(ENT_GO.lsp ENT_GO3.lsp ENT_GO12.lsp ent_gogo.lsp Ent_Go7.lsp)
kept=(ENT_start.lsp ent_g.lsp my_ENT_GO.lsp notes.txt)
for f in "${stale[@]}" "${kept[@]}"; do printf '(princ)\r\n' >"$app/$f"; done
# A file of the same pattern in the parent folder: only the program folder is cleared.
printf 'x\r\n' >"$app/../ENT_GO.lsp"
input="$E2E_WORK/in.text"
printf '0 0 0 1 2 3\n' >"$input"

start_harlowe "$app"
# The stale loader has no mark of a finished load: the run asks first; Yes goes on.
question=$(drv msgbox "$HARLOWE_APP_TITLE") || e2e_fail "no question about the previous load"
[[ "$question" == "前回の変換データを、CADがまだ最後まで読み込んでいません。"* ]] ||
  e2e_fail "the run asks \"$question\""
for f in "${stale[@]}"; do expect_present "$app/$f"; done
drv msgbox-yes "$HARLOWE_APP_TITLE" >/dev/null || e2e_fail "could not answer Yes"
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the open dialog did not show"
for f in "${stale[@]}"; do expect_missing "$app/$f"; done
for f in "${kept[@]}"; do expect_present "$app/$f"; done
expect_present "$app/../ENT_GO.lsp"

# A piece that appears while the dialog is open is gone before the next dialog.
printf '(princ)\r\n' >"$app/ENT_GO5.lsp"
drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_TXT" "$(to_winpath "$input")" ||
  e2e_fail "could not choose the .text file"
expect_msgbox "$HARLOWE_MSG_NOT_CC_TEXT" "$HARLOWE_APP_TITLE"
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "no second open dialog"
expect_missing "$app/ENT_GO5.lsp"
expect_present "$app/ENT_start.lsp"
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel"
expect_harlowe_exit 0
e2e_note "stale scripts: deleted before each dialog, ENT_start.lsp kept"
