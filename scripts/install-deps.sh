#!/usr/bin/env bash
# Installs, from Debian's packages, what the named parts of the build need.
# Groups: core (compiler, CMake, tests, benchmarks, expat for .adx logs, the JSON writer's header, clang-format), gui (Qt window),
# windows (mingw-w64 cross compilers, and Wine with a virtual X display to run
# the Windows programs headless), package (installing and the Debian package:
# its tools, the icon's PNG, and a virtual desktop with a window manager to see
# the installed window on), browser (headless Chromium, which loads the HTML
# report in its test), fuzz (clang and libFuzzer), all;
# data (Debian's cty.dat) is for regenerating data/CQWW.DAT, and a second place
# the MASTER.SCP agreement test looks for cty.dat; bench (valgrind, strace, hyperfine, GNU time)
# is for measuring by hand; "all" leaves both out.
# Safe to run again: only missing packages are fetched.
set -euo pipefail

core=(g++ cmake make googletest libgtest-dev libbenchmark-dev locales libexpat1-dev nlohmann-json3-dev clang-format)
# qt6-base-dev itself depends on libglx-dev, libopengl-dev and libvulkan-dev,
# which Qt6Gui's CMake package needs; the tests draw on Qt's offscreen platform.
gui=(qt6-base-dev libgl-dev fonts-ipafont-gothic)
# Wine's X driver loads the X extension libraries only when they are there,
# so the ones a window needs are named here; googletest brings the sources
# the cross builds compile GoogleTest from.
windows=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine
  fonts-ipafont-gothic libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxfixes3
  libxcomposite1 xvfb xauth x11-utils imagemagick)
# librsvg2-bin turns the icon's SVG into its PNG at build time; xvfb, openbox
# and wmctrl give the installed window a real window manager to be closed by,
# and xdotool presses its Execute button.
package=(dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db groff-base
  librsvg2-bin xvfb xauth openbox wmctrl x11-utils imagemagick xdotool)
# The HTML report's and the comparison's tests load the pages in a real
# browser, headless; the comparison's reads the rendered lines with Python.
browser=(chromium python3)
data=(hamradio-files)
# Counting instructions and system calls and timing whole commands, for
# measuring by hand (bench/counts.sh).
bench=(valgrind strace hyperfine time)
# clang with libFuzzer and the sanitizers' runtimes, for the fuzz preset.
fuzz=(clang libclang-rt-14-dev)

wanted=()
for group in "${@:-core}"; do
  case "$group" in
    core) wanted+=("${core[@]}") ;;
    gui) wanted+=("${gui[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    package) wanted+=("${package[@]}") ;;
    browser) wanted+=("${browser[@]}") ;;
    data) wanted+=("${data[@]}") ;;
    bench) wanted+=("${bench[@]}") ;;
    fuzz) wanted+=("${fuzz[@]}") ;;
    all) wanted+=("${core[@]}" "${gui[@]}" "${windows[@]}" "${package[@]}" "${browser[@]}"
      "${fuzz[@]}") ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
