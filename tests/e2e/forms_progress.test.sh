#!/usr/bin/env bash
# The progress window (Form2): a bar drawn at one half and repainted without any turn of the
# message loop shows half of the picture box in navy with "50% 終了"; a fraction above 1 shows
# the full bar.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/preview/forms.sh"
wine_env_init

app=$(make_program_folder form_preview.exe) || exit 1
f="データ処理"
out=$E2E_WORK/progress.txt

# Navy pixels of the window's screenshot.
navy_pixels() {
  convert "$1" -fill white +opaque '#000080' -fill black -opaque '#000080' \
    -format '%[fx:round(w*h*(1-mean))]' info:
}

# Shows the window with the bar at FRACTION, processing no message for its first 4 s (the
# screenshot is taken then), then serving the driver until 12 s have passed; sets NAVY and PERCENT.
bar() {
  start_preview "$app" "$out" Form2 --no-pump 4 --seconds 12 --fraction "$1" --stage "変換中です。"
  local shot controls="" end=$((SECONDS + 30))
  # The preview says "shown" once it has drawn and repainted the window.
  until grep -q '^shown' "$out" 2>/dev/null; do
    ((SECONDS < end)) || e2e_fail "Form2 did not show"
    sleep 0.1
  done
  shot=$(screenshot "$2" "$f") || e2e_fail "no screenshot"
  # The labels can be read once the window serves messages again; one read takes both.
  until controls=$(drv controls "$f" 2>/dev/null) && [[ "$controls" == *$'\t'*"終了"* ]]; do
    ((SECONDS < end)) || e2e_fail "Form2 did not answer after its still seconds: $controls"
    sleep 0.2
  done
  label() { awk -F'\t' -v n="$1" '$1 == n { sub(/\r$/, ""); print $6 }' <<<"$controls"; }
  [[ $(label Label1) == "変換中です。" ]] || e2e_fail "Label1 holds \"$(label Label1)\""
  PERCENT=$(label Label2)
  NAVY=$(navy_pixels "$shot")
  expect_preview_exit
}

bar 0.5 progress-half
half=$NAVY
[[ "$PERCENT" == "50% 終了" ]] || e2e_fail "Label2 holds \"$PERCENT\""
bar 1.3 progress-full
full=$NAVY
[[ "$PERCENT" == "130% 終了" ]] || e2e_fail "Label2 holds \"$PERCENT\""
e2e_note "navy pixels: half $half, full $full"
((full > 1000)) || e2e_fail "the full bar is missing ($full navy pixels)"
# Half of the width, within a pixel column or two either way.
((half * 2 > full - 40 && half * 2 < full + 40)) || e2e_fail "half bar $half of full $full"
