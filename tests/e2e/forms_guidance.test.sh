#!/usr/bin/env bash
# The export guidance windows: Enter on Form9's focused OK acknowledges it; in Form9_ori Enter
# and Esc do nothing (the picture has the focus, no button is default or cancel), OK goes on,
# and Cancel ends the program at once without writing any file.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/preview/forms.sh"
wine_env_init

app=$(make_program_folder form_preview.exe) || exit 1
out=$E2E_WORK/guidance.txt

start_preview "$app" "$out" Form9
drv wait "$HARLOWE_FORM9_TITLE" >/dev/null || e2e_fail "Form9 did not show"
screenshot form9 "$HARLOWE_FORM9_TITLE" >/dev/null
[[ $(drv focus "$HARLOWE_FORM9_TITLE") == Command1* ]] || e2e_fail "OK should have the focus"
drv key "$HARLOWE_FORM9_TITLE" enter || e2e_fail "key"
expect_preview_exit

f=$HARLOWE_FORM9ORI_TITLE
start_preview "$app" "$out" Form9_ori
drv wait "$f" >/dev/null || e2e_fail "Form9_ori did not show"
screenshot form9-ori "$f" >/dev/null
[[ $(drv focus "$f") == Picture1* ]] || e2e_fail "the picture should have the focus"
drv key "$f" enter || e2e_fail "key"
drv key "$f" esc || e2e_fail "key"
sleep 0.5
drv exists "$f" || e2e_fail "Enter or Esc closed Form9_ori"
drv click "$f" Command1 || e2e_fail "click"
expect_preview_exit
expect_settings "$out" TargetLayer=

before=$(cd "$app" && find . | sort)
start_preview "$app" "$out" Form9_ori
drv wait "$f" >/dev/null || e2e_fail "Form9_ori did not show"
drv click "$f" Command2 || e2e_fail "click"
expect_preview_exit 0
# Ended at once: the preview never got to print the settings, and no file appeared.
[[ ! -s "$out" ]] || e2e_fail "the program went on after Cancel: $(cat "$out")"
after=$(cd "$app" && find . | sort)
[[ "$before" == "$after" ]] || e2e_fail "files appeared after Cancel: $(diff <(echo "$before") <(echo "$after"))"
e2e_note "Form9 and Form9_ori: keys, OK and the program-ending Cancel as expected"
