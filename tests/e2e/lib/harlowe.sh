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
#   prepare_program_folder DELAY [LAY_DAT], start_standin_cad SUPPORT_DIR [NAME DRAWING],
#   cad_state KEY, wait_cad_load SECS, expect_cad_untouched DIR NAME
#                                A program folder ready for a whole run, the stand-in CAD (one or
#                                several instances), and waiting for it; described where they are
#                                defined.
#   drive_text_road INPUT_WIN STEP LAYER
#                                Answer harlowe.exe's windows for a text input: the open dialog,
#                                the guidance, every STEP-th point in metres, the new layer LAYER.
#   snapshot_pids EXE            The Windows process ids of the processes named EXE, in the order
#                                of the system's process snapshot (the order the CAD search sees).
#   window_pid TITLE             The Windows process id of the visible top-level window TITLE.

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
  # Wine's chatter goes to a file that e2e_fail shows.
  win_start "$1/harlowe.exe" >>"$E2E_WORK/harlowe.stderr.log" 2>&1
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

# --- a program folder, the stand-in CAD and waiting for it (harlowe-run.sh, scripts/demo.sh) ---

# prepare_program_folder DELAY [LAY_DAT]: a fresh program folder with harlowe.exe, the stand-in's
# MkScr.ini, delay.dat and Lay.dat (a copy of LAY_DAT, or one entry "0"). Sets HARLOWE_APP.
prepare_program_folder() {
  HARLOWE_APP=$(make_program_folder harlowe.exe) || exit 1
  cp "$HARLOWE_SOURCE_DIR/standin/cad/MkScr.ini" "$HARLOWE_APP/MkScr.ini"
  write_delay "$HARLOWE_APP" "$1"
  if [[ -n "${2:-}" ]]; then
    cp "$2" "$HARLOWE_APP/Lay.dat"
  else
    write_ansi "$HARLOWE_APP/Lay.dat" $'0\n'
  fi
}

# start_standin_cad SUPPORT_DIR [NAME DRAWING]: starts the stand-in CAD in its own folder with
# SUPPORT_DIR (a Linux path) as the folder where load finds the scripts; waits until it is up. Sets
# CAD_DIR (its dump is CAD_DIR/dump) and CAD_PID. CAD_TITLE is the pattern of its main window's
# caption. Several instances run side by side when each gets its own NAME (its folder
# $E2E_WORK/NAME, default "cad") and drawing name DRAWING (default Drawing1.dwg); CAD_DIR and
# CAD_PID then belong to the instance started last, whose exact caption is CAD_CAPTION.
# STANDIN_INI_EXTRA, when set, is appended to its settings (e.g. SecureLoad=1).
CAD_TITLE="StandInCAD - *"
start_standin_cad() {
  local support_win name=${2:-cad} drawing=${3:-Drawing1.dwg} wait_for=$CAD_TITLE
  support_win=$(to_winpath "$1") || exit 1
  CAD_DIR="$E2E_WORK/$name"
  CAD_CAPTION="StandInCAD - [$drawing]"
  # With a NAME, other instances may already show: wait for this one's own caption.
  [[ -z "${2:-}" ]] || wait_for=$CAD_CAPTION
  mkdir -p "$CAD_DIR"
  cp "$(win_exe standin_cad.exe)" "$CAD_DIR/" || exit 1
  write_ansi "$CAD_DIR/standin_cad.ini" "[StandIn]
MainCaption=StandInCAD
TextCaption=SIC Text Window
CommandCaption=StandIn Command Line
DrawingName=$drawing
SupportPath=$support_win
DumpFolder=dump
GetPointAnswer=continue
${STANDIN_INI_EXTRA:-}"
  win_start "$CAD_DIR/standin_cad.exe" >>"$E2E_WORK/$name.stderr.log" 2>&1
  CAD_PID=$WIN_PID
  drv --timeout 30000 wait "$wait_for" >/dev/null || e2e_fail "the stand-in CAD did not show"
  for _ in $(seq 1 300); do
    [[ -f "$CAD_DIR/dump/state.txt" ]] && return 0
    sleep 0.1
  done
  e2e_fail "the stand-in CAD wrote no state"
}

# cad_state KEY: a value of the CAD's state.txt (lines, idle, errors, entities, zoom_extents).
cad_state() { sed -n "s/^$1=//p" "$CAD_DIR/dump/state.txt" 2>/dev/null | tr -d '\r'; }

# wait_cad_load SECS: after harlowe.exe has ended, waits until the CAD has evaluated the load
# command and is idle. Returns 1 with the reason in CAD_FAILURE when the command does not arrive
# within 20 s, the CAD is still busy after SECS, it ends, or a line failed.
wait_cad_load() {
  local quiet_end=$((SECONDS + 20)) end=$((SECONDS + $1))
  CAD_FAILURE=""
  # The pastes are over when harlowe.exe ends: the CAD starts on them within moments, or they
  # went astray. Evaluating the scripts may then take long.
  until grep -q '(load "ENT_GOGO")' "$CAD_DIR/dump/evaluated.log" 2>/dev/null &&
    [[ "$(cad_state idle)" == 1 ]]; do
    if ((SECONDS >= end)); then
      CAD_FAILURE="the CAD did not evaluate (load \"ENT_GOGO\") within $1 s"
    elif ((SECONDS >= quiet_end)) && [[ "$(cad_state idle)" == 1 ]]; then
      CAD_FAILURE="the command (load \"ENT_GOGO\") did not reach the CAD"
    elif ! win_alive "$CAD_PID"; then
      CAD_FAILURE="the stand-in CAD ended"
    fi
    [[ -z "$CAD_FAILURE" ]] || return 1
    sleep 0.2
  done
  if [[ "$(cad_state errors)" != 0 ]]; then
    CAD_FAILURE="the CAD reported $(cad_state errors) failed line(s); see its history.txt"
    return 1
  fi
  return 0
}

