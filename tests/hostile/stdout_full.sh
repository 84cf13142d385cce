#!/usr/bin/env bash
# Standard output on a full disk (quorva list > /dev/full): the console never received the
# report, so the run must end with status 1, write nothing to standard error, and still leave
# a complete report file when one was named.
set -u
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
printf 'Ann Lee\t1/15/2020\t100\n' > gifts.txt
failed=0

env -i TZ=America/New_York LC_ALL=C "$binary" gifts.txt > /dev/full 2> errors.txt
status=$?
if [ "$status" -ne 1 ]; then
  echo "console on /dev/full: exit status $status, expected 1"
  failed=1
fi

env -i TZ=America/New_York LC_ALL=C "$binary" -o=report.txt gifts.txt > /dev/full 2>> errors.txt
status=$?
if [ "$status" -ne 1 ]; then
  echo "console on /dev/full with a report file: exit status $status, expected 1"
  failed=1
fi
if [ "$(tail -n 1 report.txt)" != "! INFO: No errors." ]; then
  echo "the report file does not end with the closing tallies:"
  tail -n 3 report.txt
  failed=1
fi
# --help and --version answer alone; an answer that was lost is a failure all the same.
for option in --help --version; do
  env -i TZ=America/New_York LC_ALL=C "$binary" "$option" > /dev/full 2>> errors.txt
  status=$?
  if [ "$status" -ne 1 ]; then
    echo "$option with the console on /dev/full: exit status $status, expected 1"
    failed=1
  fi
done
if [ -s errors.txt ]; then
  echo "standard error is not empty:"
  head -n 5 errors.txt
  failed=1
fi
exit $failed
