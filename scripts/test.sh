#!/usr/bin/env bash
# Installs what is needed, checks that the C++ sources are clang-format clean,
# builds, and runs every test twice: an optimised
# build and one under AddressSanitizer + UndefinedBehaviorSanitizer. Then the
# Windows builds: x86-64 built and tested under Wine, 32-bit x86 built and
# checked (this machine's kernel runs no 32-bit programs). Last, each fuzz
# target runs 50,000 inputs from fresh seeds (about a minute in all on 2
# cores), so every run fuzzes a little; scripts/fuzz.sh runs them longer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh all
jobs=$(nproc)

echo "== format"
bash scripts/check-format.sh

for preset in release sanitize win64 win32; do
  echo "== $preset build"
  start=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  echo "== $preset took $((SECONDS - start)) s"
done

echo "== fuzz"
start=$SECONDS
rm -rf build/fuzz/test-corpus
TAVO_FUZZ_CORPUS=build/fuzz/test-corpus bash scripts/fuzz.sh -runs=50000
echo "== fuzz took $((SECONDS - start)) s"
