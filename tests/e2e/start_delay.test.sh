#!/usr/bin/env bash
# delay.dat: a readable number starts the run silently; a missing, empty or unreadable file, or a
# number outside the 16-bit range, shows its message, and the run goes on to the open dialog.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

app=$(make_program_folder) || exit 1

# One start of the program with delay.dat as prepared; "message" when its message must show first
# (then SHOT names its screenshot, if one is wanted).
run_start() {
  local label=$1 expect=$2 shot=${3:-}
  start_harlowe "$app"
  if [[ "$expect" == message ]]; then
    if [[ -n "$shot" ]]; then
      drv msgbox "$HARLOWE_APP_TITLE" >/dev/null || e2e_fail "$label: no message"
      screenshot "$shot" >/dev/null
    fi
    expect_msgbox "$HARLOWE_MSG_DELAY_MISSING" "$HARLOWE_APP_TITLE"
  fi
  drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null ||
    e2e_fail "$label: no open dialog after the start"
  # The message comes before the dialog, or not at all.
  drv --timeout 0 msgbox >/dev/null 2>&1 && e2e_fail "$label: a message box is open beside the dialog"
  drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "$label: could not cancel"
  expect_harlowe_exit 0
}

rm -f "$app/delay.dat"
run_start "missing delay.dat" message delay-message

: >"$app/delay.dat"
run_start "empty delay.dat" message

write_delay "$app" "fast"
run_start "letters in delay.dat" message

write_delay "$app" 40000
run_start "40000 in delay.dat" message

write_delay "$app" 12
run_start "12 in delay.dat" none
e2e_note "delay: message for missing, empty, letters, 40000; none for 12"
