#!/usr/bin/env bash
# Cancel in the open dialog: the two status markers are (over)written in the program folder and the
# program ends without a message, a form or a script.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

app=$(make_program_folder) || exit 1
write_delay "$app" 5
# Leftovers of an earlier cancel, longer than the new content: they must be replaced whole.
printf 'OLD\r\nOLD\r\nOLD\r\n' >"$app/qmr_status.dat"
printf 'OLD\r\nOLD\r\nOLD\r\n' >"$app/quit_status.dat"

start_harlowe "$app"
drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the open dialog did not show"
screenshot open-dialog "$HARLOWE_OPEN_TITLE" >/dev/null
drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel the open dialog"
expect_harlowe_exit 0

expect_bytes "$app/qmr_status.dat" 'OK\r\n'
expect_bytes "$app/quit_status.dat" 'QUIT\r\n'
expect_missing "$app/ENT_GO.lsp" "$app/ENT_start.lsp" "$app/ent_gogo.lsp"
e2e_note "cancel: status files written, program ended"
