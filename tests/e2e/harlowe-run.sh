#!/usr/bin/env bash
# One unattended run of harlowe.exe under Wine, from the open dialog to the points in the stand-in
# CAD, with the dialog driver answering every window as the options say.
#
#   tests/e2e/harlowe-run.sh --input FILE --filter txt|ply|ptx --out DIR [--step N] [--interval MM]
#       [--quick] [--unit m|mm] [--layer NAME] [--zoom] [--delay N] [--lay-dat FILE] [--timeout S]
#
#   --input FILE    the point cloud; it is copied into a fresh folder whose path holds a blank and
#                   Japanese characters, so the work files and the log land beside the copy
#   --filter        the filter chosen in the open dialog (the kind of input)
#   --step N        Form3: keep every N-th point (Text1; the form starts with 512)
#   --interval MM   Form3: the equal-interval spacing in millimetres (Text2); without --step the
#                   user's way is taken: a press on Text2 empties Text1 first
#   --quick         Form3: tick the quick variant (Check3)
#   --unit m|mm     Form3: the drawing unit (Check1 / Check2); the form starts with m
#   --layer NAME    Form4: typed as a new layer (Text1); default 点群
#   --zoom          Form4: tick the zoom to the whole drawing (Check1)
#   --delay N       delay.dat of the program folder (default 10); the CAD link waits multiples of it
#   --lay-dat FILE  Lay.dat of the program folder (default: one entry "0")
#   --timeout S     limit of the program's run (default 600) and of the CAD's work afterwards
#
# DIR receives:
#   run.txt           three tab-separated lines: "input" and the Windows path of the input as typed
#                     into the open dialog; "appdir" and the Windows path of the program folder,
#                     ending in "\" as the program's own AppDir; "exit" and harlowe.exe's exit code
#   scripts/          every .lsp file of the program folder after the run
#   QMR_実行.log      the conversion log beside the input (when there is one)
#   input-folder.txt  the files left beside the input, without the input: name TAB size per line
#   cad/              the stand-in CAD's dump: entities.tsv (header row: type, layer, x, y, z,
#                     colour; then one row per entity, tab-separated), layers.tsv, variables.tsv,
#                     evaluated.log, history.txt, state.txt
#   cad.png           a screenshot of the CAD's main window at the end
#   answered.txt      the captions of the windows answered, in order, one per line
#   messages.txt      the message boxes that came up, each answered with OK: its caption, a TAB
#                     and its text (a text of several lines goes on over the next lines); a
#                     screenshot of each, <DIR's name>-message-<n>.png, goes to the scenario's
#                     screenshots (E2E_ARTIFACTS)
#
# Exit code 0 when the run ended normally: harlowe.exe ended with 0 and no message box came up,
# and the CAD evaluated the load command without an error. Non-zero otherwise, with the reason on
# stderr; after a message the run still goes on as the program does (after a warning harlowe.exe
# goes on to the CAD, and this script waits for the CAD and copies everything as after a normal
# run), but the exit code says that a message came. Uses HARLOWE_WIN_BUILD_DIR when set (the MinGW build folder), else build/win of this
# checkout, and builds with scripts/build.sh what is missing there. Not for use inside a scenario
# that has called wine_env_init itself: this script sets up its own Wine session.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

usage() {
  sed -n '4,7p' "$0" >&2
  exit 2
}

input="" filter="" out="" step="" interval="" quick=0 unit="" layer="点群" zoom=0 delay=10
lay_dat="" limit=600
while (($#)); do
  case "$1" in
    --input) input=${2:-} && shift ;;
    --filter) filter=${2:-} && shift ;;
    --out) out=${2:-} && shift ;;
    --step) step=${2:-} && shift ;;
    --interval) interval=${2:-} && shift ;;
    --quick) quick=1 ;;
    --unit) unit=${2:-} && shift ;;
    --layer) layer=${2:-} && shift ;;
    --zoom) zoom=1 ;;
    --delay) delay=${2:-} && shift ;;
    --lay-dat) lay_dat=${2:-} && shift ;;
    --timeout) limit=${2:-} && shift ;;
    -h | --help) usage ;;
    *) echo "harlowe-run: unknown argument $1" >&2 && usage ;;
  esac
  shift
