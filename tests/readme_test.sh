#!/bin/bash
# The README's figures are the program's: every command it shows as `./build/sa_study ...`
# followed by a ```text block is run, without the picture its --plot would draw, and the block
# must appear, line for line, in what the command prints. Commands without such a block are left alone; a README with no checked block
# at all fails, since then the pattern below has gone stale.
# Usage: readme_test.sh SA_STUDY README
set -eu
study=$1
readme=$2
fail() { echo "readme_test: $*" >&2; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# Each checked command and its block, as files cmd.N and expected.N.
awk -v dir="$dir" '
  function flush_command() { command = ""; }
  /^    \.\/build\/sa_study / || continued {
    line = $0; sub(/^ +/, "", line);
    continued = sub(/ *\\$/, " ", line);
    command = command line;
    next;
  }
  /^```text$/ && command != "" {
    n++; print command > (dir "/cmd." n); in_block = 1; next;
  }
  /^```$/ && in_block { in_block = 0; flush_command(); next; }
  in_block { print > (dir "/expected." n); next; }
  /^```/ { flush_command(); }
  /^[^ ]/ { flush_command(); }
' "$readme"

count=$(find "$dir" -name 'cmd.*' | wc -l)
[ "$count" -gt 0 ] || fail "no command with a checked block in $readme"
for cmd in "$dir"/cmd.*; do
  n=${cmd##*.}
  read -r -a words <"$cmd"
  [ "${words[0]}" = ./build/sa_study ] || fail "block $n: not a command of sa_study"
  arguments=()
  for ((i = 1; i < ${#words[@]}; i++)); do
    case ${words[i]} in
      --plot) i=$((i + 1)) ;;
      --plot=*) ;;
      *) arguments+=("${words[i]}") ;;
    esac
  done
  "$study" "${arguments[@]}" >"$dir/out.$n" || fail "block $n: ${words[*]} failed"
  # The block's lines, in order and together, within the output.
  lines=$(wc -l <"$dir/expected.$n")
  found=no
  total=$(wc -l <"$dir/out.$n")
  for ((start = 1; start + lines - 1 <= total; start++)); do
    if sed -n "${start},$((start + lines - 1))p" "$dir/out.$n" | cmp -s - "$dir/expected.$n"; then
      found=yes
      break
    fi
  done
  [ "$found" = yes ] || {
    diff "$dir/expected.$n" "$dir/out.$n" >&2 || true
    fail "block $n: ${words[*]} does not print what the README says"
  }
done
echo "readme_test: $count README figures are what sa_study prints"
