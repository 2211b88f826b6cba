#!/usr/bin/env bash
# Two runs in one program folder. While a run holds the folder (here at its open dialog, after it
# has deleted the previous scripts), a second harlowe.exe says that a conversion is running and
# ends with exit code 1 without touching the folder. The first run then ends as if nothing had
# happened. Its load command reached no CAD, so its loader waits without the mark that the loader
# leaves after its last piece: the next run asks before deleting anything, and "No" leaves every
# file as it was. Once the CAD has loaded the scripts, the mark is there and the next run asks
# nothing (its deletion takes the mark with the scripts).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

prepare_program_folder 10
app=$HARLOWE_APP
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
write_small_scan "$data/scan.txt"
input_win=$(to_winpath "$data/scan.txt") || exit 1
folder_state() { (cd "$app" && find . -printf '%P\t%s\t%T@\n' | LC_ALL=C sort); }
open_dialogs() { drv list | awk -F'\t' -v t="$HARLOWE_OPEN_TITLE" '{ sub(/\r$/, "", $5) } $5 == t' | wc -l; }

# --- a second run while the first holds the folder --------------------------------------------
start_harlowe "$app"
first=$HARLOWE_PID
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the first run's open dialog did not show"
printf '(princ)\r\n' >"$app/ENT_GO7.lsp"  # a piece that the second run must leave alone
before=$(folder_state)
start_harlowe "$app"
second=$HARLOWE_PID
text=$(drv msgbox "$HARLOWE_APP_TITLE") || e2e_fail "the second run showed no message"
screenshot second_run_refused >/dev/null || true
drv msgbox-ok "$HARLOWE_APP_TITLE" >/dev/null || e2e_fail "could not answer the second run's message"
[[ "$text" == "別の変換を実行中です。実行中の変換が終わってから、もう一度実行してください。"* ]] ||
  e2e_fail "the second run says \"$text\""
grep -q "フォルダ : .*プログラム" <<<"$text" || e2e_fail "the message names no folder: $text"
expect_harlowe_exit 1
[[ "$(folder_state)" == "$before" ]] || e2e_fail "the second run changed the program folder:
$(diff <(echo "$before") <(folder_state))"
(($(open_dialogs) == 1)) || e2e_fail "a second open dialog showed"
rm -f "$app/ENT_GO7.lsp"
e2e_note "second run refused while the first holds the folder"

# --- the first run goes on; no CAD takes its load command ---------------------------------------
HARLOWE_PID=$first
drive_text_road "$input_win" 1 "点群"
expect_msgbox 'CADが見つかりませんでした。変換したデータは、CADのコマンドラインに　(load "ENT_GOGO")　と入力すると読み込めます。' \
  "$HARLOWE_APP_TITLE"
expect_harlowe_exit 0 30
expect_present "$app/ent_gogo.lsp" "$app/ENT_GO1.lsp" "$app/ENT_start.lsp"
expect_missing "$app/ent_gogo.end"

# --- the next run finds the load unfinished; No leaves everything -------------------------------
before=$(folder_state)
start_harlowe "$app"
text=$(drv msgbox "$HARLOWE_APP_TITLE") || e2e_fail "the next run did not ask"
screenshot previous_load_unfinished >/dev/null || true
[[ "$text" == "前回の変換データを、CADがまだ最後まで読み込んでいません。"* ]] ||
  e2e_fail "the next run asks \"$text\""
drv msgbox-no "$HARLOWE_APP_TITLE" >/dev/null || e2e_fail "could not answer No"
expect_harlowe_exit 0
[[ "$(folder_state)" == "$before" ]] || e2e_fail "No changed the program folder:
$(diff <(echo "$before") <(folder_state))"
(($(open_dialogs) == 0)) || e2e_fail "an open dialog showed after No"
e2e_note "unfinished load: asked, No left the scripts"

# --- the CAD loads the scripts: the loader leaves its mark ---------------------------------------
start_standin_cad "$app"
drv paste "StandInCAD*" "StandIn Command Line" $'(load "ENT_GOGO")\r\n' || e2e_fail "could not paste"
wait_cad_load 60 || e2e_fail "$CAD_FAILURE"
points=$(($(wc -l <"$CAD_DIR/dump/entities.tsv") - 1))
((points == 40)) || e2e_fail "the CAD drew $points points, expected 40"
expect_present "$app/ent_gogo.end"

# --- with the mark the next run asks nothing and deletes the scripts and the mark --------------
start_harlowe "$app"
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the open dialog did not show"
drv exists "$HARLOWE_APP_TITLE" "#32770" && e2e_fail "a message came with the mark there"
expect_missing "$app/ent_gogo.lsp" "$app/ENT_GO1.lsp" "$app/ent_gogo.end"
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel"
expect_harlowe_exit 0
e2e_note "two runs: the second refused, an unfinished load asked for, a finished one not"