done
[[ -n "$input" && -n "$out" ]] || usage
[[ -f "$input" ]] || { echo "harlowe-run: no input file $input" >&2 && exit 2; }
case "$filter" in
  txt) filter_index=1 ;;
  ply) filter_index=2 ;;
  ptx) filter_index=3 ;;
  *) echo "harlowe-run: --filter must be txt, ply or ptx" >&2 && usage ;;
esac
[[ -z "$unit" || "$unit" == m || "$unit" == mm ]] || usage
[[ "$limit" =~ ^[0-9]+$ ]] || usage
if [[ "$filter" == ptx && -n "$interval" ]]; then
  echo "harlowe-run: PTX input shows no interval box (--interval)" >&2
  exit 2
fi
[[ -z "$lay_dat" || -f "$lay_dat" ]] || { echo "harlowe-run: no file $lay_dat" >&2 && exit 2; }
input=$(realpath "$input")
[[ -z "$lay_dat" ]] || lay_dat=$(realpath "$lay_dat")
mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 2

# Build what is missing.
: "${HARLOWE_WIN_BUILD_DIR:=$root/build/win}"
missing=0
for exe in src/win32/harlowe.exe standin/cad/standin_cad.exe tests/e2e/dialog_driver.exe; do
  [[ -f "$HARLOWE_WIN_BUILD_DIR/$exe" ]] || missing=1
done
if ((missing)); then
  echo "harlowe-run: building (scripts/build.sh)" >&2
  "$root/scripts/build.sh" >&2 || exit 1
  HARLOWE_WIN_BUILD_DIR=$root/build/win
fi
export HARLOWE_WIN_BUILD_DIR HARLOWE_SOURCE_DIR="$root"

source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
wine_env_init
E2E_ARTIFACTS=$out
rm -rf "$out/scripts" "$out/cad" "$out/messages.txt" "$out/answered.txt" "$out/run.txt" "$out/cad.png" \
  "$out/input-folder.txt" "$out/QMR_実行.log"

# --- the program folder, the input and the stand-in CAD ---------------------------------------
prepare_program_folder "$delay" "$lay_dat"
app=$HARLOWE_APP
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
cp "$input" "$data/"
input_copy="$data/$(basename "$input")"
input_win=$(to_winpath "$input_copy") || exit 1
app_win=$(to_winpath "$app") || exit 1
# The CAD finds the script files by name: the program folder is its support folder.
start_standin_cad "$app"

# --- the run: answer each window of harlowe.exe as it comes -------------------------------------
messages="$out/messages.txt"
failure=""
message_seen=""

answer_form3() {
  local f=$HARLOWE_FORM3_TITLE
  if [[ -n "$step" ]]; then drv set-text "$f" Text1 "$step" || return 1; fi
  if [[ -n "$interval" ]]; then
    if [[ -z "$step" ]]; then drv mouse "$f" Text2 || return 1; fi
    drv set-text "$f" Text2 "$interval" || return 1
  fi
  if ((quick)); then drv click "$f" Check3 || return 1; fi
  if [[ "$unit" == mm ]]; then drv click "$f" Check2 || return 1; fi
  if [[ "$unit" == m && "$(drv checked "$f" Check1)" != 1* ]]; then
    drv click "$f" Check1 || return 1
  fi
  drv click "$f" Command1
}

answer_form4() {
  local f=$HARLOWE_FORM4_TITLE
  drv set-text "$f" Text1 "$layer" || return 1
  if ((zoom)); then drv click "$f" Check1 || return 1; fi
  drv click "$f" Command1
}

# A form answered goes away on its program's own time: until it has, the next look would answer
# it again. Waits until the window HANDLE is gone, or a message box has come over it.
await_answered() {
  local end=$((SECONDS + 60)) list
  while ((SECONDS < end)) && win_alive "$HARLOWE_PID"; do
    list=$(drv list 2>/dev/null) || true
    awk -F'\t' -v h="$1" -v open="$HARLOWE_OPEN_TITLE" '
      $1 == h { there = 1 } { sub(/\r$/, "", $5) } $3 == "#32770" && $5 != open { box = 1 }
      END { exit !(there && !box) }' <<<"$list" || return 0
    sleep 0.1
  done
  win_alive "$HARLOWE_PID" || return 0
  failure="the window \"$2\" stayed after it was answered"
  return 1
}

