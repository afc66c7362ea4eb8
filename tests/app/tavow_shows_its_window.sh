#!/usr/bin/env bash
# Usage: tavow_shows_its_window.sh WINE_RUN WINE_PREFIX TAVOW_EXE COUNTRY_FILE SCREENSHOT
# Starts tavow.exe under Wine on a virtual X display (inside Wine's own
# desktop, which draws the title bar) and waits for its main window, captioned
# "Tavo for Windows", then keeps a screenshot of the screen for a person to see.
# Exit 77 (skipped) when Xvfb or the X tools are not installed.
set -euo pipefail
wine_run=$1 prefix=$2 tavow=$3 country=$4 screenshot=$5

for tool in Xvfb xwininfo import; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh windows)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid="" tavow_pid=""
cleanup() {
  [ -n "$tavow_pid" ] && kill "$tavow_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and tells its number.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x400x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"

cp "$country" "$work/CQWW.DAT"
(cd "$work" && TAVO_WINE_DISPLAY=$display exec "$wine_run" "$prefix" explorer /desktop=Tavo,640x400 \
  "$tavow" >"$work/tavow.log" 2>&1) &
tavow_pid=$!

for _ in $(seq 120); do
  if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Tavo for Windows"'; then
    sleep 2  # let it paint
    DISPLAY=$display import -window root "$screenshot"
    echo "tavow.exe shows its window; screenshot in $screenshot"
    exit 0
  fi
  sleep 0.5
done
echo "no window captioned \"Tavo for Windows\" appeared within 60 s"
DISPLAY=$display xwininfo -root -tree 2>/dev/null | head -20 || true
cat "$work/tavow.log"
exit 1
