# shellcheck shell=bash
# Shared set-up of every Wine scenario: source this file, then call wine_env_init.
#
#   source "$(dirname "$0")/lib/wine-env.sh"
#   wine_env_init            # prefix, Japanese locale, private Xvfb, cleanup trap, code-page check
#
# Input: HARLOWE_WIN_BUILD_DIR, the MinGW build folder (harlowe.exe, standin_cad.exe,
# dialog_driver.exe); CTest passes it. HARLOWE_SOURCE_DIR is optional (defaults to this checkout).
# Optional: E2E_KEEP=1 keeps the scratch folder; E2E_DISPLAY=:N uses that X display instead of
# starting Xvfb (for watching a run; cleanup then leaves the display alone).
#
# After wine_env_init these are set:
#   WINEPREFIX      $HARLOWE_WIN_BUILD_DIR/wine/prefix, created once (wineboot -i), shared by all
#                   scenarios of the build folder; a scenario holds an exclusive lock on it while it
#                   runs, so two scenarios of one build folder never share the wineserver.
#   DISPLAY         the scenario's own Xvfb display (no window manager).
#   E2E_WORK        a fresh scratch folder, removed at exit unless E2E_KEEP=1.
#   E2E_ARTIFACTS   $HARLOWE_WIN_BUILD_DIR/e2e-artifacts/<scenario>: screenshots, kept.
#   E2E_EXE_DIR     folder of the Windows programs; E2E_DRIVER the dialog driver.
# One session per process tree: a script that called wine_env_init must not run another script
# that calls it (such as harlowe-run.sh); that one stops with a message instead of waiting for the
# lock forever.
#
# Functions (stable; other scenarios rely on them):
#   wine_cmd ARGS...          Run a command in the Wine environment (Japanese locale), e.g.
#                             wine_cmd "$WINE_BIN" reg add ...; bounded by E2E_CMD_TIMEOUT (60 s).
#   win_run SECS EXE [ARGS]   Run a Windows program to its end, at most SECS seconds; returns its
#                             exit code (124 when it was stopped at the time limit). Programs
#                             start with E2E_WORK as their current folder.
#   win_start EXE [ARGS]      Start a Windows program in the background (limit E2E_START_LIMIT,
#                             600 s); its pid is in WIN_PID; it is killed at cleanup.
#   win_wait PID SECS         Wait at most SECS seconds for a started program; returns its exit
#                             code, or 124 after killing it when the time ran out.
#   win_alive PID             True while a started program runs.
#   drv COMMAND [ARGS]        Run the dialog driver (see the top of tests/e2e/driver/); its stdout
#                             is UTF-8, errors go to stderr, non-zero exit when something failed.
#   to_winpath PATH           Print the Windows path under which Wine sees a Linux path, whole
#                             however long; stops the scenario when no drive holds the path or it
#                             holds a character that Windows paths cannot carry.
#   win_exe NAME              Print the path of a built program (harlowe.exe, standin_cad.exe).
#   make_program_folder [EXE...]
#                             Create a fresh folder "$E2E_WORK/<n>/テスト フォルダ/プログラム" holding
#                             harlowe.exe (or the given programs of E2E_EXE_DIR); prints its path.
#   screenshot NAME [TITLE]   Save a PNG of the screen (or of the top-level window whose caption is
#                             TITLE; a TITLE ending in "*" matches as a prefix) as $E2E_ARTIFACTS/NAME.png, after E2E_SHOT_DELAY (0.5 s) for
#                             the painting to finish; prints the path.
#   e2e_fail MESSAGE          Print the message, the visible windows, a screenshot and the end of
#                             every $E2E_WORK/*.stderr.log (programs' Wine output); exit 1.
#   e2e_note MESSAGE          Print a progress line to stderr.
#   write_ansi FILE TEXT      Write TEXT (UTF-8 in the script) to FILE in CP932, "\n" becoming CR LF.
#   read_ansi FILE            Print a CP932 file as UTF-8, CR LF becoming "\n".

