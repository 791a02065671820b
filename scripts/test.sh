#!/usr/bin/env bash
# Builds from scratch if needed, runs every test, then fuzzes the note reader for half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
# The note reader under the fuzzer, with clang.
bash scripts/fuzz.sh 30
