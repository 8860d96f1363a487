#!/bin/bash
# The GNU parallel recipes of doc/many_machines.md, each block written to the file it names
# and run as the document says, on this machine: ':' for a host, beside a host that does not
# answer. The settings are the document's block with a few small parts; the part that starts
# at run 40 fails the first time it runs in each folder. Checked, to the file and the message:
# every merge is the whole study's in every column but the timings; a failed part runs again,
# alone; a new study in an old study's folder stops and leaves the folder as it was; a
# refused merge leaves whole.txt and whole.csv as they were; a machine or a host without
# sa_study stops the study before any part.
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

# Writes the block of a recipe into a folder, as the file its first comment names.
put() {
  local text name
  text=$(block "$1")
  [ -n "$text" ] || fail "no block for the $1 in $doc"
  name=$(printf '%s\n' "$text" | sed -n 's/^# \([a-z_]*\.sh\): .*/\1/p' | head -n 1)
  [ -n "$name" ] || fail "the block for the $1 names no file in its first comment"
  printf '%s\n' "$text" >"$dir/$2/$name"
}

# The settings block with the test's values: in folder $1, seed $2; 3 parts of 40 runs.
sweep="--alpha 0.9,0.97 --t-final 0.1,0.01"
names=$(block settings | sed -n 's/^\([a-z_]*\)=.*/\1/p' | tr '\n' ' ')
[ "$names" = "seed sweep parts runs study " ] ||
  fail "the settings block sets $names; the test gives seed, sweep, parts and runs"
settings() {
  block settings | awk -v seed="$2" -v sweep="$sweep" '
    /^seed=/ { print "seed=" seed; next }
    /^sweep=/ { print "sweep=\"" sweep "\""; next }
    /^parts=/ { print "parts=3"; next }
    /^runs=/ { print "runs=40"; next }
    { print }
  ' >"$dir/$1/settings.sh"
}

# sa_study as the recipes find it, failing once in each folder for the part that starts at
# run 40.
mkdir "$dir/bin"
cat >"$dir/bin/sa_study" <<EOF
#!/bin/sh
case " \$* " in
  *" --first-run 40 "*) [ -e "$dir/failed-once-\$(basename "\$PWD")" ] || {
    : >"$dir/failed-once-\$(basename "\$PWD")"
    echo "sa_study: the part at run 40 fails once" >&2
    exit 1
  } ;;
esac
exec "$study" "\$@"
EOF
chmod +x "$dir/bin/sa_study"

# A PATH with every program of this one but sa_study: a folder holding one is replaced by
# links to its other files.
no_sa_study=
IFS=: read -ra path_dirs <<<"$PATH"
for d in "${path_dirs[@]}"; do
  if [ -e "$d/sa_study" ]; then
    links=$(mktemp -d "$dir/links.XXXXXX")
    find "$d" -mindepth 1 -maxdepth 1 ! -name sa_study -exec ln -s -t "$links" {} +
    d=$links
  fi
  no_sa_study=$no_sa_study${no_sa_study:+:}$d
done
[ -z "$(PATH=$no_sa_study command -v sa_study)" ] || fail "sa_study stays on the PATH"

# Runs a command in a folder as the reader would, with sa_study on the PATH (or $path):
# status in $status, standard output and error in $dir/stdout and $dir/stderr.
path=
run() {
  local folder=$1
  shift
  status=0
  (cd "$dir/$folder" && HOME=$dir PARALLEL=--will-cite PATH=${path:-$dir/bin:$PATH} "$@") \
    >"$dir/stdout" 2>"$dir/stderr" || status=$?
}
ran() { [ "$status" = 0 ] || fail "$* failed ($status): $(cat "$dir/stderr")"; }
refused() {
  [ "$status" != 0 ] || fail "$1 did not stop"
  [ "$(cat "$dir/stderr")" = "$2" ] || fail "$1 said '$(cat "$dir/stderr")', not '$2'"
}
# Every file of a folder and its contents, but settings.sh; the names in a folder.
snapshot() { (cd "$dir/$1" && find . -type f ! -name settings.sh -exec sha256sum {} + | sort); }
files() { (cd "$dir/$1" && ls ${2-} | tr '\n' ' '); }

