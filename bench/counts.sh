#!/usr/bin/env bash
# What timing cannot show steadily, counted on the real program: instructions
# (callgrind) to start, to load each country file, per QSO and per log of a
# batch, and system calls (strace) per log of a batch. Needs valgrind and strace
# (scripts/install-deps.sh bench) and the shared data beside the project.
# usage: bench/counts.sh TAVO   e.g. bench/counts.sh build/release/cli/tavo
set -euo pipefail
tavo=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dat="$here/../data/CQWW.DAT"
cty="$here/../../shared/countrydata/cty.dat"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected/ {print $4}'
}

printf 'START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n' >"$work/empty.cbr"
start=$(instructions "$tavo" --version)
echo "start-up (--version):          $start"
for data in "$dat" "$cty"; do
  [ -f "$data" ] || continue
  run=$(instructions "$tavo" report --stdout --data "$data" "$work/empty.cbr")
  echo "load $(basename "$data") (empty log, less start-up): $((run - start))"
done

# Per QSO: the difference of a 20,000- and a 2,000-QSO log, so that the
# start, the load and the report's fixed part drop out.
for layout in template wide; do
  flag=""; [ $layout = wide ] && flag=wide
  python3 "$here/genlog.py" 2000 "$work/small.log" $flag
  python3 "$here/genlog.py" 20000 "$work/large.log" $flag
  for data in "$dat" "$cty"; do
    [ -f "$data" ] || continue
    small=$(instructions "$tavo" report --stdout --data "$data" "$work/small.log")
    large=$(instructions "$tavo" report --stdout --data "$data" "$work/large.log")
    echo "per QSO, $layout, $(basename "$data"): $(((large - small) / 18000))"
  done
done

# Per QSO on a real log that today's loggers write, fields by blanks: the
# run less the empty log's, over its QSOs, so that its report is included.
k3lr="$here/../../shared/realdata/cabrillo/modern/CQWW_cw_2024_k3lr.log"
if [ -f "$k3lr" ]; then
  qsos=$("$tavo" report --stdout --data "$dat" "$k3lr" 2>&1 >/dev/null | grep -o 'Worked [0-9]*' | cut -d' ' -f2)
  empty=$(instructions "$tavo" report --stdout --data "$dat" "$work/empty.cbr")
  full=$(instructions "$tavo" report --stdout --data "$dat" "$k3lr")
  echo "per QSO, k3lr (real, report included), CQWW.DAT: $(((full - empty) / qsos))"
fi

# Instructions per log beyond its QSOs: a batch of 21 copies of a 30-QSO log
# less a batch of one, each report written beside its log.
python3 "$here/genlog.py" 30 "$work/thirty.log"
mkdir "$work/one30" "$work/many30"
cp "$work/thirty.log" "$work/one30/0.log"
for i in $(seq 0 20); do cp "$work/thirty.log" "$work/many30/$i.log"; done
one=$(instructions "$tavo" report --jobs 1 --data "$dat" "$work"/one30/*.log)
many=$(instructions "$tavo" report --jobs 1 --data "$dat" "$work"/many30/*.log)
echo "instructions per 30-QSO log of a batch: $(((many - one) / 20))"

# System calls per log: a batch of 21 copies less a batch of one, at one job,
# each log written beside itself; the second run finds the reports there.
real="$here/../../shared/realdata/cabrillo/cqww/CQWW-CW-2012_2E0ZSE.log"
[ -f "$real" ] || real="$work/small.log"
mkdir "$work/one" "$work/many"
cp "$real" "$work/one/0.log"
for i in $(seq 0 20); do cp "$real" "$work/many/$i.log"; done
calls() {
  strace -f -c -o "$work/strace" "$tavo" report --jobs 1 --data "$dat" "$@" >/dev/null
  awk '$NF == "total" {print $4}' "$work/strace"
}
for pass in "first run" "rerun"; do
  one=$(calls "$work"/one/*.log)
  many=$(calls "$work"/many/*.log)
  echo "system calls per log, $pass: $(((many - one) / 20))"
done
