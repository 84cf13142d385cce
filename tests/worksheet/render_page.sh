#!/usr/bin/env bash
# Renders the worksheet page of the community-theatre example in headless Chromium: the text of
# the rendered page must hold each Part's verdict and the Part II line 14 figure, the page must
# print on two Letter pages, and a screenshot is left for a person to look at.
#
# Usage: render_page.sh QUORVA EXAMPLES_DIR OUT_DIR
# Ends with status 77 (skipped) when chromium is not installed.
set -u
binary=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$2
out=$3
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed (Debian: apt-get install chromium); skipped"
  exit 77
fi
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/quorva-page.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$examples"/community-theatre/ledger.txt "$work"/
(cd "$work" && env -i TZ=America/New_York LC_ALL=C PATH=/usr/bin:/bin "$binary" ledger.txt \
  -w=worksheet.html > /dev/null) || { echo "quorva failed"; exit 1; }

# A fresh profile, nothing fetched, no background services.
chrome() {
  rm -rf "$work/profile"
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" "$@" "file://$work/worksheet.html" 2> "$work/chrome.log"
}

failed=0
chrome --dump-dom > "$work/dom.html"
for text in "Part II: line 18 — private foundation" \
            "Part III: line 19a — 33 1/3% support tests, current year" \
            '<td class="num">9.77%</td>'; do
  if ! grep -qF "$text" "$work/dom.html"; then
    echo "the rendered page lacks: $text"
    failed=1
  fi
done

chrome --window-size=816,2200 --screenshot="$out/worksheet.png" > /dev/null
if [ ! -s "$out/worksheet.png" ]; then
  echo "no screenshot"
  failed=1
fi

chrome --no-pdf-header-footer --print-to-pdf="$out/worksheet.pdf" > /dev/null
pages=$(grep -ac '/Type */Page$' "$out/worksheet.pdf")
if [ "$pages" != 2 ]; then
  echo "the page prints on $pages Letter pages, not 2"
  failed=1
fi
[ $failed = 0 ] && echo "rendered: $out/worksheet.png, $out/worksheet.pdf ($pages pages)"
exit $failed
