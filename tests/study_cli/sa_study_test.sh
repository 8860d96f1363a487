#!/bin/bash
# sa_study end to end: a sweep's CSV is the same at any --jobs apart from its timing columns,
# a trace writes a row per level, what cannot be studied is refused before any run, and no
# failure of standard output, of gnuplot or of the user's patience leaves a wrong status or a
# lost or half-written file.
# Usage: sa_study_test.sh SA_STUDY
set -eu
study=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "sa_study_test: $*" >&2; exit 1; }
cd "$dir"

sweep="--runs 300 --seed 5 --alpha 0.9,0.97 --t-final 0.1,0.01"
"$study" $sweep --jobs 1 --csv one.csv >/dev/null
"$study" $sweep --jobs 2 --csv two.csv >/dev/null
[ "$(wc -l <one.csv)" -eq 5 ] || fail "a sweep of 4 schedules wrote $(wc -l <one.csv) lines"
cmp -s <(cut -d, -f1-12 one.csv) <(cut -d, -f1-12 two.csv) ||
  fail "--jobs 1 and --jobs 2 wrote different CSV files"

"$study" $sweep --target 1 >target.txt
grep -q '^Cheapest schedule reaching 1.00 % exact optimum' target.txt ||
  fail "--target 1 named no schedule"
"$study" --runs 20 --seed 5 --target 100 --first-run 7 >none.txt
grep -q '^20 runs (runs 7 to 26):$' none.txt || fail "--first-run is not reported"
grep -q '^No schedule reaches 100.00 % exact optimum.$' none.txt ||
  fail "--target 100 should find no schedule"

"$study" --trace --seed 5 --csv trace.csv >/dev/null
head -1 trace.csv | grep -qx 'level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo' ||
  fail "the trace's CSV heading is wrong"
[ "$(wc -l <trace.csv)" -eq 228 ] || fail "the demo's trace should have 227 levels"
"$study" --trace --seed 5 --csv - 2>/dev/null | cmp -s - trace.csv || fail "--csv - is not the trace's CSV"

# A population is the same at any --jobs, a CSV row per level, and writes no other file.
pop="--population --seed 3 --runs 500 --t0 1 --alpha 0.9 --t-final 0.001"
mkdir alone && (cd alone && "$study" $pop --jobs 1 --csv ../pop1.csv >../pop.txt)
[ -z "$(ls -A alone)" ] || fail "--population without --plot wrote $(ls -A alone)"
"$study" $pop --jobs 2 --csv pop2.csv >/dev/null
head -1 pop1.csv | grep -qx 'level,temperature,runs,share_global_peak,boltzmann_global_peak,share_second_peak,boltzmann_second_peak,tv_distance' ||
  fail "the population's CSV heading is wrong"
[ "$(wc -l <pop1.csv)" -eq 67 ] && cmp -s pop1.csv pop2.csv || fail "--population is not one row per level at any --jobs"
grep -qx 'As the last level ends, at T 0.001061: 54.40 % of the runs on the global peak,' pop.txt ||
  fail "the population's report does not end on its last level"

# Hills follow f's shape at any grid: at 18 bits the global one runs from valley to valley; a
# grid too coarse to hold a point on the second, or near the global top, says so.
"$study" --seed 1 --runs 200 --bits 18 >bits18.txt
grep -qx '  best on the global peak        100.00 %   (decoded 73696..115035)' bits18.txt ||
  fail "the 18-bit global hill is wrong: $(grep 'global peak ' bits18.txt)"
"$study" --seed 1 --runs 20 --bits 2 >bits2.txt
grep -qx '  on a lower hill: every grid point on the global peak lies lower' bits2.txt &&
  grep -qx '  best on the second peak          0.00 %   (the grid has no point on it)' bits2.txt ||
  fail "a 2-bit grid's hills are not reported as it has them"

# A landscape's hills alone, found on its grid: the deceptive one's narrow top between two broad
# hills; a drawing's as a CSV; and a study on a formula names it in its report and CSV.
"$study" --hills --landscape deceptive >hills.txt
diff - hills.txt <<'EOF' || fail "the deceptive landscape's hills are not as found before"
landscape: deceptive, 17 bits

Exact optimum over all 131072 grid points:
  x = 0.099992   f(x) = 1.478955   decoded value 68812

