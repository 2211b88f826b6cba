#!/usr/bin/env bash
# The installer from the distribution folder: Form1, the folder browser and a new folder whose
# path holds a blank and Japanese characters; the eight files arrive byte for byte, the end
# message shows, and the guide is opened with its Japanese path in the target folder. Installed
# again over files changed since, every file is replaced and the user's own files stay.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/lib/installer.sh"
begin_installer_scenario
src=$INSTALLER_SRC

target="$E2E_WORK/インストール 先/点群 ツール"
mkdir -p "$target"  # made in the browser with "新しいフォルダー"

start_tamsett "$src"
drv wait "$TAMSETT_TITLE" >/dev/null || e2e_fail "Form1 did not show"
[[ $(drv get-text "$TAMSETT_TITLE" Command1) == "インストール"* ]] || e2e_fail "Command1's caption"
[[ $(drv get-text "$TAMSETT_TITLE" Command2) == "キャンセル"* ]] || e2e_fail "Command2's caption"
screenshot form1 "$TAMSETT_TITLE" >/dev/null
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
drv wait "*" "#32770" >/dev/null || e2e_fail "the folder browser did not show"
screenshot folder-browser >/dev/null
drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" "$(to_winpath "$target")" ||
  e2e_fail "could not choose the folder"
drv msgbox "$TAMSETT_TITLE" >/dev/null || e2e_fail "no end message"
screenshot done-message >/dev/null
expect_msgbox "$TAMSETT_DONE" "$TAMSETT_TITLE"
expect_tamsett_exit 0
expect_installed "$target"
[[ $(find "$target" -type f | wc -l) == 8 ]] || e2e_fail "the target holds: $(ls "$target")"

guide_win="$(to_winpath "$target")\\$INSTALL_GUIDE"
for _ in $(seq 1 100); do [[ -s "$PDF_OPENED" ]] && break; sleep 0.1; done
[[ "$(tr -d '\r' <"$PDF_OPENED" 2>/dev/null)" == "$guide_win" ]] ||
  e2e_fail "the viewer was asked to open \"$(cat "$PDF_OPENED" 2>/dev/null)\", expected \"$guide_win\""

# Again, over an older installation and a file of the user's.
printf '20\r\n' >"$target/delay.dat"
printf 'old' >"$target/harlowe.exe"
rm "$target/cloud_start.lsp"
printf '0,壁\r\n' >"$target/Lay.dat"
install_with_tamsett "$src" "$target"
expect_installed "$target"
[[ $(cat "$target/Lay.dat") == $'0,壁\r' ]] || e2e_fail "Lay.dat of the user was touched"
for _ in $(seq 1 100); do (($(wc -l <"$PDF_OPENED") == 2)) && break; sleep 0.1; done
(($(wc -l <"$PDF_OPENED") == 2)) || e2e_fail "the guide was not opened the second time"
echo "installed twice into $(to_winpath "$target")"
