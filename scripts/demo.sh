#!/usr/bin/env bash
# The main job: converts a point cloud with harlowe.exe under Wine and has the stand-in CAD draw it.
#
#   scripts/demo.sh [FILE] [OPTIONS of tests/e2e/harlowe-run.sh]
#
# FILE defaults to the sample cloud data/table_mug_stereo_cc_space_lf.txt; its extension picks the
# filter (.ply PLY, .ptx PTX, anything else CloudCompare text). Installs what is missing, builds,
# then:
#   - with a display ($DISPLAY set): starts the stand-in CAD and harlowe.exe there, for a person to
#     choose the file (its Windows path is printed) and answer the forms;
#   - without one: runs them in a private Xvfb, the dialog driver answering the forms (every 2nd
#     point by default, on the layer "点群 デモ", zoomed to the whole drawing).
# Ends by printing what the CAD drew (number of points, layer) and the path of a screenshot of the
# CAD's window. Results go to build/demo/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
input=$root/data/table_mug_stereo_cc_space_lf.txt
if (($#)) && [[ "$1" != --* ]]; then
  input=$1
  shift
fi
[[ -f "$input" ]] || { echo "demo: no file $input" >&2 && exit 2; }
input=$(realpath "$input")
case "${input,,}" in
  *.ply) filter=ply ;;
  *.ptx) filter=ptx ;;
  *) filter=txt ;;
esac
out=$root/build/demo

"$root/scripts/ensure-packages.sh" || exit 1
"$root/scripts/build.sh" || exit 1
export HARLOWE_WIN_BUILD_DIR=$root/build/win HARLOWE_SOURCE_DIR=$root

# Prints what the CAD drew from a copy of its dump folder.
report() {
  local dump=$1 shot=$2 points layers
  points=$(($(wc -l <"$dump/entities.tsv") - 1))
  layers=$(tail -n +2 "$dump/entities.tsv" | cut -f2 | sort -u | paste -sd, -)
  echo
  echo "The CAD drew $points point(s) on layer ${layers:-(none)}."
  [[ -f "$shot" ]] && echo "Screenshot of the CAD's window: $shot"
  echo "Scripts, conversion log and the CAD's dump: $out"
}

if [[ -z "${DISPLAY:-}" ]]; then
  args=("$@")
  ((${#args[@]})) || args=(--layer "点群 デモ" --zoom)
  [[ "$filter" == ply ]] || [[ " ${args[*]} " == *" --step "* ]] || args=(--step 2 "${args[@]}")
  "$root/tests/e2e/harlowe-run.sh" --input "$input" --filter "$filter" --out "$out" "${args[@]}"
  rc=$?
  [[ -f "$out/cad/entities.tsv" ]] && report "$out/cad" "$out/cad.png"
  exit "$rc"
fi

# With a display: the same set-up, and a person answers the windows.
(($# == 0)) || echo "demo: with a display the options are chosen in the forms; ignoring $*" >&2
export E2E_DISPLAY=$DISPLAY
source "$root/tests/e2e/lib/wine-env.sh"
source "$root/tests/e2e/lib/harlowe.sh"
wine_env_init
E2E_ARTIFACTS=$out
mkdir -p "$out"
prepare_program_folder 10
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
cp "$input" "$data/"
start_standin_cad "$HARLOWE_APP"
start_harlowe "$HARLOWE_APP"
echo
echo "In the open dialog choose the filter for ${filter^^} input and this file:"
echo "  $(to_winpath "$data/$(basename "$input")")"
echo "then answer the forms. The stand-in CAD draws the points when harlowe.exe is done."
rc=0
win_wait "$HARLOWE_PID" 3600 || rc=$?
if ((rc != 0)); then
  echo "demo: harlowe.exe ended with exit code $rc" >&2
elif ! wait_cad_load 3600; then
  echo "demo: $CAD_FAILURE" >&2
  rc=1
fi
rm -rf "$out/cad" && mkdir -p "$out/cad" && cp "$CAD_DIR/dump/"* "$out/cad/" 2>/dev/null
shot=$(screenshot cad "$CAD_TITLE") || shot=""
report "$out/cad" "$shot"
if [[ -t 0 ]]; then
  read -r -p "Press Enter to close the stand-in CAD. " _
fi
exit "$rc"
