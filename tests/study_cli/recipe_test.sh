#!/bin/bash
# The recipes of doc/many_machines.md, each block written to the file it names and run as the
# document says, on this machine: GNU parallel with ':' for a host, beside a host that does
# not answer, and Slurm's sbatch, squeue and sinfo played by stand-ins that run each job at
# once. The settings are the document's block with a few small parts; the part that starts
# at run 40 fails the first time it runs in each folder. Checked, to the file and the message:
# every merge is the whole study's in every column but the timings; a failed part runs again,
# alone; a new study in an old study's folder stops and leaves the folder as it was; a
# refused merge leaves whole.txt and whole.csv as they were; a machine or a host without
# sa_study stops the study before any part; Slurm's cpus above every node's, and a submission
# while jobs of the folder are queued, are refused; a failed task cancels the merge and keeps
# its log when its part is submitted again.
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

# The settings block with the test's values: in folder $1, seed $2 and cpus $3; 3 parts of 40
# runs.
sweep="--alpha 0.9,0.97 --t-final 0.1,0.01"
names=$(block settings | sed -n 's/^\([a-z_]*\)=.*/\1/p' | tr '\n' ' ')
[ "$names" = "seed sweep parts runs cpus study " ] ||
  fail "the settings block sets $names; the test gives seed, sweep, parts, runs and cpus"
settings() {
  block settings | awk -v seed="$2" -v sweep="$sweep" -v cpus="$3" '
    /^seed=/ { print "seed=" seed; next }
    /^sweep=/ { print "sweep=\"" sweep "\""; next }
    /^parts=/ { print "parts=3"; next }
    /^runs=/ { print "runs=40"; next }
    /^cpus=/ { print "cpus=" cpus; next }
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
settings copied 5 1
put merge copied
put "copied folder" copied
echo : >"$dir/copied/hosts"
run copied sh parts.sh
ran "the copied folder recipe"
whole copied
ran_once_more copied

# The hosts sharing the folder, one of them down: it is left out, and the parts run on ':'.
mkdir "$dir/shared"
settings shared 5 1
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
settings copied 6 1
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
settings unsent 5 1
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
settings unfound 5 1
put merge unfound
put "shared folder" unfound
echo : >"$dir/unfound/hosts"
path=$no_sa_study run unfound sh parts.sh
[ "$status" != 0 ] || fail "a study on a host without sa_study did not stop"
grep -qE "^:	.*sa_study: (command )?not found$" "$dir/stderr" ||
  fail "a host without sa_study was not named: $(cat "$dir/stderr")"
[ "$(files unfound)" = "hosts merge.sh parts.sh settings.sh study.txt " ] ||
  fail "a study on a host without sa_study left $(files unfound)"

# Slurm, played: sbatch runs a job at once in this folder and notes it in $dir/slurm; a job
# after one whose task failed is cancelled (never run) with --kill-on-invalid-dep=yes, and
# would wait for ever without; a task whose log cannot be opened fails. squeue lists the
# folders in $dir/slurm/queue; sinfo gives nodes of 2 and 1 CPUs.
mkdir "$dir/slurm-bin" "$dir/slurm"
echo 1000 >"$dir/slurm/last"
: >"$dir/slurm/queue"
cat >"$dir/slurm-bin/sbatch" <<EOF
#!/bin/bash
set -eu
state=$dir/slurm
EOF
cat >>"$dir/slurm-bin/sbatch" <<'EOF'
parsable= array= cpus= after= kill= output= script=
for arg; do
  case $arg in
    --parsable) parsable=1 ;;
    --array=*) array=${arg#*=} ;;
    --cpus-per-task=*) cpus=${arg#*=} ;;
    --dependency=afterok:*) after=${arg#*afterok:} ;;
    --kill-on-invalid-dep=yes) kill=1 ;;
    --output=*) output=${arg#*=} ;;
    -*) echo "sbatch (played): no $arg" >&2; exit 1 ;;
    *) script=$arg ;;
  esac
