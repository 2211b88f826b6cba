#!/usr/bin/env bash
# The distribution as scripts/dist.sh leaves it: the installer and exactly the eight files it
# installs; the CAD-side files and settings in CP932 with CR LF line ends; the guides with their
# Japanese text searchable, the Noto CJK font embedded and every picture of the source in them;
# each program with its manifest, icon and version information, and without debug sections.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${HARLOWE_SOURCE_DIR:=$(cd "$here/../.." && pwd)}"
dist=${HARLOWE_DIST_DIR:-$HARLOWE_SOURCE_DIR/build/dist}
guides=$HARLOWE_SOURCE_DIR/distribution/guides
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[[ -f "$dist/tamsett.exe" ]] || fail "no distribution in $dist (run scripts/dist.sh)"

want="IJCAD-Quarrendon.pdf|IJCAD-Quarrendon_インストール.pdf|cloud_connect.exe|cloud_install_dir.lsp|cloud_start.lsp|delay.dat|harlowe.exe|mkscr.ini|tamsett.exe"
got=$(cd "$dist" && LC_ALL=C ls | paste -sd'|')
[[ "$got" == "$want" ]] || fail "build/dist holds $got"

for f in cloud_install_dir.lsp cloud_start.lsp mkscr.ini delay.dat; do
  iconv -f CP932 -t UTF-8 "$dist/$f" >/dev/null 2>&1 || fail "$f is not CP932 text"
  lines=$(wc -l <"$dist/$f")
  crlf=$(grep -c $'\r$' "$dist/$f")
  ((lines > 0 && lines == crlf)) || fail "$f: $crlf of $lines lines end in CR LF"
done
[[ $(od -An -c "$dist/delay.dat" | tr -d ' \n') == '5\r\n' ]] || fail "delay.dat: $(od -c "$dist/delay.dat")"
grep -qx $'\\[Main\\]\r' "$dist/mkscr.ini" || fail "mkscr.ini has no [Main] section"

# The resource types in the programs' resource directory: 14 icon group, 16 version information,
# 24 manifest.
objdump=x86_64-w64-mingw32-objdump
for exe in cloud_connect harlowe tamsett; do
  f="$dist/$exe.exe"
  types=$($objdump -p "$f" | sed -nE 's/^[0-9a-f]{3}   Entry: ID: 0x0*([0-9a-f]+),.*/\1/p' | paste -sd' ')
  for t in e 10 18; do
    [[ " $types " == *" $t "* ]] || fail "$exe.exe lacks resource type 0x$t (it has: $types)"
  done
  for setting in '<dpiAware[^>]*>true<' '<longPathAware[^>]*>true<' 'Microsoft.Windows.Common-Controls'; do
    grep -aqE "$setting" "$f" || fail "$exe.exe: its manifest lacks $setting"
  done
  strings -el "$f" | grep -qx Harlowe || fail "$exe.exe: no product name Harlowe in its version information"
  debug=$($objdump -h "$f" | awk '$2 ~ /^\.debug/ { print $2 }' | paste -sd' ')
  [[ -z "$debug" ]] || fail "$exe.exe carries debug sections: $debug"
done

check_guide() { # PDF SOURCE PHRASE...
  local pdf="$dist/$1" src="$guides/$2" text pictures
  shift 2
  pdffonts "$pdf" | grep -q "Noto-Sans-CJK-JP.*yes yes yes" || fail "$pdf: Noto Sans CJK JP not embedded"
  text=$(pdftotext -layout "$pdf" - | tr -d ' ')
  for phrase in "$@"; do
    [[ "$text" == *"${phrase// /}"* ]] || fail "$(basename "$pdf") lacks \"$phrase\""
  done
  pictures=$(grep -o 'src="images/[^"]*"' "$src" | wc -l)
  (($(pdfimages -list "$pdf" | tail -n +3 | awk '$3 == "image"' | wc -l) == pictures)) ||
    fail "$(basename "$pdf") holds $(pdfimages -list "$pdf" | tail -n +3 | wc -l) pictures, its source $pictures"
}
check_guide "IJCAD-Quarrendon_インストール.pdf" install.html "Harlowe インストールと CAD の設定" \
  "インストールするフォルダの選択" "cloud_install_dir.lsp" "TRUSTEDPATHS" "CommandCaption" \
  "delay.dat" "Lay.dat" "CLOUD"
check_guide "IJCAD-Quarrendon.pdf" usage.html "Harlowe 操作ガイド" "SubSample" "レイヤー選択" \
  "QMR_実行.log" "メッセージ一覧" "CADが見つかりませんでした。"
for img in $(grep -oh 'images/[^"]*' "$guides"/*.html); do
  [[ -f "$guides/$img" ]] || fail "the guides show $img, which is missing"
done
echo "distribution: 9 files, programs with resources and stripped, text files in CP932 with CR LF, both guides complete"
