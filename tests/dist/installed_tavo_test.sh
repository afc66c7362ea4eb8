#!/usr/bin/env bash
# Usage: installed_tavo_test.sh install|deb BUILD_DIR SOURCE_DIR [SCREENSHOT_DIR]
# install: `cmake --install` into a scratch prefix; deb: `cpack -G DEB`, then
# the package unpacked into a scratch root with dpkg-deb -x and checked with
# lintian. Either way the installed tree is checked file by file, and the
# installed tavo and tavow are run from a folder of their own, without a
# CQWW.DAT, as a menu would start them. With SCREENSHOT_DIR, screenshots of
# the window and of a message box under Xvfb with openbox are kept there.
# Exit 77 (skipped) only when a tool the check needs is not installed.
set -euo pipefail
mode=$1 build=$2 source=$3 shots=${4:-}

need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "skipped: $tool is not installed (scripts/install-deps.sh package)"
      exit 77
    fi
  done
}
need desktop-file-validate appstreamcli groff man file
[ "$mode" = deb ] && need cpack dpkg-deb dpkg-shlibdeps lintian fakeroot

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

case "$mode" in
  install)
    prefix=$work/prefix
    cmake --install "$build" --prefix "$prefix" >"$work/install.log"
    ;;
  deb)
    (cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
      { cat "$work/cpack.log"; fail "cpack -G DEB"; }
    deb=$(ls "$work"/package/tavo_*.deb)
    dpkg-deb -x "$deb" "$work/root"
    prefix=$work/root/usr
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for lib in libc6 libstdc++6 libqt6widgets6; do
      [[ "$depends" == *"$lib "* || "$depends" == *"$lib," || "$depends" == *"$lib" ]] ||
        fail "Depends lacks $lib"
    done
    [ "$(dpkg-deb -f "$deb" Section)" = hamradio ] || fail "section is not hamradio"
    # No lintian errors; its warnings and notes are shown.
    lintian --fail-on error "$deb" 2>&1 | grep -v 'root privileges' || true
    lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac

# The tree, file by file.
for f in bin/tavo bin/tavow share/tavo/CQWW.DAT share/man/man1/tavo.1.gz share/man/man1/tavow.1.gz \
  share/applications/tavow.desktop share/mime/packages/tavo.xml share/icons/hicolor/scalable/apps/tavow.svg \
  share/icons/hicolor/48x48/apps/tavow.png share/metainfo/io.github.tavo_project.tavow.metainfo.xml \
  share/doc/tavo/copyright share/doc/tavo/changelog.gz; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$prefix/bin/tavo" ] && [ -x "$prefix/bin/tavow" ] || fail "the programs are not executable"
cmp -s "$prefix/share/tavo/CQWW.DAT" "$source/data/CQWW.DAT" || fail "CQWW.DAT differs from data/"
file "$prefix/share/icons/hicolor/48x48/apps/tavow.png" | grep -q 'PNG image data, 48 x 48' ||
  fail "the PNG icon is not 48x48"
desktop-file-validate "$prefix/share/applications/tavow.desktop" | grep -v '^.*: hint:' || true
desktop-file-validate "$prefix/share/applications/tavow.desktop" >/dev/null ||
  fail "desktop-file-validate"
grep -q '^Categories=.*HamRadio;' "$prefix/share/applications/tavow.desktop" ||
  fail "the menu entry is not in HamRadio"
grep -q '^Exec=tavow %f$' "$prefix/share/applications/tavow.desktop" ||
  fail "the menu entry does not hand tavow the file"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.tavo_project.tavow.metainfo.xml" ||
  fail "appstreamcli validate"
for page in tavo tavow; do
  # groff warns on stderr about anything it cannot lay out cleanly.
  warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q '^NAME' ||
    fail "man -l $page.1 shows no NAME"
done

# tavo from another folder: the installed data, the report beside the log.
mkdir -p "$work/logs" "$work/config"
cp "$source/data/sample.cbr" "$work/logs/sample.cbr"
(cd "$work/logs" && "$prefix/bin/tavo" report sample.cbr >"$work/out" 2>"$work/err") ||
  { cat "$work/err"; fail "the installed tavo report"; }
grep -q '^Worked [0-9]* stations / File type Cabrillo$' "$work/out" || fail "tavo said: $(cat "$work/out")"
head -c 52 "$work/logs/sample.tavo" | grep -q 'Tavo / Country + Continent  Ver 3.80' ||
  fail "no report beside the log"
(cd "$work/logs" && "$prefix/bin/tavo" data) | grep -qF "Data File:$prefix/share/tavo/CQWW.DAT" ||
  fail "tavo does not name the installed data"
"$prefix/bin/tavo" --version | head -n1 | grep -qx 'tavo (Tavo) 3.80' || fail "tavo --version"

# tavow from another folder on Qt's offscreen platform: it comes up and stays.
(cd "$work/logs" && XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
  exec "$prefix/bin/tavow" >"$work/tavow.log" 2>&1) &
pids+=($!)
sleep 2
kill -0 "${pids[-1]}" 2>/dev/null || { cat "$work/tavow.log"; fail "tavow ended at once"; }
kill "${pids[-1]}"

# Under a real window manager: one window only (no "Cannot Open DATA file!" box),
# and closing it writes the settings into the XDG folder.
for tool in Xvfb openbox wmctrl xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "the desktop part is skipped: $tool is not installed (scripts/install-deps.sh package)"
    echo "installed tree checked"
    exit 0
  fi
done
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x500x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

windows() { wmctrl -l 2>/dev/null | grep -c 'Tavo for Windows' || true; }
await_windows() {
  for _ in $(seq 60); do [ "$(windows)" -ge "$1" ] && return 0; sleep 0.25; done
  return 1
}

(cd "$work/logs" && XDG_CONFIG_HOME=$work/config exec "$prefix/bin/tavow" >"$work/tavow.log" 2>&1) &
tavow=$!
pids+=($tavow)
await_windows 1 || { cat "$work/tavow.log"; fail "no window captioned \"Tavo for Windows\""; }
sleep 1.5
[ "$(windows)" -eq 1 ] || fail "tavow shows a message box: the installed data was not found"
[ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/tavow-installed.png"
wmctrl -c 'Tavo for Windows'
for _ in $(seq 40); do kill -0 "$tavow" 2>/dev/null || break; sleep 0.25; done
kill -0 "$tavow" 2>/dev/null && fail "tavow did not close"
settings=$work/config/tavo/tavow.ini
[ -f "$settings" ] || fail "no settings in \$XDG_CONFIG_HOME/tavo/tavow.ini"
grep -q '^NAME=xdg-open' "$settings" || fail "the viewer is not xdg-open: $(cat "$settings")"
grep -q '^\[window\]' "$settings" || fail "no [window] section"

# "tavow LOG", as a file manager's "Open with" starts it: the log is open, so
# Tab from Open reaches the enabled Execute, which writes report and page.
if command -v xdotool >/dev/null; then
  rm -f "$work/logs/sample.tavo" "$work/logs/sample.html"
  (cd "$work/config" && XDG_CONFIG_HOME=$work/config exec "$prefix/bin/tavow" ../logs/sample.cbr \
    >"$work/tavow-log.log" 2>&1) &
  tavow=$!
  pids+=($tavow)
  await_windows 1 || { cat "$work/tavow-log.log"; fail "tavow LOG shows no window"; }
  sleep 1.5
  wmctrl -a 'Tavo for Windows'
  xdotool key --delay 200 Tab space
  for _ in $(seq 40); do [ -s "$work/logs/sample.html" ] && break; sleep 0.25; done
  [ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/tavow-argument.png"
  [ -s "$work/logs/sample.tavo" ] && [ -s "$work/logs/sample.html" ] ||
    fail "tavow LOG did not open the log for Execute"
  wmctrl -c 'Tavo for Windows'
  for _ in $(seq 40); do kill -0 "$tavow" 2>/dev/null || break; sleep 0.25; done
else
  echo "tavow LOG is not tried: xdotool is not installed (scripts/install-deps.sh package)"
fi

# Without any data, the message box: its caption must fit in its title bar.
mkdir -p "$work/bare/bin"
cp "$prefix/bin/tavow" "$work/bare/bin/tavow"
(cd "$work/logs" && XDG_CONFIG_HOME=$work/config exec "$work/bare/bin/tavow" >"$work/bare.log" 2>&1) &
pids+=($!)
await_windows 2 || fail "no \"Cannot Open DATA file!\" box"
sleep 1.5
[ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/tavow-message-box.png"
# The smaller of the two windows is the box; it must be wider than its caption
# in the title font (about 8 pixels a character) plus the title buttons.
width=$(wmctrl -lG | awk '/Tavo for Windows/ {print $5}' | sort -n | head -n1)
echo "message box width: $width"
[ "$width" -ge 250 ] || fail "the message box is only $width pixels wide"
echo "installed tree checked"
