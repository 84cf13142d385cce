#!/usr/bin/env bash
# Keeps the worked examples and the README honest: runs quorva with the commands each README
# gives, then checks the README against what the program printed.
#
# Usage: check_examples.sh QUORVA EXAMPLES_DIR [README...]
# Checks EXAMPLES_DIR/*/README.md and any further README named.
#
# In each README:
#   - inside a ```sh block, "cd DIR" changes the folder the next commands run in (relative to
#     the README's own folder, where they start), and a line whose first word is quorva or
#     ends in /quorva is a command (arguments are split at blanks; it runs with the QUORVA
#     given, in a fresh scratch copy of the folder, and must exit with status 0);
#   - every ```text block is an excerpt of the output of the command above it: its lines
#     must all appear in that output, in the same order, each as a whole line ("..." marks
#     lines left out);
#   - every figure written in backticks in the prose (`$1234.56`, `-$5.00`, `33.3%`) must
#     appear in the output of one of its commands, so a figure quoted in a sentence cannot
#     go stale.
# The output of a command is the report file when it names one with -o=, otherwise its
# standard output. With QUORVA_SKIP_SPREADSHEETS=1 (a build without libzip and expat) a command
# that names an .xlsx or .ods list is passed over with its excerpts.
set -u
binary=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$2
failed=0
checked=0
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorva-examples.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "$*"
  failed=1
}

# Runs one README command in a copy of dir; names the file that holds its output in $output.
run_command() {  # dir name command n
  local dir=$1 name=$2 command=$3 n=$4 a status
  local -a words args
  read -r -a words <<< "$command"
  args=("${words[@]:1}")
  output_name=actual.out
  for a in "${args[@]}"; do
    case $a in -o=* | /o=*) output_name=${a#??=} ;; esac
  done
  work=$scratch/$name.$n
  mkdir -p "$work"
  cp -R "$dir"/. "$work"/
  (cd "$work" && env -i TZ=America/New_York LC_ALL=C PATH=/usr/bin:/bin "$binary" "${args[@]}" > actual.out)
  status=$?
  [ "$status" = 0 ] || fail "$label: '$command' ended with exit status $status, expected 0"
  output=$work/$output_name
  [ -f "$output" ] || fail "$label: '$command' wrote no $output_name"
  cat "$output" >> "$scratch/$name.all" 2>/dev/null
}

check_excerpt() {  # name excerpt-file output-file
  local missing
  missing=$(awk -v name="$label" '
    FILENAME == ARGV[1] { out[++n] = $0; next }
    $0 == "..." { next }
    {
      while (pos < n && out[pos + 1] != $0) pos++
      if (pos >= n) { printf "%s: line not in the output (in this order): %s\n", name, $0; exit }
      pos++
    }' "$3" "$2")
  [ -z "$missing" ] || fail "$missing"
}

shift 2
for readme in "$examples"/*/README.md "$@"; do
  home=$(cd "$(dirname "$readme")" && pwd)
  dir=$home
  case $readme in
    "$examples"/*/README.md) name=$(basename "$home") label=examples/$name ;;
    *) name=$(basename "$readme") label=$readme ;;
  esac
  : > "$scratch/$name.all"
  runs=0
  excerpts=0
  output=""
  # The README as a sequence of commands and excerpt blocks, in document order.
  awk -v base="$scratch/$name.block" '
    /^```sh[[:space:]]*$/   { mode = "sh"; next }
    /^```text[[:space:]]*$/ { mode = "text"; file = base "." ++blocks; printf "" > file; print "TEXT\t" file; next }
    /^```/                  { mode = ""; next }
    mode == "sh" && /^cd /  { print "CD\t" $2 }
    mode == "sh" && $1 ~ /(^|\/)quorva$/ { print "RUN\t" $0 }
    mode == "text"          { print > file }' "$readme" > "$scratch/$name.plan"
  while IFS=$'\t' read -r kind value; do
    if [ "$kind" = CD ]; then
      dir=$(cd "$home" && cd "$value" && pwd) || fail "$label: no folder $value"
    elif [ "$kind" = RUN ] && [ "${QUORVA_SKIP_SPREADSHEETS:-0}" = 1 ] &&
      [[ " $value " =~ \.(xlsx|ods)[[:space:]] ]]; then
      skipping=1  # a build that cannot read spreadsheets: this command and its excerpts
    elif [ "$kind" = RUN ]; then
      skipping=0
      runs=$((runs + 1))
      run_command "$dir" "$name" "$value" "$runs"
    elif [ "${skipping:-0}" = 1 ]; then
      continue
    elif [ -z "$output" ] || [ ! -f "$output" ]; then
      fail "$label: a text block comes before any quorva command that wrote output"
    else
      excerpts=$((excerpts + $(grep -cvx '\.\.\.' "$value")))
      check_excerpt "$name" "$value" "$output"
    fi
  done < "$scratch/$name.plan"
  if [ "$runs" = 0 ]; then
    fail "$label: no quorva command in a sh block"
    continue
  fi

  # Figures quoted in backticks outside the fenced blocks.
  figures=0
  while IFS= read -r figure; do
    figures=$((figures + 1))
    grep -qF -- "$figure" "$scratch/$name.all" ||
      fail "$label: figure $figure quoted in the README is in no output"
  done < <(awk '/^```/ {inside = !inside; next} !inside {print}' "$readme" |
    grep -oE '`-?\$[0-9]+\.[0-9]{2}`|`-?[0-9]+\.[0-9]%`' | tr -d '`' | sort -u)

  echo "$label: $runs run(s), $excerpts excerpt lines, $figures quoted figures checked"
  checked=$((checked + 1))
done

[ "$checked" != 0 ] || fail "no example README.md found under $examples"
exit $failed
