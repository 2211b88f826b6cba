#!/usr/bin/env bash
# Two stand-in CADs run side by side, each with its own drawing and dump, both loading from the
# program folder. A whole text road must deliver the three command lines to the instance that the
# CAD search finds last (the last of the CAD's processes in the system's process snapshot), even
# when the user was working in the other one, and nothing at all to the other one.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init

prepare_program_folder 10
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
# 40 points; every 4th is drawn.
write_small_scan "$data/scan.txt"
input_win=$(to_winpath "$data/scan.txt") || exit 1
layer="点群 二台"

# The two instances: first and second started.
names=(cad-first cad-second)
drawings=("第一図面.dwg" "第二図面.dwg")
dirs=() pids=() procs=()
for i in 0 1; do
  start_standin_cad "$HARLOWE_APP" "${names[i]}" "${drawings[i]}"
  dirs+=("$CAD_DIR")
  procs+=("$CAD_PID")
  pid=$(window_pid "$CAD_CAPTION")
  [[ "$pid" =~ ^[0-9]+$ ]] || e2e_fail "no process id for \"$CAD_CAPTION\""
  pids+=("$pid")
done

# Which one the search will pick: the last CAD process in the snapshot.
target=$(search_target "${pids[@]}") || exit 1
other=$((1 - target))
e2e_note "the search picks ${names[target]} (${drawings[target]})"
((target == 1)) || e2e_note "note: the snapshot does not list the processes in start order"

e2e_on_fail() {
  local i
  for i in 0 1; do
    echo "--- ${names[i]}: $(tr '\n' ' ' <"${dirs[i]}/dump/state.txt" 2>/dev/null)"
    tail -n 5 "${dirs[i]}/dump/history.txt" 2>/dev/null
  done
}

# The user was working in the other drawing last: it is in front and its command line has the
# focus (an empty paste raises the window and clicks into the command line without typing).
drv paste "StandInCAD - [${drawings[other]}]" "StandIn Command Line" "" ||
  e2e_fail "could not bring ${names[other]} to the front"

start_harlowe "$HARLOWE_APP"
drive_text_road "$input_win" 4 "$layer"
expect_harlowe_exit 0 60

CAD_DIR=${dirs[target]}
CAD_PID=${procs[target]}
wait_cad_load 60 || e2e_fail "${names[target]}: $CAD_FAILURE"
printf '%s\n' '(setvar "cmdecho" 0)' '(prompt "実行中です。　お待ちください。")' '(load "ENT_GOGO")' |
  cmp -s - "$CAD_DIR/dump/evaluated.log" ||
  e2e_fail "${names[target]} received: $(cat "$CAD_DIR/dump/evaluated.log")"
got=$(awk -F'\t' -v l="$layer" 'NR > 1 && $1 == "POINT" && $2 == l' "$CAD_DIR/dump/entities.tsv" |
  wc -l)
((got == 10)) || e2e_fail "${names[target]} holds $got points on \"$layer\", expected 10"
[[ $(awk -F'\t' 'NR > 1' "$CAD_DIR/dump/entities.tsv" | wc -l) == 10 ]] ||
  e2e_fail "${names[target]} holds other entities: $(cat "$CAD_DIR/dump/entities.tsv")"

# The other instance: no line, no ESC, no drawing. Lines would have arrived by now: the target
# has evaluated the last one, and the pastes came in order.
sleep 1
expect_cad_untouched "${dirs[other]}" "${names[other]}"
shot=$(screenshot two-instances) && e2e_note "screenshot: $shot"
echo "two instances: the command reached ${names[target]} (${drawings[target]}), the other got nothing"
