#!/usr/bin/env bash
# A list the user may not read: an error naming it, the run goes on, status 1.
# Permission bits do not stop root, so as root the program is run as the user nobody through
# setpriv; without setpriv the test is skipped (status 77).
set -u
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cd "$work" || exit 2
printf 'Ann Lee\t1/15/2020\t100\n' > locked.txt
chmod 000 locked.txt

run=("$binary")
if [ "$(id -u)" -eq 0 ]; then
  if ! command -v setpriv > /dev/null 2>&1; then
    echo "SKIP: running as root and setpriv is missing, so the file cannot be made unreadable"
    exit 77
  fi
  run=(setpriv --reuid=nobody --regid=nogroup --clear-groups "$binary")
  if ! setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$binary"; then
    echo "SKIP: the user nobody cannot reach $binary (a folder above it is private)"
    exit 77
  fi
fi

output=$(env -i TZ=America/New_York LC_ALL=C "${run[@]}" locked.txt)
status=$?
failed=0
if [ "$status" -ne 1 ]; then
  echo "exit status $status, expected 1 (a list that was not read is an error)"
  failed=1
fi
expected='? ERROR: Open donation list file failed for: locked.txt'
if ! grep -qxF "$expected" <<< "$output"; then
  echo "missing line: $expected"
  failed=1
fi
if grep -q 'funding amounts seen' <<< "$output"; then
  echo "the unreadable list was read"
  failed=1
fi
exit $failed
