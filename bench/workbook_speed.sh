#!/usr/bin/env bash
# Reading a workbook against reading the same rows as a tab-separated list: writes a workbook
# of ROWS gifts (default 100,000) and the same list as text with tests/workbooks/make_workbook.py,
# and counts the instructions (callgrind: stable on a shared machine) of quorva on each and of
# inflating and parsing the sheet alone (workbook_floor.c), the floor set by libzip and expat.
#   bench/workbook_speed.sh QUORVA [ROWS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
quorva=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
rows=${2:-100000}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$here/../tests/workbooks/make_workbook.py" large "$out/list.xlsx" "$rows"
cc -O2 "$here/workbook_floor.c" -o "$out/floor" -lzip -lexpat
count() {  # instructions of one command
  valgrind --tool=callgrind --callgrind-out-file="$out/cg" "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p; s/.*refs: *\([0-9,]*\).*/\1/p' | tr -d , | head -1
}
text=$(count "$quorva" -n=6000 -o="$out/r1" "$out/list.xlsx.txt")
book=$(count "$quorva" -n=6000 -o="$out/r2" "$out/list.xlsx")
floor=$(count "$out/floor" "$out/list.xlsx" handlers)
echo "rows $rows: text list $text, workbook $book, inflate and parse alone $floor instructions"
awk -v t="$text" -v b="$book" -v f="$floor" \
  'BEGIN { printf "workbook / text %.1f, floor / text %.1f, workbook / floor %.2f\n", b / t, f / t, b / f }'