done
while read -r line; do
  case $line in
    '#SBATCH --output='*) output=${output:-${line#*=}} ;;
    '#SBATCH --cpus-per-task='*) cpus=${cpus:-${line#*=}} ;;
    '#SBATCH --array='*) array=${array:-${line#*=}} ;;
  esac
done <"$script"
id=$(($(cat "$state/last") + 1))
echo $id >"$state/last"
echo "$array $cpus" >"$state/$id.job"
if [ -n "$parsable" ]; then echo $id; else echo "Submitted batch job $id"; fi
if [ -n "$after" ] && [ -e "$state/$after.failed" ]; then
  [ -n "$kill" ] || { echo "sbatch (played): job $id would wait for ever" >&2; exit 1; }
  exit 0
fi
task() {
  local log=$1
  shift
  if ! { : >"$log"; } 2>/dev/null; then : >"$state/$id.failed"; return; fi
  env "$@" ${cpus:+SLURM_CPUS_PER_TASK=$cpus} sh "$script" >"$log" 2>&1 ||
    : >"$state/$id.failed"
}
if [ -n "$array" ]; then
  for range in $(echo "${array%\%*}" | tr , ' '); do
    for i in $(seq "${range%-*}" "${range#*-}"); do
      log=${output:-slurm-%A_%a.out}
      log=${log//%A/$id}
      task "${log//%a/$i}" SLURM_JOB_ID=$id SLURM_ARRAY_JOB_ID=$id SLURM_ARRAY_TASK_ID=$i
    done
  done
else
  log=${output:-slurm-%j.out}
  task "${log//%j/$id}" SLURM_JOB_ID=$id
fi
EOF
cat >"$dir/slurm-bin/squeue" <<EOF
#!/bin/sh
[ "\$*" = "--me --noheader --format=%Z" ] || { echo "squeue (played): no \$*" >&2; exit 1; }
cat "$dir/slurm/queue"
EOF
cat >"$dir/slurm-bin/sinfo" <<'EOF'
#!/bin/sh
[ "$*" = "--noheader --Node --format=%c" ] || { echo "sinfo (played): no $*" >&2; exit 1; }
printf '2\n1\n'
EOF
chmod +x "$dir/slurm-bin"/*
mkdir "$dir/slurm-study"
put merge slurm-study
put "slurm task" slurm-study
put "slurm submit" slurm-study
job() { cat "$dir/slurm/$1.job"; }
last() { cat "$dir/slurm/last"; }

# More CPUs than any node has: refused before anything is submitted.
settings slurm-study 5 4
path=$dir/slurm-bin:$dir/bin:$PATH run slurm-study sh submit.sh
refused "a Slurm study of 4 CPUs a task" "submit.sh: cpus=4, but no node has more than 2"
[ "$(last)" = 1000 ] && [ ! -e "$dir/slurm-study/logs" ] ||
  fail "a refused Slurm study submitted jobs or made logs/"

# Every part, part 1 failing: the merge is cancelled and leaves nothing.
settings slurm-study 5 2
path=$dir/slurm-bin:$dir/bin:$PATH run slurm-study sh submit.sh
ran "the Slurm recipe"
[ "$(head -n 1 "$dir/stdout")" = "submit.sh: parts 0,1,2 in job 1001" ] ||
  fail "submit.sh said $(cat "$dir/stdout")"
[ "$(job 1001)" = "0,1,2%20 2" ] || fail "the array was $(job 1001)"
[ "$(files slurm-study 'part-*.csv')" = "part-0.csv part-2.csv " ] ||
  fail "the array left $(files slurm-study 'part-*.csv')"
[ ! -e "$dir/slurm-study/whole.txt" ] && [ ! -e "$dir/slurm-study/logs/merge-1002.out" ] ||
  fail "the merge after a failed task ran"
[ -e "$dir/slurm-study/logs/part-1-1001.out" ] || fail "the failed task left no log"
first_log=$(cat "$dir/slurm-study/logs/part-1-1001.out")
[ "$first_log" = "sa_study: the part at run 40 fails once" ] ||
  fail "the failed task's log holds '$first_log'"

# Submitted again while jobs of the folder are queued: refused.
(cd "$dir/slurm-study" && pwd -P) >"$dir/slurm/queue"
path=$dir/slurm-bin:$dir/bin:$PATH run slurm-study sh submit.sh
refused "a Slurm study submitted while queued" \
  "submit.sh: jobs of this folder are still in the queue (squeue --me)"
[ "$(last)" = 1002 ] || fail "a Slurm study submitted while queued submitted jobs"

# Once they have left the queue: the missing part alone, then the merge.
: >"$dir/slurm/queue"
path=$dir/slurm-bin:$dir/bin:$PATH run slurm-study sh submit.sh
ran "the Slurm recipe submitted again"
[ "$(head -n 1 "$dir/stdout")" = "submit.sh: parts 1 in job 1003" ] ||
  fail "submit.sh said $(cat "$dir/stdout")"
[ "$(job 1003)" = "1%20 2" ] || fail "the array submitted again was $(job 1003)"
whole slurm-study
[ -e "$dir/slurm-study/logs/merge-1004.out" ] || fail "the merge left no log"
[ "$(cat "$dir/slurm-study/logs/part-1-1001.out")" = "$first_log" ] ||
  fail "the failed task's log did not stay"
[ -e "$dir/slurm-study/logs/part-1-1003.out" ] || fail "the task submitted again left no log"

# A new study in this folder: refused, nothing submitted.
settings slurm-study 6 2
path=$dir/slurm-bin:$dir/bin:$PATH run slurm-study sh submit.sh
refused "a new Slurm study in an old folder" "$other"
[ "$(last)" = 1004 ] || fail "a new Slurm study in an old folder submitted jobs"
echo "recipe_test: passed"
