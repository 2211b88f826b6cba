# shellcheck shell=bash
# Helpers for the installer scenarios; source after wine-env.sh and harlowe.sh, call after
# wine_env_init.
#
#   TAMSETT_TITLE, TAMSETT_BROWSE_TEXT, TAMSETT_DONE, INSTALL_FILES
#                                The installer's caption, the folder browser's text, the end
#                                message and the eight installed files in copy order.
#   DIST_DIR                     The distribution (build/dist, made by scripts/dist.sh).
#   begin_installer_scenario     wine_env_init, the PDF recorder registered, and the distribution
#                                copied into INSTALLER_SRC ("$E2E_WORK/配布 フォルダ").
#   copy_distribution DIR        The distribution into DIR: the installer's own folder.
#   register_pdf_recorder        The .pdf association points at pdf_recorder.exe, which appends
#                                every path it is asked to open to $PDF_OPENED.
#   start_tamsett DIR            Start DIR/tamsett.exe; its pid is in TAMSETT_PID.
#   expect_tamsett_exit CODE     Wait for it to end (at most 30 s) with CODE.
#   install_with_tamsett SRC TARGET
#                                The whole installation: Install, TARGET in the folder browser,
#                                OK to the end message; the installer must end with 0.
#   expect_installed TARGET      Each of the eight files in TARGET equals the distribution's.

TAMSETT_TITLE="Tamsett"
TAMSETT_BROWSE_TEXT="インストールするフォルダを選択してください"
TAMSETT_DONE="インストール終了　iJ-CADの設定は表示されたPDFを参照してください。"
INSTALL_FILES=(cloud_connect.exe cloud_install_dir.lsp cloud_start.lsp harlowe.exe mkscr.ini
  "IJCAD-Quarrendon_インストール.pdf" IJCAD-Quarrendon.pdf delay.dat)
INSTALL_GUIDE="IJCAD-Quarrendon_インストール.pdf"

DIST_DIR=${HARLOWE_DIST_DIR:-$HARLOWE_SOURCE_DIR/build/dist}

begin_installer_scenario() {
  # The folder browser expands every folder on the way to the one it selects: under the shared
  # /tmp, where other programs add and remove folders all the time, that can fail. The scenario's
  # scratch folder goes beside the build's Wine prefix instead, where only this build writes.
  [[ -n "${HARLOWE_WIN_BUILD_DIR:-}" ]] || _e2e_die "HARLOWE_WIN_BUILD_DIR is not set"
  TMPDIR="$(cd "$HARLOWE_WIN_BUILD_DIR" && pwd)/wine/tmp"
  export TMPDIR
  mkdir -p "$TMPDIR"
  wine_env_init
  register_pdf_recorder
  INSTALLER_SRC="$E2E_WORK/配布 フォルダ"
  copy_distribution "$INSTALLER_SRC"
}

copy_distribution() {
  [[ -f "$DIST_DIR/tamsett.exe" ]] || e2e_fail "no distribution in $DIST_DIR (run scripts/dist.sh)"
  mkdir -p "$1"
  cp "$DIST_DIR"/* "$1/"
}

register_pdf_recorder() {
  local viewer="$E2E_WORK/viewer" exe
  mkdir -p "$viewer"
  cp "$(win_exe pdf_recorder.exe)" "$viewer/" || exit 1
  PDF_OPENED="$viewer/opened.txt"
  exe=$(to_winpath "$viewer/pdf_recorder.exe") || exit 1
  wine_cmd "$WINE_BIN" reg add 'HKLM\Software\Classes\.pdf' /ve /d pdffile /f >/dev/null 2>&1 &&
    wine_cmd "$WINE_BIN" reg add 'HKLM\Software\Classes\pdffile\shell\open\command' /ve \
      /d "\"$exe\" \"%1\"" /f >/dev/null 2>&1 || e2e_fail "could not register the PDF recorder"
}

start_tamsett() {
  win_start "$1/tamsett.exe" >>"$E2E_WORK/tamsett.stderr.log" 2>&1
  TAMSETT_PID=$WIN_PID
}

expect_tamsett_exit() {
  local want=$1 rc=0
  win_wait "$TAMSETT_PID" 30 || rc=$?
  ((rc == 124)) && e2e_fail "tamsett.exe did not end within 30 s"
  ((rc == want)) || e2e_fail "tamsett.exe ended with exit code $rc, expected $want"
}

install_with_tamsett() {
  local src=$1 target=$2
  start_tamsett "$src"
  drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
  drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" "$(to_winpath "$target")" ||
    e2e_fail "could not choose $target in the folder browser"
  expect_msgbox "$TAMSETT_DONE" "$TAMSETT_TITLE"
  expect_tamsett_exit 0
}

expect_installed() {
  local f
  for f in "${INSTALL_FILES[@]}"; do
    cmp -s "$DIST_DIR/$f" "$1/$f" || e2e_fail "$f in $1 differs from the distribution's"
  done
}
