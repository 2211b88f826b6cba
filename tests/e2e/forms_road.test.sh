#!/usr/bin/env bash
# The option forms on harlowe.exe's own road, without a conversion:
# - text input: the range and the integer message of Form3, a refused name in Form4, and
#   Form4's Cancel leading back through Form9 and a fresh Form3;
# - PTX input: Form3 without its equal-interval frame; its Cancel leads back to the open dialog;
# - PLY input: Form9_ori's Cancel ends the program at once, with no file written anywhere.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/preview/forms.sh"
wine_env_init

app=$(make_program_folder) || exit 1
write_delay "$app" 5
# A Windows path of more than 260 bytes in UTF-8 (but under 260 characters) reaches the program whole.
long="点群データの保管場所として使っている長い名前のフォルダ"
data="$E2E_WORK/入力 データ/$long/$long/$long"
mkdir -p "$data"
printf '1 2 3 10 20 30\n' >"$data/scan.txt"
printf 'ply\nformat ascii 1.0\nend_header\n' >"$data/scan.ply"
printf '1\n1\n' >"$data/scan.ptx"
data_win=$(to_winpath "$data")
f3=$HARLOWE_FORM3_TITLE
f4=$HARLOWE_FORM4_TITLE
f9=$HARLOWE_FORM9_TITLE

choose() {  # FILTER NAME
  drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the open dialog did not show"
  drv open-file "$HARLOWE_OPEN_TITLE" "$1" "$data_win\\$2" || e2e_fail "could not choose $2"
}

# --- text input -------------------------------------------------------------------------------
start_harlowe "$app"
choose "$HARLOWE_FILTER_TXT" scan.txt
drv wait "$f9" >/dev/null || e2e_fail "Form9 did not show"
drv click "$f9" Command1 || e2e_fail "click"
drv wait "$f3" >/dev/null || e2e_fail "Form3 did not show"
[[ $(drv visible "$f3" Frame2) == 1* ]] || e2e_fail "Frame2 should show for text input"
drv set-text "$f3" Text1 0 || e2e_fail "set-text"
drv click "$f3" Command1 || e2e_fail "click"
expect_msgbox "間引率は1～1024の間の数字を入力してください。" "入力エラー"
drv set-text "$f3" Text1 2.5 || e2e_fail "set-text"
drv click "$f3" Command1 || e2e_fail "click"
expect_msgbox "整数を入力してください。" "入力エラー"
drv set-text "$f3" Text1 20 || e2e_fail "set-text"
drv click "$f3" Check2 || e2e_fail "click"
drv click "$f3" Command1 || e2e_fail "click"

drv wait "$f4" >/dev/null || e2e_fail "Form4 did not show"
expect_text "$f4" Label7 "$data_win\\scan.txt"
drv set-text "$f4" Text1 "ＳＡＧＹＯＵ" || e2e_fail "set-text"
drv click "$f4" Command1 || e2e_fail "click"
drv msgbox "$f4" >/dev/null || e2e_fail "no refusal"
screenshot road-form4-refusal >/dev/null
expect_msgbox "レイヤー名称で 『 SAGYOU 』 は予約レイヤーの為使用出来ません。他の名称を入力してください。" "$f4"
drv click "$f4" Command2 || e2e_fail "click"

# Cancel in Form4: the option forms again for the same file, each loaded afresh.
drv wait "$f9" >/dev/null || e2e_fail "Form9 did not come back after Form4's Cancel"
drv click "$f9" Command1 || e2e_fail "click"
drv wait "$f3" >/dev/null || e2e_fail "Form3 did not come back after Form4's Cancel"
expect_text "$f3" Text1 512
[[ $(drv checked "$f3" Check1) == 1* ]] || e2e_fail "a fresh Form3 starts with metres"
drv click "$f3" Command2 || e2e_fail "click"

# --- PTX input: Form3 without the equal-interval frame; its Cancel returns to the open dialog --
choose "$HARLOWE_FILTER_PTX" scan.ptx
drv wait "$f3" >/dev/null || e2e_fail "Form3 did not show for PTX input"
screenshot road-form3-ptx "$f3" >/dev/null
[[ $(drv visible "$f3" Frame2) == 0* ]] || e2e_fail "Frame2 should be hidden for PTX input"
[[ $(drv visible "$f3" Text2) == 0* ]] || e2e_fail "Text2 should be hidden for PTX input"
drv click "$f3" Command2 || e2e_fail "click"
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "no open dialog after Form3's Cancel"
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel the open dialog"
expect_harlowe_exit 0

# --- PLY input: Form9_ori's Cancel ends the program and writes nothing ------------------------
app=$(make_program_folder) || exit 1
write_delay "$app" 5
app_before=$(cd "$app" && find . | sort)
data_before=$(cd "$data" && find . | sort)
start_harlowe "$app"
choose "$HARLOWE_FILTER_PLY" scan.ply
drv wait "$HARLOWE_FORM9ORI_TITLE" >/dev/null || e2e_fail "Form9_ori did not show"
drv click "$HARLOWE_FORM9ORI_TITLE" Command2 || e2e_fail "click"
expect_harlowe_exit 0
[[ "$(cd "$app" && find . | sort)" == "$app_before" ]] ||
  e2e_fail "files appeared in the program folder: $(cd "$app" && find . | sort | tr '\n' ' ')"
[[ "$(cd "$data" && find . | sort)" == "$data_before" ]] ||
  e2e_fail "files appeared beside the input: $(cd "$data" && find . | sort | tr '\n' ' ')"
e2e_note "road: Form3 messages, Form4 refusal and Cancel loop, PTX Form3, Form9_ori Cancel"
