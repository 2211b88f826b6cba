#!/usr/bin/env bash
# Renders the two guides from distribution/guides (HTML, one style sheet, pictures in images/)
# into PDF documents with WeasyPrint, the Japanese text in Noto Sans CJK (embedded):
#   install.html -> IJCAD-Quarrendon_インストール.pdf   installing and setting up the CAD
#   usage.html   -> IJCAD-Quarrendon.pdf                  a run step by step
#   scripts/guides.sh [OUTPUT-FOLDER]     (default build/dist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/dist}
src=$root/distribution/guides
command -v weasyprint >/dev/null || { echo "guides: weasyprint is missing (Debian package weasyprint)" >&2; exit 1; }
[[ -n "$(fc-list "Noto Sans CJK JP" family)" ]] || { echo "guides: the font Noto Sans CJK JP is missing (fonts-noto-cjk)" >&2; exit 1; }
mkdir -p "$out"
render() {
  # WeasyPrint warns about CSS it ignores; only failures matter here.
  weasyprint --base-url "$src/" "$src/$1" "$out/$2" 2> >(grep -v "^WARNING" >&2)
}
render install.html "IJCAD-Quarrendon_インストール.pdf"
render usage.html "IJCAD-Quarrendon.pdf"
