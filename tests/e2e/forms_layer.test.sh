#!/usr/bin/env bash
# The layer form (Form4) as a real window: Lay.dat read from the program folder (CP932, commas,
# quotes), the input path, the chosen name shown under the instruction, the refusal of a
# reserved name written in full-width letters and of names the CAD cannot take, the name and the
# zoom stored on OK, Esc as Cancel.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/preview/forms.sh"
wine_env_init

app=$(make_program_folder form_preview.exe) || exit 1
write_ansi "$app/Lay.dat" $'0\nWall, Floor\n"A,B"\n壁レイヤー\n'
app_win=$(to_winpath "$app")
f=$HARLOWE_FORM4_TITLE
out=$E2E_WORK/form4.txt

start_preview "$app" "$out" Form4 --dir "$app_win" --input 'C:\点群 データ\scan.txt'
drv wait "$f" >/dev/null || e2e_fail "Form4 did not show"
items=$(drv items "$f" List1 | tr -d '\r' | paste -sd '|') || e2e_fail "items"
[[ "$items" == '0|Wall|Floor|A,B|壁レイヤー' ]] || e2e_fail "List1 holds [$items]"
expect_text "$f" Label7 'C:\点群 データ\scan.txt'
expect_text "$f" Label5 ""
[[ $(drv focus "$f") == List1* ]] || e2e_fail "List1 should have the focus at the start"

drv select "$f" List1 4 || e2e_fail "select"
expect_text "$f" Label5 "壁レイヤーのレイヤーに描画します。"
screenshot form4-chosen "$f" >/dev/null

drv set-text "$f" Text1 "ｐｉｐｅ" || e2e_fail "set-text"
expect_text "$f" Label5 "ｐｉｐｅのレイヤーに描画します。"
drv click "$f" Command1 || e2e_fail "click"
drv msgbox "$f" >/dev/null || e2e_fail "no refusal"
screenshot form4-refusal >/dev/null
expect_msgbox "レイヤー名称で 『 PIPE 』 は予約レイヤーの為使用出来ません。他の名称を入力してください。" "$f"

# Names the CAD cannot take: characters Shift-JIS lacks (they would reach it as "?"), the signs.
drv set-text "$f" Text1 "café😀" || e2e_fail "set-text"
drv click "$f" Command1 || e2e_fail "click"
drv msgbox "$f" >/dev/null || e2e_fail "no refusal of café😀"
screenshot form4-refusal-characters >/dev/null
expect_msgbox "レイヤー名称に 『 é 😀 』 は含められません。
Shift-JIS で表せない文字はレイヤー名称に使えません。他の名称を入力してください。" "$f"
drv set-text "$f" Text1 "A:B" || e2e_fail "set-text"
drv click "$f" Command1 || e2e_fail "click"
expect_msgbox "レイヤー名称に 『 : 』 は含められません。
記号 < > / \\ \" : ; ? * | , = \` はレイヤー名称に使えません。他の名称を入力してください。" "$f"
[[ "$(drv get-text "$f" Text1 | tr -d '\r')" == "A:B" ]] || e2e_fail "the form did not stay as it was"

drv set-text "$f" Text1 "新規 層1" || e2e_fail "set-text"
drv click "$f" Check1 || e2e_fail "click"
drv click "$f" Command1 || e2e_fail "click"
expect_preview_exit
expect_settings "$out" "TargetLayer=新規 層1" ZoomExtentsAtEnd=1

# Esc is the Cancel button.
start_preview "$app" "$out" Form4 --dir "$app_win"
drv wait "$f" >/dev/null || e2e_fail "Form4 did not show"
drv key "$f" esc || e2e_fail "key"
expect_preview_exit
expect_settings "$out" TargetLayer=Cancel ZoomExtentsAtEnd=0

# Without Lay.dat the list is empty and a typed name still works.
rm "$app/Lay.dat"
start_preview "$app" "$out" Form4 --dir "$app_win"
drv wait "$f" >/dev/null || e2e_fail "Form4 did not show"
[[ -z $(drv items "$f" List1 | tr -d '\r') ]] || e2e_fail "List1 should be empty"
drv set-text "$f" Text1 L2 || e2e_fail "set-text"
drv key "$f" enter || e2e_fail "key"
expect_preview_exit
expect_settings "$out" TargetLayer=L2
e2e_note "Form4: list, chosen name, refusal, OK, Esc and a missing Lay.dat as expected"
