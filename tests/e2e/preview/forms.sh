# shellcheck shell=bash
# Helpers for the form scenarios that show one form through form_preview.exe; source after
# wine-env.sh and harlowe.sh.
#
#   start_preview DIR OUT FORM [ARGS]  Start DIR/form_preview.exe FORM ARGS; its output (the run
#                                      settings, name=value lines) goes to OUT; pid in PREVIEW_PID.
#   expect_preview_exit [CODE]         Wait for it to end (at most 20 s) with CODE (default 0).
#   expect_settings OUT NAME=VALUE...  Each line must be in OUT.
#   expect_text FORM CONTROL TEXT      The control's text must be TEXT.

start_preview() {
  local dir=$1 out=$2
  shift 2
  : >"$out"
  win_start "$dir/form_preview.exe" "$@" >"$out"
  PREVIEW_PID=$WIN_PID
}

expect_preview_exit() {
  local want=${1:-0} rc=0
  win_wait "$PREVIEW_PID" 20 || rc=$?
  ((rc == 124)) && e2e_fail "form_preview.exe did not end within 20 s"
  ((rc == want)) || e2e_fail "form_preview.exe ended with exit code $rc, expected $want"
}

expect_settings() {
  local out=$1 line
  shift
  for line in "$@"; do
    grep -qxF -- "$line" <(tr -d '\r' <"$out") ||
      e2e_fail "expected \"$line\" in the settings: $(tr '\r\n' '  ' <"$out")"
  done
}

expect_text() {
  local got
  got=$(drv get-text "$1" "$2") || e2e_fail "could not read $2 of $1"
  got=${got%$'\r'}
  [[ "$got" == "$3" ]] || e2e_fail "$2 of $1 holds \"$got\", expected \"$3\""
}