3 hills, the highest first, each a basin from valley to valley:
  hill       top x      f(top)      from x        to x    points    share
     1    0.099992    1.478955    0.041031    0.156053      3770    2.88 %
     2   -1.200006    1.200003   -2.000000    0.041001     66880   51.03 %
     3    1.299982    1.000004    0.156083    2.000000     60422   46.10 %
EOF
"$study" --hills --landscape 'points:(-2,0.5),(-1,1.2),(0,0.7),(1,1.5),(2,0.3)' --bits 10 --csv - >drawn.csv
printf 'hill,top_x,top_value,from_x,to_x,points\n1,0.999022484,1.49999771,0.0019550342,2,512\n2,-0.999022484,1.19999857,-2,-0.0019550342,512\n' |
  cmp -s - drawn.csv || fail "a drawing's hills are not its two tops: $(cat drawn.csv)"
"$study" --seed 2 --runs 50 --landscape 'max(sin(3 * x), 0.2) + 1' --x-min 0 --x-max 3 --csv formula.csv >formula.txt
grep -qxF '          on max(sin(3 * x), 0.2) + 1 over [0, 3]' formula.txt ||
  fail "the report does not name the formula: $(sed -n 3,4p formula.txt)"
[ "$(tail -1 formula.csv | grep -o '"[^"]*"$')" = '"max(sin(3 * x), 0.2) + 1 over [0, 3]"' ] ||
  fail "the CSV does not quote the formula: $(tail -1 formula.csv)"

# Temperatures chosen automatically come from a sample seeded with the study's seed, for each
# grid, and the report says which and how.
"$study" --seed 1 --runs 20 --bits 12,17 --t0 auto --t-final auto:0.001 >auto.txt
grep -qx 'Temperatures chosen for 17 bits from 10000 random moves, 4994 worsening:' auto.txt &&
  grep -qx '  T0 0.6538858: worsening moves accepted 0.8 of the time on average' auto.txt &&
  grep -q '^  final T 4.303205e-08: the smallest worsening seen accepted 0.001 of the time$' auto.txt &&
  grep -q '^Temperatures chosen for 12 bits' auto.txt ||
  fail "the automatic temperatures are not reported as chosen"
grep -q '^0.6539 *0.97 *4e-08 *8 *17 ' auto.txt || fail "the sweep does not run the chosen temperatures"

# On a terminal, the planned work comes first on standard error.
script -qec "$study --seed 1 --runs 16 --alpha 0.9,0.97 >/dev/null" /dev/null >tty.txt
grep -q 'sa_study: 2 schedules x 16 runs, 3.75e+04 trials in all: under a second' tty.txt ||
  fail "no planned work on a terminal: $(cat tty.txt)"

# A study split with --first-run and merged is the whole study in every column but the
# timings: counts, times to solution and the mean best value, whose sum adds up exactly. A
# merge states the whole study, and names every run that no part holds.
laws="--seed 7 --cooling geometric,lundy-mees --t0 1 --t-final 0.001 --levels 100"
"$study" $laws --runs 300 --csv whole.csv >/dev/null
"$study" $laws --runs 100 --csv first.csv >/dev/null
"$study" $laws --runs 200 --first-run 100 --csv rest.csv >/dev/null
"$study" merge rest.csv first.csv --runs 300 --csv merged.csv >merged.txt
grep -q '^300 runs per schedule (runs 0 to 299, from 2 parts):$' merged.txt ||
  fail "the merged report does not say what it merged"
untimed() { cut -d, -f1-12,15-21,23-24,26-27,29-30 "$1"; }
cmp -s <(untimed whole.csv) <(untimed merged.csv) || fail "two parts merged are not the whole study"
[ "$(cut -d, -f28 merged.csv | tail -1)" = 0 ] || fail "merged medians are not marked as merged"
"$study" merge first.csv --first-run 0 --runs 100 >one.txt
grep -q '^100 runs per schedule (runs 0 to 99, from 1 part):$' one.txt || fail "one part is not one"
"$study" $laws --runs 50 --first-run 150 --csv late.csv >/dev/null
status=0
"$study" merge first.csv late.csv --runs 300 2>err.txt >/dev/null || status=$?
[ "$status" -eq 2 ] && [ "$(cat err.txt)" = "sa_study merge: no part holds runs 100 to 149 \
(between first.csv and late.csv) or runs 200 to 299 (after late.csv)" ] ||
  fail "the runs no part holds were not all named: $(cat err.txt)"

# Every line of every report fits 80 columns, the widest figures included.
for args in "--seed 1 --runs 1 --first-run 4294967295 --t0 auto:0.00001 --t-final auto:0.5" \
  "--seed 1 --runs 2 --t0 1.2345678e-30 --t-final 1.2345677e-30 --alpha 0.9999999,0.99999994 --trials 1000000" \
  "--seed 1 --runs 1 --target 0 --bits 2,24 --trials 1 --alpha 0.5" \
  "--trace --seed 1 --t0 1e30 --t-final 1e29 --alpha 0.5 --trials 1000000"; do
  "$study" $args >wide.txt
  wide=$(awk 'length($0) > 80' wide.txt)
  [ -z "$wide" ] || fail "'$args' printed lines wider than 80 columns: $wide"
done
grep -qx '1 run per schedule:' <("$study" --seed 1 --runs 1 --alpha 0.5,0.6) ||
  fail "one run is called runs"
grep -q '^Cheapest schedule reaching 0.00 % exact' <("$study" --seed 1 --runs 1 --target -0) ||
  fail "--target -0 is printed with its sign"

# status, then the one line expected on standard error, for a command run with its arguments
expect() {
  local want_status=$1 want_error=$2
  shift 2
  local status=0
  "$@" >out.txt 2>err.txt || status=$?
  [ "$status" -eq "$want_status" ] || fail "'$*' exited with $status, not $want_status"
  [ "$(cat err.txt)" = "$want_error" ] || fail "'$*' said '$(cat err.txt)', not '$want_error'"
}
expect 2 "sa_study: --plot needs gnuplot (apt-get install gnuplot-nox)" \
  env PATH=/nonexistent "$study" --plot f.svg
expect 2 "sa_study: cannot write no/such/folder.csv: No such file or directory" \
  "$study" --runs 10 --csv no/such/folder.csv
[ ! -s out.txt ] || fail "a refused study printed its report"
# A run beyond the cap is refused at once: counting its levels alone would take minutes.
expect 2 "sa_study: T0 1e+30, alpha 0.99999994, final T 1e-45, 1 trial per level, 17 bits: about 2.9e+09 trials per run, more than the 10^9 a run may make" \
  "$study" --trials 1 --t0 1e30 --t-final 1e-45 --alpha 0.99999994
expect 2 "sa_study: cannot write .: Is a directory" "$study" --runs 10 --csv .
expect 1 "sa_study merge: cannot write standard output: No space left on device" \
  sh -c 'exec "$0" merge --help >/dev/full' "$study"
ln -s /dev/full full.csv
expect 1 "sa_study merge: cannot write full.csv: No space left on device" \
  "$study" merge first.csv --first-run 0 --runs 100 --csv full.csv
expect 2 "sa_study merge: trace.csv is no CSV file of a study by $("$study" --version)" \
  "$study" merge trace.csv --runs 10
expect 1 "sa_study: cannot write standard output: No space left on device" \
  sh -c 'exec "$0" --runs 10 --seed 1 >/dev/full' "$study"
expect 1 "sa_study: cannot write standard output: Bad file descriptor" \
  sh -c 'exec "$0" --version >&-' "$study"

# A closed pipe ends the program quietly, and only once the CSV is whole.
"$study" $sweep --csv piped.csv 2>err.txt | head -1 >/dev/null
[ ! -s err.txt ] || fail "a closed pipe was reported: $(cat err.txt)"
cmp -s <(cut -d, -f1-12 piped.csv) <(cut -d, -f1-12 one.csv) || fail "the piped study's CSV is not whole"

# A picture gnuplot leaves empty is an error, and leaves no file.
mkdir stub && printf '#!/bin/sh\ncat >/dev/null\n' >stub/gnuplot && chmod +x stub/gnuplot
expect 1 "sa_study: gnuplot drew no whole picture (empty.svg)" \
  env PATH="$PWD/stub:$PATH" "$study" --runs 10 --seed 1 --plot empty.svg
[ ! -e empty.svg ] || fail "an empty picture was left behind"
# A gnuplot that fails is reported with the first line of what it said.
mkdir failing && printf '#!/bin/sh\ncat >/dev/null\necho "line 3: no such terminal" >&2\nexit 1\n' \
  >failing/gnuplot && chmod +x failing/gnuplot
expect 1 "sa_study: gnuplot could not draw the picture: line 3: no such terminal (failed.svg)" \
  env PATH="$PWD/failing:$PATH" "$study" --runs 10 --seed 1 --plot failed.svg
# A picture into a device fails as the device does.
ln -s /dev/full full.svg
expect 1 "sa_study: cannot write full.svg: No space left on device" \
  "$study" --runs 10 --seed 1 --plot full.svg

# A stand-in for gnuplot that writes a whole, minimal SVG where the script says. With
# SLOW_DRAWING set it first opens the picture, writes its process id there, and sleeps.
mkdir fake && cat >fake/gnuplot <<'EOF'
#!/bin/sh
picture=$(sed -n "s/^set output '\(.*\)'$/\1/p")
if [ -n "${SLOW_DRAWING-}" ]; then
  : >"$picture"
  echo $$ >"$SLOW_DRAWING"
  sleep 10
fi
printf '<?xml version="1.0"?>\n<svg></svg>\n' >"$picture"
EOF
chmod +x fake/gnuplot
# A link is written through, also to a file not made yet; a link to the CSV's path is the CSV.
ln -s made.csv link.csv && ln -s made.svg link.svg
env PATH="$PWD/fake:$PATH" "$study" --runs 10 --seed 1 --csv link.csv --plot link.svg >/dev/null
[ -L link.csv ] && [ -L link.svg ] && grep -q '^t0,' made.csv && grep -q '</svg>' made.svg ||
  fail "links to files not made yet were not written through"
ln -s later.csv later.svg
expect 2 "sa_study: --csv and --plot name the same file 'later.csv'" \
  "$study" --runs 10 --csv later.csv --plot later.svg
# An interrupt while gnuplot draws ends gnuplot before the picture is removed, and leaves every
# file as it was: the CSV, finished already, is not put in place beside an older picture, and
# nothing is left in the picture's folder or the temporary folder.
mkdir drawn temporary
for signal in INT:130 TERM:143 HUP:129; do
  rm -f drawing.pid
  echo "older" >drawn/data.csv
  SLOW_DRAWING=$PWD/drawing.pid TMPDIR=$PWD/temporary PATH="$PWD/fake:$PATH" \
    "$study" --runs 10 --seed 1 --csv drawn/data.csv --plot drawn/picture.svg >/dev/null &
  study_pid=$!
  while [ ! -s drawing.pid ] && kill -0 $study_pid 2>/dev/null; do sleep 0.05; done
  kill -"${signal%:*}" $study_pid
  status=0
  wait $study_pid 2>/dev/null || status=$?
  [ "$status" -eq "${signal#*:}" ] || fail "SIG${signal%:*} while drawing: status $status"
  ! kill -0 "$(cat drawing.pid)" 2>/dev/null || fail "gnuplot draws on after SIG${signal%:*}"
  [ "$(cat drawn/data.csv)" = older ] || fail "SIG${signal%:*} while drawing wrote the CSV"
  left=$(find drawn temporary -mindepth 1 ! -path drawn/data.csv)
  [ -z "$left" ] || fail "SIG${signal%:*} while drawing left $left"
done

# An interrupted study leaves the files it would have replaced as they were, and nothing else.
echo "kept" >kept.csv
"$study" --runs 1000000 --alpha 0.999 --seed 1 --csv kept.csv --plot never.svg >interrupted.txt &
study_pid=$!
while [ ! -s interrupted.txt ]; do sleep 0.05; done # the seed line comes before any run
kill -INT $study_pid
status=0
wait $study_pid || status=$?
[ "$status" -eq 130 ] || fail "an interrupted study exited with $status, not 130"
[ "$(cat kept.csv)" = kept ] || fail "an interrupted study changed kept.csv"
[ ! -e never.svg ] || fail "an interrupted study left never.svg"
[ -z "$(find . -name '.*.??????*' -print -quit)" ] || fail "an interrupted study left a temporary file"
echo "sa_study_test: passed"
