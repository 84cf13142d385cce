#!/usr/bin/env bash
# A workbook where the ZIP library cannot be loaded (a broken file of its name comes first on
# the library path): an error that names the loader's reason and says what to install, no row
# read, status 1.
set -u
binary=$1
zip_library=$2
workbook=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
: > "$work/$zip_library"
cp "$workbook" "$work/gifts.xlsx"
cd "$work" || exit 2

output=$(env -i TZ=America/New_York LC_ALL=C LD_LIBRARY_PATH="$work" "$binary" gifts.xlsx)
status=$?
failed=0
if [ "$status" -ne 1 ]; then
  echo "exit status $status, expected 1 (a workbook that was not read is an error)"
  failed=1
fi
expected="? ERROR: List gifts.xlsx is a spreadsheet, and the library to read it cannot be loaded: $work/$zip_library: file too short; install libzip and expat, or save the list as tab-separated text"
if ! grep -qxF "$expected" <<< "$output"; then
  echo "missing line: $expected"
  echo "$output"
  failed=1
fi
if ! grep -qxF '!        0 lines read' <<< "$output"; then
  echo "a row of the workbook was read"
  failed=1
fi
exit $failed
