#!/bin/sh
# Each kind of sa_study picture, drawn as SVG by gnuplot, is a well-formed SVG document.
# Usage: plots_test.sh SA_STUDY XMLLINT
set -eu
study=$1
xmllint=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$study" --runs 200 --seed 3 --plot "$dir/study.svg" >/dev/null
"$study" --runs 100 --seed 3 --alpha 0.9,0.97 --t-final 0.1,0.01 --plot "$dir/sweep.svg" >/dev/null
"$study" --trace --seed 3 --plot "$dir/trace.svg" >/dev/null
"$study" --population --runs 100 --seed 3 --plot "$dir/population.svg" >/dev/null
"$study" --runs 100 --seed 3 --t0 1 --t-final 0.001 --cooling geometric,lundy-mees \
  --levels 50,100 --csv "$dir/laws.csv" --plot "$dir/laws.svg" >/dev/null
"$study" merge "$dir/laws.csv" --runs 100 --plot "$dir/merged.svg" >/dev/null
"$study" --runs 100 --seed 3 --t-final 0.1,0.01 --trials 4,8 --plot "$dir/axis.svg" >/dev/null
for picture in study sweep trace population laws merged axis; do
  root=$("$xmllint" --xpath 'local-name(/*)' "$dir/$picture.svg")
  [ "$root" = svg ] || { echo "plots_test: $picture.svg is not an SVG document" >&2; exit 1; }
done
echo "plots_test: passed"
