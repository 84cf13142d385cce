#!/usr/bin/env bash
# The worksheet replaces its file whole: the new file keeps the permissions of the one it
# replaces, a symbolic link stays a link and the file it leads to is replaced, and a run that
# cannot write the worksheet leaves no temporary file behind.
set -u
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-replaced.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
printf 'Ann\t1/15/2024\t100.00\n' > gifts.txt
run() { env -i TZ=America/New_York LC_ALL=C PATH=/usr/bin:/bin "$binary" "$@" > /dev/null; }
failed=0
check() {  # condition message
  if ! eval "$1"; then echo "worksheet_replaced: $2"; failed=1; fi
}

echo old > kept.csv
chmod 640 kept.csv
run -w=kept.csv gifts.txt
check '[ "$(stat -c %a kept.csv)" = 640 ]' "permissions of the replaced file not kept"
check 'grep -q "^II,1," kept.csv' "worksheet not written over the old file"

mkdir target
echo old > target/sheet.csv
ln -s target/sheet.csv link.csv
run -w=link.csv gifts.txt
check '[ -L link.csv ]' "the symbolic link was replaced by a file"
check 'grep -q "^II,1," target/sheet.csv' "the file the link leads to was not replaced"

ln -s missing/nowhere.csv dangling.csv
run -w=dangling.csv gifts.txt
check '[ -L dangling.csv ] && [ ! -e missing ]' "a dangling link was changed"
check '[ -z "$(ls -A . | grep quorva-)" ]' "a temporary file was left behind"
exit $failed
