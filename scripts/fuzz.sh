#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each in turn on a corpus
# seeded from the real logs and country files, for as long as asked:
#   bash scripts/fuzz.sh            60 seconds per target
#   bash scripts/fuzz.sh 3600       an hour per target
#   bash scripts/fuzz.sh -runs=N    N executions per target (what the tests do)
#   bash scripts/fuzz.sh 600 pass   only the named targets (country pass settings convert adif)
# The corpora grow in build/fuzz/corpus/TARGET (TAVO_FUZZ_CORPUS to choose
# another folder) and are kept between runs; a crash leaves its input as
# build/fuzz/crash-* for a test to be made of it.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=${1:-60}
shift || true
[ $# -gt 0 ] || set -- country pass settings convert adif
targets=("$@")
case "$limit" in
  -runs=*) budget=("$limit") ;;
  *[!0-9]* | '') echo "fuzz.sh: SECONDS or -runs=N, not '$limit'" >&2; exit 2 ;;
  *) budget=("-max_total_time=$limit") ;;
esac

bash scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${TAVO_FUZZ_JOBS:-$(nproc)}" >/dev/null

# The targets write their inputs to files (the code under test reads by name)
# and the settings writer syncs each file: memory-backed scratch keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavo-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

realdata=../shared/realdata
corpus=$(realpath -m "${TAVO_FUZZ_CORPUS:-build/fuzz/corpus}")

# Seeds are the heads of real files, cut small: the targets read inputs of a
# few kilobytes at most, so a whole log would only be cut at -max_len anyway.
seed() {  # TARGET BYTES FILE...
  local target=$1 bytes=$2 n=0
  shift 2
  mkdir -p "$corpus/$target"
  for file in "$@"; do
    [ -f "$file" ] || continue
    n=$((n + 1))
    head -c "$bytes" "$file" >"$corpus/$target/seed-$n"
    # A slice from the middle too, where a log's QSO lines or a country file's
    # later entities stand.
    local size
    size=$(stat -c %s "$file")
    if [ "$size" -gt $((bytes * 2)) ]; then
      tail -c +$((size / 2)) "$file" | head -c "$bytes" >"$corpus/$target/seed-$n-mid" || true
    fi
  done
}

logs=(tests/data/*.log tests/data/*.ALL tests/data/*.cbr tests/data/*.cabrillo* data/sample.cbr
  "$realdata"/zlog/*.ALL "$realdata"/cabrillo/*/*.log "$realdata"/cabrillo/*/*.cabrillo*)
countries=(data/CQWW.DAT tests/data/zServer_CQWW.DAT "$realdata"/cqwwdat/* ../shared/countrydata/cty.dat
  /usr/share/hamradio-files/cty.dat)
ctys=(../shared/countrydata/cty.dat /usr/share/hamradio-files/cty.dat)
adifs=(tests/data/*.adi tests/data/*.adx "$realdata"/adif/*.adi "$realdata"/adif/*.adx)

declare -A max_len=([country]=8192 [pass]=8192 [settings]=2048 [convert]=8192 [adif]=8192)
for target in "${targets[@]}"; do
  case "$target" in
    country) seed country 4096 "${countries[@]}" ;;
    pass) seed pass 4096 "${logs[@]}" "${adifs[@]}" ;;
    convert) seed convert 4096 "${ctys[@]}" ;;
    adif) seed adif 4096 "${adifs[@]}" ;;
    settings)
      mkdir -p "$corpus/settings"
      # Two name bytes, the file, a NUL, the value; as the window's file looks.
      printf '\0\0[Main]\r\nLeft=10\r\nTop=20\r\nViewer=xdg-open\r\n\0less -R' >"$corpus/settings/seed-1"
      printf '\1\2; kept by hand\n[main]\n  left = 3 \n\n[Other]\nx=1\0"quoted" ' >"$corpus/settings/seed-2"
      printf '\3\3\xef\xbb\xbf[Viewer]\rx=\r\0line\rbreak' >"$corpus/settings/seed-3"
      ;;
    *) echo "fuzz.sh: unknown target '$target'" >&2; exit 2 ;;
  esac
  echo "== fuzz $target (${budget[*]})"
  (cd build/fuzz && "./fuzz/${target}_fuzz" "${budget[@]}" -max_len="${max_len[$target]}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus/$target")
done
