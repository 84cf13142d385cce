#!/usr/bin/env bash
# Rebuilds the seed corpus of the fuzz targets from the donation lists of the golden cases and
# the examples: whole lists for the program, single lines for the line parser (first byte '0'
# for line 1, '1' for a later line), second fields for the date parser. Files are named by the
# SHA-1 of their content, as libFuzzer names its own. The committed corpus is this seed set
# minimized together with what fuzzing found (fuzz_TARGET -merge=1 NEW tests/fuzz/corpus/TARGET
# FOUND), so it keeps every input that reaches new code.
#   tests/fuzz/make_corpus.sh            (from anywhere; writes tests/fuzz/corpus/*)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
corpus=$here/corpus
max_list_bytes=65536

put() {  # folder, content file
  local name
  name=$(sha1sum < "$2" | cut -c1-40)
  cp "$2" "$1/$name"
}

mkdir -p "$corpus/program" "$corpus/line_parser" "$corpus/date" "$corpus/workbook"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

lists=()
for f in "$root"/tests/golden/*/* "$root"/examples/*/*.txt; do
  base=$(basename "$f")
  case $base in
    about | args | setup | expected.* | *.md) continue ;;
  esac
  [ -f "$f" ] && [ "$(stat -c %s "$f")" -le $max_list_bytes ] && lists+=("$f")
done

for list in "${lists[@]}"; do
  put "$corpus/program" "$list"
  number=0
  while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    if [ $number -eq 1 ]; then prefix=0; else prefix=1; fi
    printf '%s%s' "$prefix" "$line" > "$scratch/line"
    put "$corpus/line_parser" "$scratch/line"
    if [[ $line == *$'\t'* ]]; then
      rest=${line#*$'\t'}
      printf '%s' "${rest%%$'\t'*}" > "$scratch/date"
      put "$corpus/date" "$scratch/date"
    fi
  done < "$list"
done

# Forms the lists may not show.
for date in "1/15/2020" "15 Jan 2020" "15-jan-2020" "15 JANUARY 2020" "15 Sept, 2020" \
            "2/29/2021" "12/31/2038" "1/19/38" "0/15/2020" "1/15/1850" "-5/3/-7" "15  Jan 2020" \
            "2020-01-15T10:30" "2020/2/30" "Sept 5,2023" "Jan 15 2020 "; do
  printf '%s' "$date" > "$scratch/date"
  put "$corpus/date" "$scratch/date"
done
# Small workbooks of every kind the generator writes (but the one that inflates past the limit),
# and the files a spreadsheet program saved.
for kind in xlsx-list xlsx-dates-1904 xlsx-leap-1900 ods-list docx malformed laughs truncated; do
  python3 "$root/tests/workbooks/make_workbook.py" "$kind" "$scratch/workbook"
  put "$corpus/workbook" "$scratch/workbook"
done
for f in "$root"/tests/golden/*/gnumeric.*; do
  put "$corpus/workbook" "$f"
done
echo "program: $(ls "$corpus/program" | wc -l), line_parser: $(ls "$corpus/line_parser" | wc -l)," \
     "date: $(ls "$corpus/date" | wc -l), workbook: $(ls "$corpus/workbook" | wc -l)"
