#!/usr/bin/env bash
# Builds the Debian package, installs it with dpkg, checks that quorva is on the PATH, that
# `man quorva` finds its page and that the installed demo list runs, then removes the package.
# Changes the machine (needs root and dpkg), so it is not part of `make test`: run it by hand
# or from CI as `tests/install/check_package.sh build`.
set -u
build=${1:-build}
failed=0

if dpkg -s quorva > /dev/null 2>&1; then
  echo "package: quorva is already installed; remove it first (dpkg -r quorva)"
  exit 1
fi
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/quorva_*.deb 2> /dev/null | tail -1)
[ -n "$deb" ] || { echo "package: no quorva_*.deb in $build"; exit 1; }

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/quorva ./usr/share/man/man1/quorva.1 ./usr/share/doc/quorva/docs/user-guide.md \
  ./usr/share/doc/quorva/examples/food-pantry/donations.txt; do
  grep -q " $f\$" <<< "$contents" || { echo "package: $f not in $deb"; failed=1; }
done

dpkg -i "$deb" > /dev/null || { echo "package: dpkg -i $deb failed"; exit 1; }
[ "$(command -v quorva)" = /usr/bin/quorva ] || { echo "package: quorva is not on the PATH"; failed=1; }
if command -v man > /dev/null 2>&1; then
  [ "$(man -w quorva 2> /dev/null)" = /usr/share/man/man1/quorva.1 ] ||
    { echo "package: man quorva does not find the page"; failed=1; }
  man quorva 2> /dev/null | grep -q 'compute Form 990 Schedule A' ||
    { echo "package: man quorva does not show the page"; failed=1; }
else
  echo "package: man not found, manual page lookup not checked"
fi
(cd /usr/share/doc/quorva/examples/food-pantry && TZ=America/New_York quorva donations.txt |
  grep -q '^!       Part II line 16a support         OK (check the box)$') ||
  { echo "package: the installed demo did not pass line 16a"; failed=1; }
dpkg -r quorva > /dev/null || { echo "package: dpkg -r quorva failed"; failed=1; }
[ ! -e /usr/bin/quorva ] || { echo "package: /usr/bin/quorva left after dpkg -r"; failed=1; }

[ "$failed" = 0 ] && echo "package: $(basename "$deb") installs, runs, shows its manual page and removes cleanly"
exit $failed
