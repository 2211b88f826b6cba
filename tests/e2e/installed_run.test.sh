#!/usr/bin/env bash
# The installed folder works: installed by tamsett.exe, cloud_connect.exe says what mkscr.ini
# lacks and, once the user has filled it in, which CAD a run would reach; the stand-in CAD (with
# secure loading) evaluates cloud_install_dir.lsp from the installed folder, whose file dialog is
# answered with the installed harlowe.exe; the command CLOUD of cloud_start.lsp starts that
# harlowe.exe, the driver answers its dialogs, and the points of the sample cloud are drawn
# from scripts that load from the installed folder without a single security prompt.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/lib/installer.sh"
begin_installer_scenario
src=$INSTALLER_SRC

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
# APPLOAD of cloud_install_dir.lsp: the CAD opens its file dialog while it evaluates the file.
pick="インストールしたフォルダの harlowe.exe を選んでください"
drv paste "$CAD_TITLE" "StandIn Command Line" "(load \"${app_win//\\//}/cloud_install_dir.lsp\")"$'\r\n' ||
  e2e_fail "could not load cloud_install_dir.lsp"
drv wait "$pick" "#32770" >/dev/null || e2e_fail "cloud_install_dir.lsp asked for no file"
drv open-file "$pick" 1 "$app_win\\harlowe.exe" || e2e_fail "could not choose harlowe.exe"
for _ in $(seq 1 600); do [[ "$(cad_state idle)" == 1 ]] && break; sleep 0.1; done
history=$(cat "$CAD_DIR/dump/history.txt")
[[ "$history" == *"Harlowe のフォルダ $app_win を登録しました。"* ]] || e2e_fail "the CAD says: $history"
[[ "$(cad_state errors)" == 0 ]] || e2e_fail "the CAD reported errors: $history"
grep -qF "TRUSTEDPATHS	$(to_winpath "$E2E_WORK/cad");$app_win" "$CAD_DIR/dump/variables.tsv" ||
  e2e_fail "TRUSTEDPATHS: $(grep TRUSTEDPATHS "$CAD_DIR/dump/variables.tsv")"
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
echo "installed folder: $got points drawn, one security prompt (cloud_install_dir.lsp itself)"
