#!/bin/sh
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a Windows program under Wine without a terminal or display to answer:
# the prefix is created once (under a lock, so parallel tests do not race)
# with the Mono and Gecko installers switched off, which would otherwise ask
# by dialog, and no X display is offered unless TAVO_WINE_DISPLAY names one.
set -eu
prefix=$1
shift

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
  echo "wine-run: no wine64 found; install it with scripts/install-deps.sh windows" >&2
  exit 127
fi
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=$(dirname "$wine")/wineserver

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
if [ -n "${TAVO_WINE_DISPLAY:-}" ]; then
  export DISPLAY="$TAVO_WINE_DISPLAY"
else
  unset DISPLAY
fi

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.tavo-ready" ]; then
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
    touch "$prefix/.tavo-ready"
  fi
  # A server that stays up a minute after the last program: one that shuts down as
  # the last program ends resets the connection of a test starting just then.
  # Where a server runs already, this one leaves at once; it never holds the lock.
  if [ -x "$wineserver" ]; then "$wineserver" -p60 </dev/null >/dev/null 2>&1 9>&- || true; fi
) 9>"$prefix.lock"

exec "$wine" "$@"
