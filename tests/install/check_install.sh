#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout a treasurer's machine gets:
# the program on bin/, the manual page where man finds it, the guide and the examples side
# by side under share/doc/quorva. Also checks that the manual page formats without a warning
# when groff is on the machine.
set -u
build=$1
source=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quorva-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failed=0

if ! cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1; then
  cat "$prefix.log"
  rm -f "$prefix.log"
  echo "install: cmake --install failed"
  exit 1
fi
rm -f "$prefix.log"

for f in bin/quorva share/man/man1/quorva.1 share/doc/quorva/docs/user-guide.md; do
  [ -f "$prefix/$f" ] || { echo "install: $f missing"; failed=1; }
done
[ -x "$prefix/bin/quorva" ] || { echo "install: bin/quorva is not executable"; failed=1; }

# Every example folder with every file in it.
(cd "$source/examples" && find . -type f | sort) > "$prefix/expected.examples"
(cd "$prefix/share/doc/quorva/examples" 2>/dev/null && find . -type f | sort) > "$prefix/actual.examples"
if ! diff -u "$prefix/expected.examples" "$prefix/actual.examples"; then
  echo "install: the installed examples differ from examples/"
  failed=1
fi

# The installed program runs the installed demo list.
if ! (cd "$prefix/share/doc/quorva/examples/food-pantry" &&
  env -i TZ=America/New_York PATH=/usr/bin:/bin "$prefix/bin/quorva" donations.txt |
  grep -q '^! FORM 990 INFORMATION Part II 509(a)(1)$'); then
  echo "install: the installed quorva did not print Part II for the installed food pantry list"
  failed=1
fi

if command -v groff > /dev/null 2>&1; then
  warnings=$(groff -t -man -Tutf8 -ww "$prefix/share/man/man1/quorva.1" 2>&1 > /dev/null)
  if [ -n "$warnings" ]; then
    echo "install: groff warns about the manual page:"
    echo "$warnings"
    failed=1
  fi
else
  echo "install: groff not found, manual page formatting not checked"
fi

[ "$failed" = 0 ] && echo "install: layout checked under a scratch prefix"
exit $failed
