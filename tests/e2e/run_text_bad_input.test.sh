#!/usr/bin/env bash
# Inputs that cannot be drawn whole, through the unattended run: a bad line far into a real export
# draws every point before it after a warning that names the line; an empty file is refused with
# an error and nothing reaches the CAD; a CR LF export separated by blanks, joined with LF and lone
# CR lines and starting with a byte-order mark, draws like its LF twin.
source "$(dirname "$0")/lib/run-scenario.sh"

src=$(sample table_mug_stereo_cc_space_lf.txt) || exit 1

exit_code() { sed -n 's/^exit\t//p' "$1/run.txt"; }

# 1. Line 5,001 of 10,001 has the colour "abc": 5,000 points are drawn after a warning.
awk 'NR == 5001 { $4 = "abc" } NR <= 10001 { print }' "$src" >"$work/bad_colour.txt"
"$here/harlowe-run.sh" --input "$work/bad_colour.txt" --filter txt --out "$work/bad" --step 1 \
  --unit m --timeout 300 && fail "a run with a warning exited 0"
[[ $(exit_code "$work/bad") == 0 ]] || fail "harlowe.exe ended with $(exit_code "$work/bad") after a warning"
grep -q "5001 行目を点として読み込めないため" "$work/bad/messages.txt" ||
  fail "the warning does not name line 5001: $(cat "$work/bad/messages.txt")"
grep -q "5000 点を描画します" "$work/bad/messages.txt" || fail "the warning: $(cat "$work/bad/messages.txt")"
(($(drawn "$work/bad") == 5000)) || fail "the CAD drew $(drawn "$work/bad") points, expected 5000"
log=$(iconv -f CP932 -t UTF-8 "$work/bad/QMR_実行.log")
grep -q "描画点数 : 5000"$'\r'"\?$" <<<"$log" || fail "the log: $log"

# 2. An empty file: an error, exit code 1, nothing pasted, no work file left.
: >"$work/empty.txt"
"$here/harlowe-run.sh" --input "$work/empty.txt" --filter txt --out "$work/empty" --step 1 \
  --timeout 120 && fail "an empty input exited 0"
[[ $(exit_code "$work/empty") == 1 ]] || fail "harlowe.exe ended with $(exit_code "$work/empty")"
grep -q "描画できる点がないため、CADへは何も送りません。" "$work/empty/messages.txt" ||
  fail "the error: $(cat "$work/empty/messages.txt")"
[[ ! -s "$work/empty/cad/evaluated.log" ]] || fail "the CAD received: $(cat "$work/empty/cad/evaluated.log")"
[[ $(cut -f1 "$work/empty/input-folder.txt") == "QMR_実行.log" ]] ||
  fail "left beside the input: $(cut -f1 "$work/empty/input-folder.txt" | paste -sd' ')"

# 3. The sample with a byte-order mark, CR LF line ends and blanks, some lines ending in LF or a
# lone CR, draws every point, as its LF twin does, and the log counts every line.
joined_twin "$src" " " >"$work/crlf_blanks.txt"
"$here/harlowe-run.sh" --input "$work/crlf_blanks.txt" --filter txt --out "$work/crlf" --step 1 \
  --unit m --timeout 300 || fail "the CR LF run did not end normally"
want=$(wc -l <"$src")
(($(drawn "$work/crlf") == want)) || fail "the CAD drew $(drawn "$work/crlf") points, expected $want"
bad=$(tail -n +2 "$work/crlf/cad/entities.tsv" | paste - "$src" | awk -F'\t' '
  function off(a, b) { d = a - b; if (d < 0) d = -d; return d > 1e-9 }
  { split($7, e, " ")
    if (off($3, e[1]) || off($4, e[2]) || off($5, e[3]) || $6 != e[4] * 65536 + e[5] * 256 + e[6]) {
      print "point " NR ": " $0; exit } }')
[[ -z "$bad" ]] || fail "$bad"
log=$(iconv -f CP932 -t UTF-8 "$work/crlf/QMR_実行.log")
grep -q "総点数 : $want"$'\r'"\?$" <<<"$log" || fail "the joined twin's log: $log"
echo "bad input: warning at line 5001 with 5000 points, empty file refused, joined CR LF + blanks drew $want"