WINE_LOADER=/usr/lib/wine/wine64
WINE_BIN=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-fixed-layout
WINESERVER_BIN=/usr/lib/wine/wineserver
: "${E2E_CMD_TIMEOUT:=60}"
: "${E2E_START_LIMIT:=600}"

E2E_PIDS=()
# For the report of a failure: pid -> program name, and pid -> exit code once a wait has seen it.
declare -A E2E_PROGRAMS=() E2E_EXITS=()
E2E_XVFB_PID=""
E2E_CLEANED=0

e2e_note() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Everything Wine runs gets the Japanese locale, a time limit and no copy of the prefix lock.
# The locale goes into Wine's environment only: the calling bash has no such locale installed.
wine_cmd() {
  env LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all \
    DISPLAY="$DISPLAY" timeout -k 5 "$E2E_CMD_TIMEOUT" "$@" 9>&-
}

_e2e_die() {
  echo "e2e: $*" >&2
  exit 1
}

# PID is a time-limit wrapper (timeout) or Xvfb. The Windows program under a wrapper gets the
# signals itself: Wine ends only the thread that receives a TERM, so a program with more threads
# would live on, orphaned, if only its wrapper were killed.
_e2e_kill_tree() {
  local pid=$1 all=()
  kill -0 "$pid" 2>/dev/null || return 0
  mapfile -t all < <(pgrep -P "$pid" 2>/dev/null)
  all=("$pid" "${all[@]}")
  kill -TERM "${all[@]}" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 "${all[@]}" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -KILL "${all[@]}" 2>/dev/null || true
  return 0
}

_e2e_cleanup() {
  ((E2E_CLEANED)) && return 0
  E2E_CLEANED=1
  set +e
  local pid
  for pid in "${E2E_PIDS[@]}"; do _e2e_kill_tree "$pid"; done
  if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
    WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -k 9>&- 2>/dev/null
    WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -w 9>&- 2>/dev/null
  fi
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  if [[ -n "$E2E_XVFB_PID" ]]; then
    _e2e_kill_tree "$E2E_XVFB_PID"
    wait "$E2E_XVFB_PID" 2>/dev/null
  fi
  if [[ -n "${E2E_WORK:-}" && -d "$E2E_WORK" && "${E2E_KEEP:-0}" != 1 ]]; then
    rm -rf "$E2E_WORK"
  elif [[ -n "${E2E_WORK:-}" ]]; then
    echo "e2e: scratch folder kept: $E2E_WORK" >&2
  fi
  exec 9>&-
  return 0
}

# Creates the prefix once. Runs under the prefix lock, so concurrent scenarios wait for it.
_e2e_make_prefix() {
  [[ -f "$WINEPREFIX/.harlowe-ready" ]] && return 0
  e2e_note "creating Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No display: wineboot then shows nothing. mscoree/mshtml off: no installer prompts.
  env -u DISPLAY LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" \
    timeout -k 5 180 "$WINE_BIN" wineboot -i >/dev/null 2>&1 9>&- ||
    _e2e_die "wineboot -i failed for $WINEPREFIX"
  # Without a window manager an unmanaged X11 driver avoids a 2 s stall whenever a visible
  # top-level window is hidden or destroyed.
  env -u DISPLAY LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" \
    WINEDEBUG=-all timeout -k 5 60 "$WINE_BIN" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1 9>&- || _e2e_die "could not set Managed=N in $WINEPREFIX"
  WINEPREFIX="$WINEPREFIX" timeout 60 "$WINESERVER_BIN" -w 9>&- || true
  touch "$WINEPREFIX/.harlowe-ready"
}

# Wine draws the caption buttons (close, minimise, maximise) as glyphs of its Marlett font; without
# it they show as the letters "r", "0" and "1". Debian's Wine looks for its own fonts beside the
# system's, not in /usr/share/wine/fonts where the package fonts-wine puts them, so the prefix
# gets a copy. Checked in every session, so that a prefix made before still gets it.
WINE_MARLETT=/usr/share/wine/fonts/marlett.ttf
_e2e_add_caption_font() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [[ -f "$fonts/marlett.ttf" ]] && return 0
  [[ -f "$WINE_MARLETT" ]] || _e2e_die "$WINE_MARLETT is missing (Debian package fonts-wine)"
  mkdir -p "$fonts" && cp "$WINE_MARLETT" "$fonts/" || _e2e_die "could not copy Marlett into $fonts"
}

