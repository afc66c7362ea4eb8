#!/usr/bin/env bash
# Usage: windows_cli_matches_native.sh WINE_RUN WINE_PREFIX TAVO_EXE NATIVE_TAVO REALDATA COUNTRY_FILE
# tavo.exe under Wine and the native tavo report every real log: the reports
# they write, and those they print with --stdout, must be the same bytes, and
# so must their status lines (up to the line ends each system uses). The other
# commands, usage errors among them, must say the same and exit the same.
# Exit 77 (skipped) when the native program or the real logs are not there.
set -euo pipefail
wine_run=$1 prefix=$2 tavo_exe=$3 native=$4 realdata=$5 country=$6

if [ ! -x "$native" ]; then
  echo "skipped: no native tavo at $native (build the release preset first)"
  exit 77
fi
if [ ! -d "$realdata" ]; then
  echo "skipped: no real logs at $realdata"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"

# Every file but the notes and the country data is a log; names are flattened
# so that both sides see the same plain relative names. The Windows programs
# have no XML parser (Debian ships no expat for mingw), so .adx logs are left
# to the native tests.
logs=()
while IFS= read -r -d '' file; do
  rel=${file#"$realdata"/}
  case "$rel" in *.md | cqwwdat/* | *.adx) continue ;; esac
  name=${rel//\//_}
  cp "$file" "$work/linux/$name"
  cp "$file" "$work/windows/$name"
  logs+=("$name")
done < <(find "$realdata" -type f -print0 | sort -z)
cp "$country" "$work/linux/CQWW.DAT"
cp "$country" "$work/windows/CQWW.DAT"
if [ ${#logs[@]} -eq 0 ]; then
  echo "skipped: no logs under $realdata"
  exit 77
fi

status=0
(cd "$work/linux" && "$native" report "${logs[@]}" >../linux.out 2>&1) || status=$?
wstatus=0
(cd "$work/windows" && "$wine_run" "$prefix" "$tavo_exe" report "${logs[@]}" >../windows.out 2>&1) ||
  wstatus=$?

failed=0
if [ "$status" != "$wstatus" ]; then
  echo "exit status: linux $status, windows $wstatus"
  failed=1
fi
if ! diff -u "$work/linux.out" <(tr -d '\r' <"$work/windows.out"); then
  echo "the status lines differ (- linux, + windows)"
  failed=1
fi
if ! diff -r "$work/linux" "$work/windows"; then
  echo "the reports differ"
  failed=1
fi

for name in "${logs[@]}"; do
  (cd "$work/linux" && "$native" report --stdout "$name" >../l.out 2>/dev/null) || true
  (cd "$work/windows" && "$wine_run" "$prefix" "$tavo_exe" report --stdout "$name" >../w.out 2>/dev/null) ||
    true
  if ! cmp -s "$work/l.out" "$work/w.out"; then
    echo "report --stdout differs for $name"
    failed=1
  fi
done

# Both sides answer in the same folder, so "data" names the same file.
compare_command() {
  local lout lerr wout werr lrc=0 wrc=0
  lout=$(cd "$work/linux" && "$native" "$@" 2>"$work/l.err") || lrc=$?
  wout=$(cd "$work/linux" && "$wine_run" "$prefix" "$tavo_exe" "$@" 2>"$work/w.err") || wrc=$?
  lerr=$(cat "$work/l.err")
  werr=$(tr -d '\r' <"$work/w.err")
  wout=$(printf '%s' "$wout" | tr -d '\r')
  if [ "$lout" != "$wout" ] || [ "$lerr" != "$werr" ] || [ $lrc != $wrc ]; then
    echo "tavo $* differs: linux exit $lrc, windows exit $wrc"
    diff -u <(printf '%s\n%s\n' "$lout" "$lerr") <(printf '%s\n%s\n' "$wout" "$werr") || true
    failed=1
  fi
}
compare_command --version
compare_command --help
compare_command data
compare_command call ja1abc " DL1ABC " W1AW 3D2AA
compare_command report nosuch.cbr
compare_command report --data nosuch.dat "${logs[0]}"
compare_command frobnicate
compare_command report --stdout a.cbr b.cbr

reports=$(find "$work/linux" -name '*.tavo' | wc -l)
if [ "$reports" -eq 0 ]; then
  echo "no report was written: nothing was compared"
  failed=1
fi
[ $failed -eq 0 ] && echo "${#logs[@]} logs, $reports reports: Linux and Windows wrote the same bytes"
exit $failed
