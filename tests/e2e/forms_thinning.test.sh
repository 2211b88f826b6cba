#!/usr/bin/env bash
# The thinning form (Form3) as a real window: its start values, the range and integer messages
# with the focus back in the step box, the two text boxes that clear each other, the unit pair,
# the quick variant, Enter as OK, the close box, and the frame hidden for PTX input.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/preview/forms.sh"
wine_env_init

app=$(make_program_folder form_preview.exe) || exit 1
f=$HARLOWE_FORM3_TITLE
out=$E2E_WORK/form3.txt

start_preview "$app" "$out" Form3
drv wait "$f" >/dev/null || e2e_fail "Form3 did not show"
screenshot form3 "$f" >/dev/null
expect_text "$f" Text1 512
expect_text "$f" Text2 ""
[[ $(drv checked "$f" Check1) == 1* ]] || e2e_fail "Check1 should start ticked"
[[ $(drv focus "$f") == Text1* ]] || e2e_fail "Text1 should have the focus at the start"

# The range test comes first and puts the focus back into the step box.
drv set-text "$f" Text1 1025 || e2e_fail "set-text"
drv click "$f" Command1 || e2e_fail "click"
drv msgbox "入力エラー" >/dev/null || e2e_fail "no range message"
screenshot form3-range-message >/dev/null
expect_msgbox "間引率は1～1024の間の数字を入力してください。" "入力エラー"
[[ $(drv focus "$f") == Text1* ]] || e2e_fail "the focus should be back in Text1"

drv set-text "$f" Text1 1.5 || e2e_fail "set-text"
drv click "$f" Command1 || e2e_fail "click"
expect_msgbox "整数を入力してください。" "入力エラー"
expect_text "$f" Text1 1.5  # the entries stay as typed

# Typing a step empties the spacing; a press on the spacing box empties the step.
drv set-text "$f" Text2 40 || e2e_fail "set-text"
drv set-text "$f" Text1 7 || e2e_fail "set-text"
expect_text "$f" Text2 ""
drv set-text "$f" Text2 25 || e2e_fail "set-text"
drv mouse "$f" Text2 || e2e_fail "mouse"
expect_text "$f" Text1 ""
expect_text "$f" Text2 ""
drv set-text "$f" Text2 25 || e2e_fail "set-text"
drv mouse "$f" Text2 || e2e_fail "mouse"
expect_text "$f" Text2 25  # a second press keeps the spacing

drv click "$f" Check2 || e2e_fail "click"
[[ $(drv checked "$f" Check1) == 0* ]] || e2e_fail "Check2 should untick Check1"
drv click "$f" Check3 || e2e_fail "click"
drv key "$f" enter || e2e_fail "key"
expect_preview_exit
expect_settings "$out" SubSampleStep=0 ThinningInterval=25 QuickInterval=1 DrawUnit=mm \
  DialogCancel=

# PTX input: the equal-interval frame is hidden; OK at once keeps step 512 and no interval.
start_preview "$app" "$out" Form3 --ptx
drv wait "$f" >/dev/null || e2e_fail "Form3 did not show for PTX"
screenshot form3-ptx "$f" >/dev/null
[[ $(drv visible "$f" Frame2) == 0* ]] || e2e_fail "Frame2 should be hidden for PTX input"
[[ $(drv visible "$f" Text2) == 0* ]] || e2e_fail "Text2 should be hidden with its frame"
drv click "$f" Command1 || e2e_fail "click"
expect_preview_exit
expect_settings "$out" SubSampleStep=512 ThinningInterval=0 DrawUnit=m DialogCancel=

# The close box runs no handler: nothing is stored.
start_preview "$app" "$out" Form3
drv wait "$f" >/dev/null || e2e_fail "Form3 did not show"
drv set-text "$f" Text1 9 || e2e_fail "set-text"
drv close "$f" || e2e_fail "close"
expect_preview_exit
expect_settings "$out" SubSampleStep=0 DialogCancel=
e2e_note "Form3: messages, clearing rules, units, PTX frame and close box as expected"