_e2e_make_locale() {
  [[ -f "$E2E_LOCALE_DIR/ja_JP.UTF-8/LC_CTYPE" ]] && return 0
  mkdir -p "$E2E_LOCALE_DIR"
  command -v localedef >/dev/null || _e2e_die "localedef is missing (Debian package locales)"
  localedef -i ja_JP -f UTF-8 "$E2E_LOCALE_DIR/ja_JP.UTF-8" >/dev/null 2>&1 ||
    [[ -f "$E2E_LOCALE_DIR/ja_JP.UTF-8/LC_CTYPE" ]] ||
    _e2e_die "localedef -i ja_JP -f UTF-8 failed"
}

_e2e_start_xvfb() {
  if [[ -n "${E2E_DISPLAY:-}" ]]; then
    export DISPLAY="$E2E_DISPLAY"
    return 0
  fi
  command -v Xvfb >/dev/null || _e2e_die "Xvfb is missing (Debian package xvfb)"
  local dfile="$E2E_WORK/.xvfb-display"
  : >"$dfile"
  # -displayfd lets Xvfb pick a free display number and report it when it is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" 9>&- >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  local n
  for _ in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$dfile")
    [[ -n "$n" ]] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || _e2e_die "Xvfb did not start"
    sleep 0.1
  done
  [[ -n "$n" ]] || _e2e_die "Xvfb reported no display within 10 s"
  export DISPLAY=":$n"
}

wine_env_init() {
  # A second session inside a running one would wait forever for the prefix lock.
  [[ -z "${E2E_SESSION_ACTIVE:-}" ]] ||
    _e2e_die "a Wine session is already set up by the calling script (do not nest wine_env_init)"
  [[ -n "${HARLOWE_WIN_BUILD_DIR:-}" ]] || _e2e_die "HARLOWE_WIN_BUILD_DIR is not set"
  HARLOWE_WIN_BUILD_DIR=$(cd "$HARLOWE_WIN_BUILD_DIR" && pwd) || _e2e_die "no build folder"
  : "${HARLOWE_SOURCE_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}"
  export HARLOWE_WIN_BUILD_DIR HARLOWE_SOURCE_DIR
  [[ -x "$WINE_LOADER" ]] || _e2e_die "$WINE_LOADER is missing (Debian package wine64)"

  E2E_EXE_DIR="$HARLOWE_WIN_BUILD_DIR"
  E2E_DRIVER=$(win_exe dialog_driver.exe) || exit 1

  local scenario
  scenario=$(basename "$0" .sh)
  scenario=${scenario%.test}
  export WINEPREFIX="$HARLOWE_WIN_BUILD_DIR/wine/prefix"
  E2E_LOCALE_DIR="$HARLOWE_WIN_BUILD_DIR/wine/locale"
  E2E_ARTIFACTS="$HARLOWE_WIN_BUILD_DIR/e2e-artifacts/$scenario"
  mkdir -p "$E2E_ARTIFACTS" "$HARLOWE_WIN_BUILD_DIR/wine"

  export E2E_SESSION_ACTIVE=1
  trap _e2e_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  # One scenario at a time per prefix: the cleanup's wineserver -k would end the others' programs.
  exec 9>"$HARLOWE_WIN_BUILD_DIR/wine/prefix.lock"
  flock -w 1800 9 || _e2e_die "the Wine prefix stayed locked by another scenario"

  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/harlowe-e2e.XXXXXX")
  _e2e_make_locale
  _e2e_make_prefix
  _e2e_add_caption_font
  # A wineserver left over from an interrupted run may still be bound to a dead display.
  WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -k 9>&- 2>/dev/null || true
  WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -w 9>&- 2>/dev/null || true
  _e2e_start_xvfb
  # Keep the wineserver up between the short driver calls of the scenario. The first Wine
  # program of a session starts Wine's background processes (services, the desktop), which keep
  # the standard output they inherit open: start them here with none, so that a later $(drv ...)
  # sees the end of its output.
  WINEPREFIX="$WINEPREFIX" "$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1 9>&- || true
  drv list </dev/null >/dev/null 2>&1 || true
  e2e_check_acp
}

