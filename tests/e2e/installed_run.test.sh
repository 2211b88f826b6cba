#!/usr/bin/env bash
# The installed folder works: installed by tamsett.exe, cloud_connect.exe says what mkscr.ini
# lacks and, once the user has filled it in, which CAD a run would reach; the stand-in CAD (with
# secure loading) evaluates cloud_install_dir.lsp from the installed folder, whose file dialog is
# answered with the installed harlowe.exe; the command CLOUD of cloud_start.lsp starts that
# harlowe.exe, the driver answers its dialogs, and the points of the sample cloud are drawn
# from scripts that load from the installed folder without a single security prompt. Installed
# again into another folder, and then into the root of a drive on a PC without a program for PDF
# documents, each registered in turn: the new folder replaces the old one on the support path
# and among the trusted locations, and CLOUD starts the new harlowe.exe.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/lib/installer.sh"
begin_installer_scenario
src=$INSTALLER_SRC

# Drive R: for the installation into a drive root. Wine learns its drives when it starts, so the
# session starts anew once the drive is there; the drive goes when the scenario ends.
root="$E2E_WORK/ドライブ R"
drive="$WINEPREFIX/dosdevices/r:"
mkdir -p "$root"
rm -f "$drive"
ln -s "$root" "$drive" || e2e_fail "could not make drive R:"
trap 'rm -f "$drive"; _e2e_cleanup' EXIT
WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -k 9>&- 2>/dev/null
WINEPREFIX="$WINEPREFIX" timeout 15 "$WINESERVER_BIN" -w 9>&- 2>/dev/null
WINEPREFIX="$WINEPREFIX" "$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1 9>&-
drv list </dev/null >/dev/null 2>&1 || true
register_pdf_recorder

app="$E2E_WORK/インストール 先/点群 ツール"
mkdir -p "$app"
install_with_tamsett "$src" "$app"
app_win=$(to_winpath "$app")

# cloud_connect.exe with the mkscr.ini as installed: it names what is missing.
connect() { # expected exit code, screenshot name
  win_start "$app/cloud_connect.exe" >>"$E2E_WORK/cloud_connect.stderr.log" 2>&1
  local pid=$WIN_PID rc=0
  CONNECT_TEXT=$(drv msgbox cloud_connect) || e2e_fail "cloud_connect.exe showed nothing"
  screenshot "$2" >/dev/null
  drv msgbox-ok cloud_connect >/dev/null || e2e_fail "could not close cloud_connect's message"
  win_wait "$pid" 20 || rc=$?
  ((rc == $1)) || e2e_fail "cloud_connect.exe ended with $rc, expected $1: $CONNECT_TEXT"
}
connect 1 cloud-connect-unset
[[ "$CONNECT_TEXT" == *"ACADName が設定されていません。"* ]] || e2e_fail "cloud_connect: $CONNECT_TEXT"

# The CAD: secure loading, trusting its own folder only; its support path does not hold the
# installed folder.
support="$E2E_WORK/CAD サポート"
mkdir -p "$support"
STANDIN_INI_EXTRA="SecureLoad=1
TrustedPaths=$(to_winpath "$E2E_WORK/cad")"
start_standin_cad "$support"
# What the guide asks of the user: the CAD's values in mkscr.ini, a delay that suits the PC.
cp "$HARLOWE_SOURCE_DIR/standin/cad/MkScr.ini" "$app/mkscr.ini"
write_delay "$app" 10
connect 0 cloud-connect-found
[[ "$CONNECT_TEXT" == *"Harlowe は CAD [1]（図面 「Drawing1.dwg」） のコマンドラインにコマンドを送ります。"* ]] ||
  e2e_fail "cloud_connect: $CONNECT_TEXT"