untimed() { cut -d, -f1-12,15-21,23-24,26-27,29-30 "$1"; }
"$study" --seed 5 $sweep --runs 120 --csv "$dir/expected.csv" >/dev/null
whole() {
  cmp -s <(untimed "$dir/expected.csv") <(untimed "$dir/$1/whole.csv") ||
    fail "the $1 recipe's merge is not the whole study"
  grep -qx "120 runs per schedule (runs 0 to 119, from 3 parts):" "$dir/$1/whole.txt" ||
    fail "the $1 recipe's report is not the whole study's"
}
# The failed part ran twice, first failing, and the others once, all on ':'.
ran_once_more() {
  local exits hosts
  exits=$(awk -F '\t' '{ print $7 }' "$dir/$1/parts.log" | sort | tr '\n' ' ')
  [ "$exits" = "0 0 0 1 " ] || fail "the $1 recipe's parts ended with $exits"
  hosts=$(awk -F '\t' '{ print $2 }' "$dir/$1/parts.log" | sort -u | tr '\n' ' ')
  [ "$hosts" = ": " ] || fail "the $1 recipe ran parts on $hosts"
  grep -qxF "part-1	sa_study: the part at run 40 fails once" "$dir/stderr" ||
    fail "the $1 recipe did not show the failed part's message after its part"
}

# GNU parallel, the hosts not sharing the folder: the program is copied into it.
mkdir "$dir/copied"
settings copied 5
put merge copied
put "copied folder" copied
echo : >"$dir/copied/hosts"
run copied sh parts.sh
ran "the copied folder recipe"
whole copied
ran_once_more copied

# The hosts sharing the folder, one of them down: it is left out, and the parts run on ':'.
mkdir "$dir/shared"
settings shared 5
put merge shared
put "shared folder" shared
printf ':\nssh -o ConnectTimeout=2 -p 1 127.0.0.1\n' >"$dir/shared/hosts"
run shared sh parts.sh
ran "the shared folder recipe"
whole shared
ran_once_more shared
grep -qxF "parallel: Warning: Removed ssh -o ConnectTimeout=2 -p 1 127.0.0.1." "$dir/stderr" ||
  fail "the shared folder recipe did not leave out the host that is down"

# A new study in the first one's folder: every script stops, and the folder stays as it was.
before=$(snapshot copied)
settings copied 6
other="this folder holds the study --seed 5 $sweep --runs 40 x 3: start another in a new folder"
run copied sh parts.sh
refused "a new study in an old folder" "$other"
run copied sh merge.sh
refused "a merge of a new study in an old folder" "$other"
[ "$(snapshot copied)" = "$before" ] || fail "a new study in an old folder changed it"

# A part of another study, where the merge refuses it: whole.txt and whole.csv stay. (The host
# that is down is out of hosts now.)
echo : >"$dir/shared/hosts"
"$study" --seed 6 $sweep --runs 40 --first-run 40 --csv "$dir/shared/part-1.csv" >/dev/null
whole=$(cd "$dir/shared" && sha256sum whole.txt whole.csv)
run shared sh parts.sh
[ "$status" != 0 ] || fail "a merge of a part of another study succeeded"
[ "$(wc -l <"$dir/shared/parts.log")" = 4 ] || fail "parts ran where none was missing"
grep -qxF "sa_study merge: part-1.csv line 2, seed: 6, where part-0.csv line 2 has 5" \
  "$dir/stderr" || fail "a refused merge said $(cat "$dir/stderr")"
[ "$(cd "$dir/shared" && sha256sum whole.txt whole.csv)" = "$whole" ] ||
  fail "a refused merge changed whole.txt or whole.csv"
[ ! -e "$dir/shared/whole.new" ] || fail "a refused merge left whole.new"

# No sa_study on this machine, to copy to the hosts: the study stops before any part.
mkdir "$dir/unsent"
settings unsent 5
put merge unsent
put "copied folder" unsent
echo : >"$dir/unsent/hosts"
path=$no_sa_study run unsent sh parts.sh
refused "a study with no sa_study to send" \
  "parts.sh: no sa_study on this machine's PATH, to send to the hosts"
[ "$(files unsent)" = "hosts merge.sh parts.sh settings.sh study.txt " ] ||
  fail "a study with no sa_study to send left $(files unsent)"

# A host whose ssh commands do not find sa_study: the study stops before any part, naming it.
mkdir "$dir/unfound"
settings unfound 5
put merge unfound
put "shared folder" unfound
echo : >"$dir/unfound/hosts"
path=$no_sa_study run unfound sh parts.sh
[ "$status" != 0 ] || fail "a study on a host without sa_study did not stop"
grep -qE "^:	.*sa_study: (command )?not found$" "$dir/stderr" ||
  fail "a host without sa_study was not named: $(cat "$dir/stderr")"
[ "$(files unfound)" = "hosts merge.sh parts.sh settings.sh study.txt " ] ||
  fail "a study on a host without sa_study left $(files unfound)"

echo "recipe_test: passed"
