# shellcheck shell=bash
# Helpers for scenarios that run harlowe.exe; source after wine-env.sh (and after wine_env_init for
# the functions that run programs).
#
#   HARLOWE_OPEN_TITLE, HARLOWE_APP_TITLE, the form captions and the message texts below: the
#   program's own texts, for the driver's commands and for comparisons.
#   start_harlowe DIR            Start DIR/harlowe.exe; its pid is in HARLOWE_PID.
#   expect_harlowe_exit CODE [SECS]
#                                Wait for harlowe.exe to end (at most SECS, default 20) with CODE.
#   expect_msgbox TEXT [TITLE]   Wait for a message box, compare its text, press OK.
#   expect_bytes FILE EXPECTED   Compare FILE byte for byte with EXPECTED (printf %b escapes: \r\n).
#   expect_missing FILE...       Fail when one of the files exists.
#   expect_present FILE...       Fail when one of the files is missing.
#   write_delay DIR VALUE        Write delay.dat (one CR LF line) into DIR.

HARLOWE_OPEN_TITLE="点群、メッシュのファイルを選択して下さい。"
HARLOWE_APP_TITLE="Harlowe"
HARLOWE_FILTER_TXT=1
HARLOWE_FILTER_PLY=2
HARLOWE_FILTER_PTX=3
HARLOWE_FORM9_TITLE="CloudCompareでのエクスポート設定"
HARLOWE_FORM9ORI_TITLE="CloudCompareでのﾌｧｲﾙ設定"
HARLOWE_FORM3_TITLE="SubSample Setup"
HARLOWE_FORM4_TITLE="レイヤー選択"
HARLOWE_MSG_NOT_CC_TEXT="Reconstructor TXTファイルではありません。CloudCompare TXTファイルを選択して下さい。"
HARLOWE_MSG_DELAY_MISSING="delay.datファイルがありません。ディレイする値１～２０をセットして　delay.datというファイルを作成してください。"

start_harlowe() {
  win_start "$1/harlowe.exe"
  HARLOWE_PID=$WIN_PID
}

expect_harlowe_exit() {
  local want=$1 secs=${2:-20} rc=0
  win_wait "$HARLOWE_PID" "$secs" || rc=$?
  ((rc == 124)) && e2e_fail "harlowe.exe did not end within $secs s"
  ((rc == want)) || e2e_fail "harlowe.exe ended with exit code $rc, expected $want"
}

expect_msgbox() {
  local want=$1 title=${2:-} got
  got=$(drv msgbox-ok "$title") || e2e_fail "expected the message \"$want\""
  got=${got%$'\r'}
  [[ "$got" == "$want" ]] || e2e_fail "message box says \"$got\", expected \"$want\""
}

expect_bytes() {
  local file=$1 want
  [[ -f "$file" ]] || e2e_fail "$file is missing"
  want=$(printf '%b' "$2" | od -An -tx1 | tr -s ' \n' ' ')
  local got
  got=$(od -An -tx1 <"$file" | tr -s ' \n' ' ')
  [[ "$got" == "$want" ]] || e2e_fail "$(basename "$file") holds bytes [$got], expected [$want]"
}

expect_missing() {
  local f
  for f in "$@"; do [[ ! -e "$f" ]] || e2e_fail "$(basename "$f") should not exist"; done
}

expect_present() {
  local f
  for f in "$@"; do [[ -e "$f" ]] || e2e_fail "$(basename "$f") should exist"; done
}

write_delay() { printf '%s\r\n' "$2" >"$1/delay.dat"; }
