#!/bin/bash
# The GNU parallel recipes of doc/many_machines.md, each block run as the document has it, on
# this machine (--sshlogin :) with a few small parts set through the variables the recipes
# use. One part fails the first time: only it runs again, the merge waits for it, and the
# merged CSV is the whole study's in every column but the timings.
# Usage: recipe_test.sh SA_STUDY DOC
set -eu
study=$(realpath "$1")
doc=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "recipe_test: $*" >&2; exit 1; }

# The fenced shell block after the document's marker for a recipe.
block() {
  awk -v marker="<!-- recipe: $1 " '
    index($0, marker) == 1 { found = 1; next }
    found && /^```sh$/ { inside = 1; next }
    inside && /^```$/ { exit }
    inside { print }
  ' "$doc"
}

# sa_study on the PATH, as the recipes expect it, failing once for the part that starts at
# run 40.
mkdir "$dir/bin"
cat >"$dir/bin/sa_study" <<EOF
#!/bin/sh
case " \$* " in
  *" --first-run 40 "*) [ -e "$dir/failed-once-\$(basename "\$PWD")" ] ||
    { : >"$dir/failed-once-\$(basename "\$PWD")"; exit 1; } ;;
esac
exec "$study" "\$@"
EOF
chmod +x "$dir/bin/sa_study"

seed=5
sweep="--alpha 0.9,0.97 --t-final 0.1,0.01"
parts=3
runs=40
untimed() { cut -d, -f1-12,15-21,23-24,26-27,29-30 "$1"; }
"$study" --seed $seed $sweep --runs $((parts * runs)) --csv "$dir/expected.csv" >/dev/null

for recipe in "copied folder" "shared folder"; do
  commands=$(block "$recipe")
  [ -n "$commands" ] || fail "no block for the $recipe in $doc"
  folder="$dir/$(echo "$recipe" | tr ' ' -)"
  mkdir "$folder"
  (
    cd "$folder"
    # --will-cite: parallel's request for a citation is no part of the recipe.
    HOME=$dir PARALLEL=--will-cite PATH="$dir/bin:$PATH" seed=$seed sweep=$sweep \
      parts=$parts runs=$runs hosts=: sh -eu -c "$commands" 2>"$dir/stderr"
  ) || fail "the $recipe recipe failed: $(cat "$dir/stderr")"
  cmp -s <(untimed "$dir/expected.csv") <(untimed "$folder/whole.csv") ||
    fail "the $recipe recipe's merge is not the whole study"
  grep -q "^$((parts * runs)) runs per schedule (runs 0 to 119, from 3 parts):\$" \
    "$folder/whole.txt" || fail "the $recipe recipe's report is not the whole study's"
  # The failed part ran twice, first failing, and the others once.
  exits=$(awk -F '\t' 'NR > 1 { print $7 }' "$folder/parts.log" | sort | tr '\n' ' ')
  [ "$exits" = "0 0 0 1 " ] || fail "the $recipe recipe's parts ended with $exits"
done
echo "recipe_test: passed"
