#!/usr/bin/env bash
# Runs one golden case: quorva with the case's args in a copy of the case folder,
# then compares standard output, exit status and any report files byte for byte.
#
# A case folder holds:
#   about            one line: what the case shows
#   args             one argument per line (may be absent: no arguments)
#   setup            optional script run first in the copy (to generate large lists)
#   expected.out     exact standard output
#   expected.status  exit status (0 when absent)
#   expected.report  exact content of report.txt written by the run (optional)
#   expected.file.N  exact content of the file N written by the run (optional)
#   file-size-limit  optional: the largest file the run may write, in 512-byte blocks (as
#                    ulimit -f), so that a write fails as on a full disk; the console still
#                    reaches actual.out whole, through a pipe
#
# With UPDATE_GOLDEN=1 the run's own output is written beside the expected files for review
# (actual.out, actual.status, actual.report, actual.file.N; ignored by git), and a missing
# expected.out is written from it. The case still fails until a person has read the new files
# and made them the expected ones: an expectation is never taken on trust from the program.
set -u
binary=$1
case_dir=$(cd "$2" && pwd)
name=$(basename "$case_dir")

work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-golden.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R "$case_dir"/. "$work"/
cd "$work" || exit 2

if [ -f setup ]; then
  if ! bash ./setup; then
    echo "golden/$name: setup failed"
    exit 1
  fi
fi

args=()
if [ -f args ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    args+=("$line")
  done < args
fi

if [ -f file-size-limit ]; then
  # Writes past the limit fail with EFBIG instead of ending the process (SIGXFSZ ignored).
  limit=$(tr -d '[:space:]' < file-size-limit)
  ( ulimit -f "$limit"; trap '' XFSZ
    exec env -i TZ=America/New_York LC_ALL=C PATH=/usr/bin:/bin "$binary" "${args[@]}" ) | cat > actual.out
  status=${PIPESTATUS[0]}
else
  env -i TZ=America/New_York LC_ALL=C PATH=/usr/bin:/bin "$binary" "${args[@]}" > actual.out
  status=$?
fi

failed=0
expected_status=0
[ -f expected.status ] && expected_status=$(tr -d '[:space:]' < expected.status)
if [ "$status" != "$expected_status" ]; then
  echo "golden/$name: exit status $status, expected $expected_status"
  failed=1
fi

if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
  cp actual.out "$case_dir/actual.out"
  echo "$status" > "$case_dir/actual.status"
  [ -f report.txt ] && cp report.txt "$case_dir/actual.report"
  for f in expected.file.*; do
    [ -f "$f" ] && [ -f "${f#expected.file.}" ] && cp "${f#expected.file.}" "$case_dir/actual.file.${f#expected.file.}"
  done
  if [ ! -f expected.out ]; then
    cp actual.out "$case_dir/expected.out"
    echo "golden/$name: expected.out was missing; written from this run for review"
    failed=1
  fi
fi

compare() {  # expected-file actual-file label
  if [ ! -f "$2" ]; then
    echo "golden/$name: $3 was not written"
    failed=1
  elif [ ! -f "$1" ]; then
    echo "golden/$name: $1 is missing"
    failed=1
  elif ! cmp -s "$1" "$2"; then
    echo "golden/$name: $3 differs (--- expected, +++ actual):"
    diff -u --label expected --label actual "$1" "$2" | cat -A | head -80
    failed=1
  fi
}

compare expected.out actual.out "standard output"
[ -f expected.report ] && compare expected.report report.txt "report.txt"
for f in expected.file.*; do
  [ -f "$f" ] || continue
  compare "$f" "${f#expected.file.}" "${f#expected.file.}"
done

exit $failed
