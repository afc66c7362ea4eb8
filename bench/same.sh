#!/usr/bin/env bash
# Whether two binaries write the same bytes: every output (report, page, JSON,
# and the messages and status) of every real log beside the project, of
# generated logs and of COUNT logs mutate.py makes from them, with the bundled
# CQWW.DAT and the shared cty.dat; then all of them as one batch at one job,
# each output beside its log, so that nothing leaks from one log to the next.
# usage: bench/same.sh OLD_TAVO NEW_TAVO [COUNT]   (COUNT=300; prints
#        "differences: N" and fails when N is not 0)
set -uo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
count=${3:-300}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/logs"
python3 "$here/genlog.py" 3000 "$work/logs/template.log"
python3 "$here/genlog.py" 3000 "$work/logs/wide.log" wide
python3 "$here/genlog.py" 30 "$work/logs/small.log"
python3 "$here/mutate.py" "$work/logs" "$count" 1 "$work/logs/template.log" "$work/logs/wide.log"
mapfile -t logs < <(find "$here/../../shared/realdata" -type f ! -name '*.md' | sort
  find "$work/logs" -type f | sort)
datas=("$here/../data/CQWW.DAT")
[ -f "$here/../../shared/countrydata/cty.dat" ] && datas+=("$here/../../shared/countrydata/cty.dat")

bad=0
runs=0
for data in "${datas[@]}"; do
  for log in "${logs[@]}"; do
    for output in --text --html --json; do
      [ "$output" = --text ] && output=
      a=$("$old" report --stdout $output --data "$data" "$log" 2>&1; echo "status $?")
      b=$("$new" report --stdout $output --data "$data" "$log" 2>&1; echo "status $?")
      runs=$((runs + 1))
      [ "$a" = "$b" ] || { echo "differs: report --stdout $output --data $data $log"; bad=$((bad + 1)); }
    done
  done
done

# Batch names must not clash, so each log is linked under its number.
for side in old new; do
  mkdir "$work/$side"
  i=0
  for log in "${logs[@]}"; do
    i=$((i + 1))
    cp "$log" "$work/$side/$i-$(basename "$log")"
  done
done
"$old" report --jobs 1 --html --json --data "${datas[-1]}" "$work"/old/* >"$work/old.out" 2>&1
"$new" report --jobs 1 --html --json --data "${datas[-1]}" "$work"/new/* >"$work/new.out" 2>&1
for file in "$work"/old/*; do
  cmp -s "$file" "$work/new/$(basename "$file")" || { echo "differs: batch $(basename "$file")"; bad=$((bad + 1)); }
done
[ "$(ls "$work/old" | wc -l)" = "$(ls "$work/new" | wc -l)" ] || { echo "differs: batch files"; bad=$((bad + 1)); }
cmp -s <(sed "s#$work/old#X#g" "$work/old.out") <(sed "s#$work/new#X#g" "$work/new.out") ||
  { echo "differs: batch messages"; bad=$((bad + 1)); }

echo "$runs runs and a batch of ${#logs[@]} logs; differences: $bad"
[ "$bad" = 0 ]
