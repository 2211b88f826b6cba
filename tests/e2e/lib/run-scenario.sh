# shellcheck shell=bash
# The opening of a scenario that drives whole runs through harlowe-run.sh, which sets up its own
# Wine session (such a scenario must not call wine_env_init itself):
#
#   source "$(dirname "$0")/lib/run-scenario.sh"
#
# Sets `here` (tests/e2e), HARLOWE_SOURCE_DIR (this checkout unless given) and `work`, a fresh
# scratch folder removed at exit. Functions:
#   fail MESSAGE     print FAIL: MESSAGE and end the scenario with exit code 1
#   sample NAME      print the path of a sample file of data/; fails the scenario when it is missing
#   drawn DIR        the number of entities in the CAD dump of a harlowe-run.sh result folder DIR
#   joined_twin SRC SEPARATOR
#                    print SRC (an LF text with blanks) as exports joined on other systems give
#                    it: a UTF-8 byte-order mark, then CR LF lines with SEPARATOR between the
#                    fields, lines 3 to 5 and every 1000th ending in LF only, every 997th in a lone CR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
: "${HARLOWE_SOURCE_DIR:=$(cd "$here/../.." && pwd)}"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

sample() {
  local path="$HARLOWE_SOURCE_DIR/data/$1"
  [[ -f "$path" ]] || fail "sample missing: $path"
  printf '%s\n' "$path"
}

drawn() { echo $(($(wc -l <"$1/cad/entities.tsv") - 1)); }

joined_twin() {
  printf '\357\273\277'
  awk -v sep="$2" '{
    gsub(/ /, sep)
    end = (NR >= 3 && NR <= 5) || NR % 1000 == 0 ? "\n" : NR % 997 == 0 ? "\r" : "\r\n"
    printf "%s%s", $0, end
  }' "$1"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/harlowe-$(basename "${BASH_SOURCE[1]}" .test.sh).XXXXXX")
trap 'rm -rf "$work"' EXIT
