#!/usr/bin/env bash
# CPU time and peak memory of whole batches, as a contest's log checker runs
# them: every path through --files-from at one job, text reports beside the
# logs. Two fields:
#   real:    every real log beside the project, COPIES times over;
#   contest: GENERATED template logs of 2,170 QSOs, each COPIES times, plus
#            the real field, about 8,000 logs and 10 M QSOs at the defaults.
# Timing is noisy: run it on a quiet machine, not within minutes of deleting
# many files (see field below), and compare two binaries in one run, e.g.
# bench/contest.sh OLD_TAVO NEW_TAVO. ROUNDS runs every binary that many
# times, the binaries taking turns, and gives each run's figures and the
# median CPU per log: a shared machine's neighbours come and go within a run.
# usage: bench/contest.sh TAVO [TAVO...]   (COPIES=100 GENERATED=30 ROUNDS=1;
#        needs GNU time)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dat="$here/../data/CQWW.DAT"
realdata="$here/../../shared/realdata"
copies=${COPIES:-100}
generated=${GENERATED:-30}
rounds=${ROUNDS:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Hard links keep the field small on disk; each copy sits in a folder of its
# own, so its report does not meet another copy's.
# genlog.py gives the same log for the same size, so one is made and linked.
mkdir -p "$work/tree/gen"
python3 "$here/genlog.py" 2170 "$work/template.log"
mapfile -t reals < <(find "$realdata" -type f ! -name '*.md' | sort)
for c in $(seq 1 "$copies"); do
  mkdir -p "$work/tree/real/$c" "$work/tree/gen/$c"
  for f in "${reals[@]}"; do ln "$f" "$work/tree/real/$c/$(basename "$f")"; done
  for i in $(seq 1 "$generated"); do ln "$work/template.log" "$work/tree/gen/$c/$i.log"; done
done

# Every run gets a field of its own, linked up front, that no report was ever
# written into: reports are never deleted between runs. On ext4 without a
# journal, each new file's inode is found by stepping over every inode freed
# in the last minutes one by one, so a run just after 8,000 deletions would
# pay a second of system time that no log checker's first run pays.
# field NAME RUN: makes the field and prints its list of paths.
field() {
  local dir="$work/$1-$2"
  mkdir "$dir"
  if [ "$1" = contest ]; then
    cp -al "$work/tree/gen" "$dir/gen"
    find "$dir/gen" -name '*.log' | sort
  fi
  cp -al "$work/tree/real" "$dir/real"
  find "$dir/real" -type f | sort
}
for round in $(seq 1 "$rounds"); do
  run=0
  for tavo in "$@"; do
    run=$((run + 1))
    for name in real contest; do field "$name" "$run-$round" >"$work/$name-$run-$round.list"; done
  done
done

# CPU times and peak resident set of the run, from GNU time: its own image
# before the exec is small, where a forking script's would count in the peak.
# A field holds logs that are refused, so the run's status is not looked
# at; GNU time then says so on a line before its figures.
measure() {
  /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
  echo "$(tail -n 1 "$work/time") $(grep -o 'Worked [0-9]*' "$work/out" | awk '{s += $2} END {print s + 0}')"
}

for name in real contest; do
  for round in $(seq 1 "$rounds"); do
    run=0
    for tavo in "$@"; do
      run=$((run + 1))
      list="$work/$name-$run-$round.list"
      logs=$(wc -l <"$list")
      # Each binary writes every report afresh, as a log checker's first run
      # does, from logs already in the page cache.
      xargs -d '\n' cat <"$list" >/dev/null
      read -r user sys rss qsos < <(measure "$(realpath "$tavo")" report --jobs 1 --data "$dat" \
        --files-from "$list")
      awk -v f="$name" -v t="$tavo" -v n="$logs" -v q="$qsos" -v u="$user" -v s="$sys" -v r="$rss" \
        'BEGIN { printf "%-8s %s: %d logs, %d QSOs, CPU %.2f s (user %.2f, system %.2f), %.3f ms per log, peak RSS %.1f MB\n", f, t, n, q, u + s, u, s, (u + s) * 1000 / n, r / 1024 }' |
        tee -a "$work/$name-$run.runs"
    done
  done
  if [ "$rounds" -gt 1 ]; then
    run=0
    for tavo in "$@"; do
      run=$((run + 1))
      grep -o '[0-9.]* ms per log' "$work/$name-$run.runs" | sort -n |
        awk -v f="$name" -v t="$tavo" '{ v[NR] = $1 } END {
          m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%-8s %s: median %.3f ms per log over %d runs (%.3f to %.3f)\n", f, t, m, NR, v[1], v[NR] }'
    done
  fi
done
