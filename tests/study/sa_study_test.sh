#!/bin/sh
# sa_study end to end: a sweep's CSV is the same at any --jobs apart from its timing columns,
# a trace writes a row per level, and what cannot be studied is refused with one line and
# status 2.
# Usage: sa_study_test.sh SA_STUDY
set -eu
study=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "sa_study_test: $*" >&2; exit 1; }

sweep="--runs 300 --seed 5 --alpha 0.9,0.97 --t-final 0.1,0.01"
"$study" $sweep --jobs 1 --csv "$dir/one.csv" >/dev/null
"$study" $sweep --jobs 2 --csv "$dir/two.csv" >/dev/null
[ "$(wc -l <"$dir/one.csv")" -eq 5 ] || fail "a sweep of 4 schedules wrote $(wc -l <"$dir/one.csv") lines"
cut -d, -f1-12 "$dir/one.csv" >"$dir/one.cut"
cut -d, -f1-12 "$dir/two.csv" >"$dir/two.cut"
cmp -s "$dir/one.cut" "$dir/two.cut" || fail "--jobs 1 and --jobs 2 wrote different CSV files"

"$study" $sweep --target 1 >"$dir/target.txt"
grep -q '^Cheapest schedule reaching 1.00 % exact optimum' "$dir/target.txt" ||
  fail "--target 1 named no schedule"
"$study" --runs 20 --seed 5 --target 100 --first-run 7 >"$dir/none.txt"
grep -q '^20 runs (runs 7 to 26):$' "$dir/none.txt" || fail "--first-run is not reported"
grep -q '^No schedule reaches 100.00 % exact optimum.$' "$dir/none.txt" ||
  fail "--target 100 should find no schedule"

"$study" --trace --seed 5 --csv "$dir/trace.csv" >/dev/null
head -1 "$dir/trace.csv" | grep -qx 'level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo' ||
  fail "the trace's CSV heading is wrong"
[ "$(wc -l <"$dir/trace.csv")" -eq 228 ] || fail "the demo's trace should have 227 levels"

refused() {
  status=0
  "$@" >"$dir/out" 2>"$dir/err" || status=$?
  [ "$status" -eq 2 ] || fail "'$*' exited with $status, not 2"
  [ "$(wc -l <"$dir/err")" -eq 1 ] || fail "'$*' wrote $(wc -l <"$dir/err") error lines"
}
refused "$study" --alpha 1.5
refused "$study" --bits 30
refused "$study" --runs=0
refused env PATH=/nonexistent "$study" --plot "$dir/f.svg"
refused "$study" --runs 10 --csv "$dir/no/such/folder.csv"
echo "sa_study_test: passed"
