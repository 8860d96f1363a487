#!/bin/bash
# The README's table of the four landscapes is sa_study's: each row is run again, 1000 runs
# from seed 1, and must read as the README has it, figure for figure.
# Usage: landscapes_test.sh SA_STUDY README
set -eu
study=$1
readme=$2
fail() { echo "landscapes_test: $*" >&2; exit 1; }

# A row of the table from a study's CSV row: the shares of runs whose best point is on the
# exact optimum and on the global peak, to one decimal, and the TTS99 of each in trials, with
# thousands separated ("-" where no run reached it).
row() {
  local landscape=$1 schedule=$2
  shift 2
  "$study" --seed 1 --runs 1000 --landscape "$landscape" "$@" --csv - 2>/dev/null | tail -1 |
    awk -F, -v name="$landscape" -v schedule="$schedule" '
      function whole(text,   n, s) {
        if (text == "") return "-";
        s = sprintf("%.0f", text);
        for (n = length(s) - 3; n > 0; n -= 3) s = substr(s, 1, n) "," substr(s, n + 1);
        return s;
      }
      { printf "| %s | %s | %.1f %% | %.1f %% | %s | %s |\n", name, schedule,
          100 * $9 / $8, 100 * $10 / $8, whole($19), whole($24) }'
}

rows=$(
  for landscape in smooth needle deceptive rugged; do
    row "$landscape" "pure climb" --t0 0.000001 --t-final 0.0000001
    row "$landscape" "the demo's"
    row "$landscape" "slow, α 0.99" --alpha 0.99
  done
)
[ "$(wc -l <<<"$rows")" -eq 12 ] || fail "expected 12 rows, not: $rows"
while IFS= read -r line; do
  grep -qxF -- "$line" "$readme" || fail "the README has no row $line"
done <<<"$rows"
# What the prose says of them: the demo's schedule needs more than fifty times the climbs'
# trials on the smooth hill; on the needle the three lie within a factor of 1.4; the rugged
# hill has 20 hills.
tts() { awk -F'|' -v name="$1" -v schedule="$2" '$2 == " " name " " && $3 == " " schedule " " {
  gsub(/[ ,]/, "", $6); print $6 }' <<<"$rows"; }
awk -v climb="$(tts smooth "pure climb")" -v demo="$(tts smooth "the demo's")" \
  'BEGIN { exit !(demo > 50 * climb) }' || fail "the smooth hill's ratio is not above fifty"
awk -v a="$(tts needle "pure climb")" -v b="$(tts needle "the demo's")" -v c="$(tts needle "slow, α 0.99")" \
  'BEGIN { lo = a; hi = a; if (b < lo) lo = b; if (c < lo) lo = c; if (b > hi) hi = b; if (c > hi) hi = c
           exit !(hi <= 1.4 * lo) }' || fail "the needle's TTS99 are not within a factor of 1.4"
"$study" --hills --landscape rugged | grep -q '^20 hills, ' || fail "the rugged landscape has not 20 hills"
echo "landscapes_test: passed"