# Typed at the CAD's command line; waits until the CAD has evaluated it.
cad_type() {
  local before
  before=$(cad_state lines)
  drv paste "$CAD_TITLE" "StandIn Command Line" "$1"$'\r\n' || e2e_fail "could not type $1"
  for _ in $(seq 1 300); do
    [[ "$(cad_state lines)" != "$before" && "$(cad_state idle)" == 1 ]] && return 0
    sleep 0.1
  done
  e2e_fail "the CAD did not evaluate $1"
}
# APPLOAD of cloud_install_dir.lsp from the folder DIR_WIN, whose harlowe.exe is chosen in the
# file dialog that the CAD opens while it evaluates the file. What the CAD said meanwhile is in
# SAID; it must end with the folder registered and without errors.
pick="インストールしたフォルダの harlowe.exe を選んでください"
register_folder() {
  local dir=${1%\\} before
  before=$(wc -c <"$CAD_DIR/dump/history.txt")
  drv paste "$CAD_TITLE" "StandIn Command Line" "(load \"${dir//\\//}/cloud_install_dir.lsp\")"$'\r\n' ||
    e2e_fail "could not load cloud_install_dir.lsp from $1"
  drv wait "$pick" "#32770" >/dev/null || e2e_fail "cloud_install_dir.lsp asked for no file"
  drv open-file "$pick" 1 "$dir\\harlowe.exe" || e2e_fail "could not choose harlowe.exe in $1"
  for _ in $(seq 1 100); do
    SAID=$(tail -c +$((before + 1)) "$CAD_DIR/dump/history.txt")
    [[ "$SAID" == *"を登録しました。"* && "$(cad_state idle)" == 1 ]] && break
    sleep 0.1
  done
  [[ "$SAID" == *"Harlowe のフォルダ $1 を登録しました。"* ]] || e2e_fail "the CAD says: $SAID"
  [[ "$(cad_state errors)" == 0 ]] || e2e_fail "the CAD reported errors: $SAID"
}
# The support path as the CAD's getenv reads it, and TRUSTEDPATHS.
expect_registered() {
  local acad trusted
  cad_type '(princ (strcat "\nACAD=" (getenv "ACAD")))'
  acad=$(grep -a '^ACAD=' "$CAD_DIR/dump/history.txt" | tail -n 1 | tr -d '\r')
  [[ "$acad" == "ACAD=$1" ]] || e2e_fail "the support path is \"${acad#ACAD=}\", expected \"$1\""
  trusted=$(grep -a '^TRUSTEDPATHS	' "$CAD_DIR/dump/variables.tsv" | cut -f2 | tr -d '\r')
  [[ "$trusted" == "$2" ]] || e2e_fail "TRUSTEDPATHS is \"$trusted\", expected \"$2\""
}
support_win=$(to_winpath "$support")
cad_win=$(to_winpath "$E2E_WORK/cad")
register_folder "$app_win"
expect_registered "$app_win;$support_win" "$cad_win;$app_win"
[[ "$(cad_state untrusted_loads)" == 1 ]] || e2e_fail "loads from untrusted folders: $(cad_state untrusted_loads)"

# CLOUD starts the installed harlowe.exe; its dialogs are answered as a user would.
data="$E2E_WORK/入力 データ"
mkdir -p "$data"
cp "$HARLOWE_SOURCE_DIR/data/table_mug_stereo_cc_space_lf.txt" "$data/"
cad_type "CLOUD"
[[ "$(cat "$CAD_DIR/dump/history.txt")" == *"Harlowe を起動しました。"* ]] || e2e_fail "CLOUD did not start Harlowe"
layer="点群 インストール"
drive_text_road "$(to_winpath "$data/table_mug_stereo_cc_space_lf.txt")" 3 "$layer"
wait_cad_load 300 || e2e_fail "$CAD_FAILURE"
drv wait-gone "$HARLOWE_FORM4_TITLE" >/dev/null || true
screenshot cad "$CAD_TITLE" >/dev/null

