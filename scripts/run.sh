#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job: the report of the
# bundled sample log with the bundled country data, printed to the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh core
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tavo

# --stdout leaves the repository untouched: the report is printed, the status
# line goes to standard error.
build/release/cli/tavo report --stdout --data data/CQWW.DAT data/sample.cbr
