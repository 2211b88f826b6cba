#!/usr/bin/env bash
# The installer copies nothing when the user cancels (Command2, or Cancel in the folder browser);
# it stops at a file missing beside it, keeping the files before it and opening no guide; and it
# refuses its own folder as the target before touching any file there.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/wine-env.sh"
source "$here/lib/harlowe.sh"
source "$here/lib/installer.sh"
begin_installer_scenario
src=$INSTALLER_SRC

target="$E2E_WORK/インストール 先"
mkdir -p "$target"
expect_empty_target() {
  [[ -z "$(ls -A "$target")" ]] || e2e_fail "$1 copied: $(ls "$target")"
}

# Cancel on the form.
start_tamsett "$src"
drv click "$TAMSETT_TITLE" Command2 || e2e_fail "could not press Cancel"
expect_tamsett_exit 0
expect_empty_target "Command2"

# Cancel in the folder browser.
start_tamsett "$src"
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
drv browse-cancel "$TAMSETT_BROWSE_TEXT" || e2e_fail "could not cancel the folder browser"
expect_tamsett_exit 0
expect_empty_target "Cancel in the folder browser"

# harlowe.exe missing beside the installer: the three files before it are copied.
mv "$src/harlowe.exe" "$E2E_WORK/harlowe.exe.away"
start_tamsett "$src"
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" "$(to_winpath "$target")" || e2e_fail "browser"
drv msgbox "$TAMSETT_TITLE" >/dev/null || e2e_fail "no message for the missing file"
screenshot missing-file >/dev/null
expect_msgbox "「harlowe.exe」がインストーラーのフォルダにありません。
$(to_winpath "$src")
インストールを中止しました。配布されたフォルダのファイルをすべてそろえてから、もう一度インストールしてください。
それまでにコピーしたファイルはインストール先に残っています。" "$TAMSETT_TITLE"
expect_tamsett_exit 1
[[ $(ls "$target" | sort | paste -sd' ') == "cloud_connect.exe cloud_install_dir.lsp cloud_start.lsp" ]] ||
  e2e_fail "after the missing file the target holds: $(ls "$target")"
mv "$E2E_WORK/harlowe.exe.away" "$src/harlowe.exe"

# The installer's own folder: refused at the first file, every file there intact.
start_tamsett "$src"
drv click "$TAMSETT_TITLE" Command1 || e2e_fail "could not press Install"
drv --timeout 30000 browse-folder "$TAMSETT_BROWSE_TEXT" "$(to_winpath "$src")" || e2e_fail "browser"
expect_msgbox "インストーラーと同じフォルダが選ばれたため、「cloud_connect.exe」をコピーできません。
インストールを中止しました。別のフォルダを選んで、もう一度インストールしてください。" "$TAMSETT_TITLE"
expect_tamsett_exit 1
expect_installed "$src"

[[ ! -e "$PDF_OPENED" ]] || e2e_fail "a guide was opened: $(cat "$PDF_OPENED")"
echo "nothing installed on Cancel; stopped at a missing file; own folder refused"