want=$(($(wc -l <"$HARLOWE_SOURCE_DIR/data/table_mug_stereo_cc_space_lf.txt") / 3))
got=$(awk -F'\t' -v l="$layer" 'NR > 1 && $1 == "POINT" && $2 == l' "$CAD_DIR/dump/entities.tsv" | wc -l)
((got == want)) || e2e_fail "the CAD drew $got points on \"$layer\", expected $want"
[[ "$(cad_state untrusted_loads)" == 1 ]] ||
  e2e_fail "the run's scripts were loaded from an untrusted folder ($(cad_state untrusted_loads) loads)"
[[ -f "$app/ent_gogo.lsp" ]] || e2e_fail "the run's scripts are not in the installed folder"
e2e_note "installed folder: $got points drawn, one security prompt (cloud_install_dir.lsp itself)"

# CLOUD, and the harlowe.exe that it started: its open dialog cancelled, it leaves its status
# files in its own folder.
cloud_starts_from() {
  rm -f "$app/quit_status.dat" "$new/quit_status.dat"
  cad_type "CLOUD"
  drv wait "$HARLOWE_OPEN_TITLE" "#32770" >/dev/null || e2e_fail "CLOUD started no harlowe.exe"
  drv open-cancel "$HARLOWE_OPEN_TITLE" || e2e_fail "could not cancel the open dialog"
  for _ in $(seq 1 100); do [[ -f "$1/quit_status.dat" ]] && break; sleep 0.1; done
  [[ -f "$1/quit_status.dat" ]] || e2e_fail "CLOUD did not start the harlowe.exe in $1: $(
    ls "$app" "$new" "$root" 2>/dev/null | grep -a status)"
}

# Installed again, into another folder, and registered from there: the new folder takes the
# place of the old one, and CLOUD starts the new harlowe.exe.
new="$E2E_WORK/新 フォルダ"
mkdir -p "$new"
install_with_tamsett "$src" "$new"
new_win=$(to_winpath "$new")
register_folder "$new_win"
[[ "$SAID" == *"以前の Harlowe のフォルダ $app_win を登録から外しました。"* ]] ||
  e2e_fail "the old folder was not named: $SAID"
expect_registered "$new_win;$support_win" "$cad_win;$new_win"
cloud_starts_from "$new"
[[ ! -e "$app/quit_status.dat" ]] || e2e_fail "CLOUD started the old harlowe.exe as well"

# Installed into the root of a drive, on a PC without a program for PDF documents: the installer
# says where the guide is; the root is registered as "R:\", not as "R:" (the current folder of
# drive R), and CLOUD starts the harlowe.exe there.
wine_cmd "$WINE_BIN" reg delete 'HKLM\Software\Classes\.pdf' /f >/dev/null 2>&1 ||
  e2e_fail "could not take the PDF association away"
opened_before=$(wc -l <"$PDF_OPENED")
start_tamsett "$src"
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" 'R:\' || e2e_fail "could not choose R:\\"
expect_msgbox "$TAMSETT_DONE" "$TAMSETT_TITLE"
drv msgbox "$TAMSETT_TITLE" >/dev/null || e2e_fail "no message about the guide"
screenshot guide-not-opened >/dev/null
expect_msgbox "インストールガイドを開けませんでした。次のファイルを開いてください。
R:\\$INSTALL_GUIDE" "$TAMSETT_TITLE"
expect_tamsett_exit 0
register_pdf_recorder
expect_installed "$root"
(($(wc -l <"$PDF_OPENED") == opened_before)) || e2e_fail "a viewer was asked to open the guide"
register_folder 'R:\'
[[ "$SAID" == *"以前の Harlowe のフォルダ $new_win を登録から外しました。"* ]] ||
  e2e_fail "the old folder was not named: $SAID"
expect_registered 'R:\'";$support_win" "$cad_win;R:\\"
cloud_starts_from "$root"
echo "installed into three folders in turn, the drive root last: CLOUD starts the harlowe.exe of each"