# Wine must run with the Japanese ANSI code page, or every text file and message differs.
e2e_check_acp() {
  local acp
  drv acp </dev/null >"$E2E_WORK/.acp" 2>"$E2E_WORK/.acp-err" ||
    _e2e_die "the dialog driver did not run under Wine: $(cat "$E2E_WORK/.acp-err")"
  acp=$(tr -d '\r\n' <"$E2E_WORK/.acp")
  [[ "$acp" == 932 ]] ||
    _e2e_die "Wine's ANSI code page is '$acp', not 932 (LC_ALL=ja_JP.UTF-8 with LOCPATH=$E2E_LOCALE_DIR)"
}

# Programs start in the scratch folder, so that a dialog's first folder is a small one.
win_run() {
  local secs=$1
  shift
  (cd "$E2E_WORK" && exec env LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all \
    DISPLAY="$DISPLAY" timeout -k 5 "$secs" "$WINE_BIN" "$@" 9>&-)
}

win_start() {
  (cd "$E2E_WORK" && exec env LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" \
    WINEDEBUG=-all DISPLAY="$DISPLAY" timeout -k 5 "$E2E_START_LIMIT" "$WINE_BIN" "$@" 9>&-) &
  WIN_PID=$!
  E2E_PIDS+=("$WIN_PID")
  E2E_PROGRAMS[$WIN_PID]=${1##*/}
}

win_alive() { kill -0 "$1" 2>/dev/null; }

win_wait() {
  local pid=$1 secs=$2 end
  end=$((SECONDS + secs))
  while win_alive "$pid" && ((SECONDS < end)); do sleep 0.1; done
  local rc=0
  if win_alive "$pid"; then
    _e2e_kill_tree "$pid"
    wait "$pid" 2>/dev/null
    rc=124
  else
    wait "$pid" 2>/dev/null || rc=$?
  fi
  E2E_EXITS[$pid]=$rc
  return "$rc"
}

# The driver reports its own failures (exit code 1 or 2, a line on stderr); any other code means
# that it did not run to its end, which is said here, or the scenario would fail without a reason.
# (Exit code 1 without a line: Wine could not start it, and WINEDEBUG=-all keeps Wine's reason.)
drv() {
  local rc=0
  env LC_ALL=ja_JP.UTF-8 LOCPATH="$E2E_LOCALE_DIR" WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all \
    DISPLAY="$DISPLAY" timeout -k 5 "${E2E_DRV_TIMEOUT:-90}" "$WINE_BIN" "$E2E_DRIVER" "$@" 9>&- ||
    rc=$?
  ((rc <= 2)) || echo "e2e: dialog_driver $1 ended with exit code $rc" >&2
  return "$rc"
}

# Worked out as Wine does it, from the drives of the prefix: the drive whose folder holds the path
# most closely (the first letter among equals), then the rest of the path. winepath would cut a
# path off at 260 bytes of UTF-8, which a Japanese path of 90 characters can reach.
to_winpath() {
  local p link root best="" best_root="" rest letter
  p=$(realpath -m "$1")
  for link in "$WINEPREFIX"/dosdevices/?:; do
    root=$(realpath -e "$link" 2>/dev/null) || continue
    [[ "$root" == / || "$p" == "$root" || "$p" == "$root"/* ]] || continue
    if [[ -z "$best" ]] || ((${#root} > ${#best_root})); then
      best=$link best_root=$root
    fi
  done
  [[ -n "$best" ]] || _e2e_die "to_winpath: no drive of $WINEPREFIX holds $p"
  rest=${p#"$best_root"}
  rest=${rest#/}
  [[ "$rest" != *[\\:*?\"\<\>\|]* ]] ||
    _e2e_die "to_winpath: $p holds a character that a Windows path cannot carry (\\ : * ? \" < > |)"
  letter=${best##*/}
  letter=${letter%:}
  printf '%s:\\%s\n' "${letter^^}" "${rest//\//\\}"
}

# The built program NAME (harlowe.exe, standin_cad.exe, ...) of the MinGW build folder.
win_exe() {
  local name=$1 src
  src=$(find "$E2E_EXE_DIR" \( -path "$E2E_EXE_DIR/wine" -o -path "$E2E_EXE_DIR/e2e-artifacts" \
    -o -name CMakeFiles \) -prune -o -type f -name "$name" -print -quit)
  [[ -n "$src" ]] || _e2e_die "$name is not built in $E2E_EXE_DIR"
  printf '%s\n' "$src"
}

_E2E_FOLDERS=0
make_program_folder() {
  local exes=("$@") dir exe
  ((${#exes[@]})) || exes=(harlowe.exe)
  _E2E_FOLDERS=$((_E2E_FOLDERS + 1))
  dir="$E2E_WORK/$_E2E_FOLDERS/テスト フォルダ/プログラム"
  mkdir -p "$dir"
  for exe in "${exes[@]}"; do
    local src
    src=$(win_exe "$exe") || exit 1
    cp "$src" "$dir/"
  done
  printf '%s\n' "$dir"
}

screenshot() {
  local name=$1 title=${2:-} out="$E2E_ARTIFACTS/$1.png" target=root
  sleep "${E2E_SHOT_DELAY:-0.5}"  # a window that has just appeared may still be painting
  if [[ -n "$title" ]] && command -v xdotool >/dev/null; then
    local re
    re=$(printf '%s' "${title%\*}" | sed 's/[][\.*^$(){}+?|/]/\\&/g')
    if [[ "$title" == *\* ]]; then re="^$re"; else re="^$re\$"; fi
    target=$(DISPLAY="$DISPLAY" timeout 10 xdotool search --onlyvisible --name "$re" \
      2>/dev/null | head -n1)
    [[ -n "$target" ]] || target=root
  fi
  if DISPLAY="$DISPLAY" timeout 20 import -window "$target" "png:$out" 9>&- 2>/dev/null; then
    printf '%s\n' "$out"
  else
    echo "e2e: screenshot $name failed" >&2
    return 1
  fi
}

e2e_fail() {
  echo "FAIL: $*" >&2
  if [[ -n "${DISPLAY:-}" ]]; then
    echo "visible windows:" >&2
    E2E_DRV_TIMEOUT=20 drv list >&2 2>&1 || true
    local shot
    shot=$(screenshot "failure-$(date +%H%M%S)") && echo "screenshot: $shot" >&2
  fi
  # A program that ended without a window says more than the empty screen.
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    if win_alive "$pid"; then
      echo "${E2E_PROGRAMS[$pid]:-program} ($pid): running" >&2
      continue
    fi
    [[ -n "${E2E_EXITS[$pid]:-}" ]] || { wait "$pid" 2>/dev/null; E2E_EXITS[$pid]=$?; }
    echo "${E2E_PROGRAMS[$pid]:-program} ($pid): ended with exit code ${E2E_EXITS[$pid]}" >&2
  done
  local log
  for log in "${E2E_WORK:-/nonexistent}"/*.stderr.log; do
    [[ -s "$log" ]] || continue
    echo "--- last lines of $(basename "$log"):" >&2
    tail -n 20 "$log" >&2
  done
  # A scenario may define e2e_on_fail to add what only it knows (the state of its programs).
  if declare -F e2e_on_fail >/dev/null; then e2e_on_fail >&2 || true; fi
  exit 1
}

write_ansi() {
  local file=$1 text=$2
  printf '%s' "${text//$'\n'/$'\r\n'}" | iconv -f UTF-8 -t CP932 >"$file"
}

read_ansi() {
  iconv -f CP932 -t UTF-8 <"$1" | sed 's/\r$//'
}