# --- driving a text road, and what the CAD search sees --------------------------------------------

# drive_text_road INPUT_WIN STEP LAYER: answers the windows of a started harlowe.exe for the text
# input INPUT_WIN (a Windows path): the open dialog with the text filter, the export guidance,
# Form3 with every STEP-th point (the unit stays metres) and Form4 with the new layer LAYER.
# Fails the scenario when a window does not come or cannot be answered.
drive_text_road() {
  local input_win=$1 step=$2 layer=$3
  drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "the open dialog did not show"
  drv open-file "$HARLOWE_OPEN_TITLE" "$HARLOWE_FILTER_TXT" "$input_win" ||
    e2e_fail "could not choose $input_win in the open dialog"
  drv wait "$HARLOWE_FORM9_TITLE" >/dev/null || e2e_fail "the export guidance did not show"
  drv click "$HARLOWE_FORM9_TITLE" Command1 || e2e_fail "could not acknowledge the guidance"
  drv wait "$HARLOWE_FORM3_TITLE" >/dev/null || e2e_fail "Form3 did not show"
  drv set-text "$HARLOWE_FORM3_TITLE" Text1 "$step" || e2e_fail "could not type the step"
  drv click "$HARLOWE_FORM3_TITLE" Command1 || e2e_fail "could not press OK in Form3"
  drv wait "$HARLOWE_FORM4_TITLE" >/dev/null || e2e_fail "Form4 did not show"
  drv set-text "$HARLOWE_FORM4_TITLE" Text1 "$layer" || e2e_fail "could not type the layer"
  drv click "$HARLOWE_FORM4_TITLE" Command1 || e2e_fail "could not press OK in Form4"
}

# snapshot_pids EXE: wmic lists the processes from a toolhelp snapshot, as the CAD search reads
# them, so its order is the order in which the search finds the instances. One id per line.
snapshot_pids() {
  local list
  list=$(wine_cmd "$WINE_BIN" wmic process get name,processid 2>/dev/null |
    iconv -f UTF-16LE -t UTF-8 2>/dev/null | sed '1s/^\xEF\xBB\xBF//; s/\r$//') ||
    e2e_fail "wmic did not list the processes"
  awk -v exe="$1" 'tolower($1) == tolower(exe) { print $2 }' <<<"$list"
}

window_pid() {
  drv list | awk -F'\t' -v t="$1" '{ sub(/\r$/, "", $5) } $5 == t { print $2; exit }'
}

# expect_cad_untouched DIR NAME: the stand-in CAD in DIR (a CAD_DIR) evaluated no line, drew
# nothing and received no ESC. NAME names it in the failure.
expect_cad_untouched() {
  local dump=$1/dump
  [[ -f "$dump/evaluated.log" && ! -s "$dump/evaluated.log" ]] ||
    e2e_fail "$2 evaluated: $(cat "$dump/evaluated.log" 2>/dev/null)"
  grep -qx 'lines=0' "$dump/state.txt" || e2e_fail "$2: $(cat "$dump/state.txt")"
  grep -qx 'entities=0' "$dump/state.txt" || e2e_fail "$2: $(cat "$dump/state.txt")"
  ! grep -q 'Cancel' "$dump/history.txt" 2>/dev/null ||
    e2e_fail "$2 received an ESC: $(cat "$dump/history.txt")"
}

# search_target PID0 PID1: the index (0 or 1) of the instance the CAD search picks, the last of
# the two processes in the snapshot. Fails the scenario when the snapshot shows anything else.
search_target() {
  local order
  order=$(snapshot_pids standin_cad.exe) || e2e_fail "could not list the processes"
  mapfile -t order <<<"$order"
  ((${#order[@]} == 2)) || e2e_fail "the snapshot shows ${#order[@]} stand-in processes: ${order[*]}"
  [[ "$1" == "${order[1]}" ]] && { echo 0; return; }
  [[ "$2" == "${order[1]}" ]] && { echo 1; return; }
  e2e_fail "the last snapshot entry ${order[1]} is neither instance ($1 $2)"
}

# write_small_scan FILE: 40 points of a CloudCompare text export, blank-separated with LF ends.
write_small_scan() {
  awk 'BEGIN { for (i = 1; i <= 40; i++)
    printf "%.3f %.3f %.3f %d %d %d\n", i * 0.25, -i * 0.125, i % 5, i * 6, 255 - i * 6, i % 7 }' \
    >"$1"
}
