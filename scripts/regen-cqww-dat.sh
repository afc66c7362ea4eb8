#!/usr/bin/env bash
# Regenerates the bundled data/CQWW.DAT from the cty.dat of Debian's package
# hamradio-files, with the command-line tool's converter. Afterwards bring
# data/README.md up to date with the versions and counts this prints.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core data
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target tavo
build/release/cli/tavo convert-cty /usr/share/hamradio-files/cty.dat -o data/CQWW.DAT

echo "hamradio-files $(dpkg-query -W -f='${Version}' hamradio-files)"
head -n 1 data/CQWW.DAT
build/release/cli/tavo data --data data/CQWW.DAT