start_harlowe "$app"
opened=0 shots=0
end=$((SECONDS + limit))
while win_alive "$HARLOWE_PID"; do
  ((SECONDS < end)) || {
    failure="harlowe.exe did not end within $limit s"
    break
  }
  windows=$(drv list 2>/dev/null) || true
  acted=0
  while IFS=$'\t' read -r hwnd _ cls _ caption; do
    caption=${caption%$'\r'}
    if [[ "$cls" == "#32770" && "$caption" == "$HARLOWE_OPEN_TITLE" ]]; then
      if ((opened)); then
        failure="the open dialog came again"
        break 2
      fi
      drv open-file "$HARLOWE_OPEN_TITLE" "$filter_index" "$input_win" || {
        failure="could not answer the open dialog"
        break 2
      }
      opened=1
    elif [[ "$cls" == "#32770" ]]; then
      # A picture of each message as the user sees it, among the scenario's screenshots.
      screenshot "$(basename "$out")-message-$((++shots))" "$caption" >/dev/null || true
      text=$(drv --timeout 2000 msgbox-ok "$caption") || continue
      printf '%s\t%s\n' "$caption" "${text%$'\r'}" >>"$messages"
      message_seen="message box \"$caption\": ${text%$'\r'}"
    elif [[ "$caption" == "$HARLOWE_FORM9_TITLE" || "$caption" == "$HARLOWE_FORM9ORI_TITLE" ]]; then
      drv click "$caption" Command1 || {
        failure="could not acknowledge $caption"
        break 2
      }
      await_answered "$hwnd" "$caption" || break 2
    elif [[ "$caption" == "$HARLOWE_FORM3_TITLE" ]]; then
      answer_form3 || {
        failure="could not fill in $caption"
        break 2
      }
      await_answered "$hwnd" "$caption" || break 2
    elif [[ "$caption" == "$HARLOWE_FORM4_TITLE" ]]; then
      answer_form4 || {
        failure="could not fill in $caption"
        break 2
      }
      await_answered "$hwnd" "$caption" || break 2
    else
      continue
    fi
    printf '%s\n' "$caption" >>"$out/answered.txt"
    acted=1
    break
  done <<<"$windows"
  ((acted)) || sleep 0.2
done
rc=0
if [[ -n "$failure" ]]; then
  screenshot failure >/dev/null || true
  win_wait "$HARLOWE_PID" 0 || rc=$?  # 124: stopped here
else
  win_wait "$HARLOWE_PID" 5 || rc=$?
  [[ "$rc" == 0 ]] || failure="harlowe.exe ended with exit code $rc"
fi

# --- the CAD: wait until it has evaluated the load command --------------------------------------
if [[ -z "$failure" ]] && ! wait_cad_load "$limit"; then failure=$CAD_FAILURE; fi
if [[ -z "$failure" ]]; then
  for line in '(setvar "cmdecho" 0)' '(prompt "実行中です。　お待ちください。")'; do
    grep -qF "$line" "$CAD_DIR/dump/evaluated.log" ||
      echo "harlowe-run: warning: the CAD did not receive $line" >&2
  done
fi
screenshot cad "$CAD_TITLE" >/dev/null || true

# --- results ------------------------------------------------------------------------------------
printf 'input\t%s\nappdir\t%s\\\nexit\t%s\n' "$input_win" "$app_win" "$rc" >"$out/run.txt"
mkdir -p "$out/scripts" "$out/cad"
find "$app" -maxdepth 1 -type f -iname '*.lsp' -exec cp {} "$out/scripts/" \;
[[ -f "$data/QMR_実行.log" ]] && cp "$data/QMR_実行.log" "$out/"
(cd "$data" && find . -maxdepth 1 -type f ! -name "$(basename "$input_copy")" -printf '%f\t%s\n' |
  LC_ALL=C sort) >"$out/input-folder.txt"
cp "$CAD_DIR/dump/"* "$out/cad/" 2>/dev/null || true

if [[ -n "$failure" ]]; then
  echo "harlowe-run: $failure" >&2
  [[ -z "$message_seen" ]] || echo "harlowe-run: $message_seen" >&2
  exit 1
fi
points=$(($(wc -l <"$out/cad/entities.tsv") - 1))
echo "harlowe-run: exit $rc, $points entities in the CAD; results in $out"
if [[ -n "$message_seen" ]]; then
  echo "harlowe-run: $message_seen" >&2
  exit 1
fi
exit 0
