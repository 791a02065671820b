#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer into build-fuzz/ and runs the note reader's target
# for a bounded time: the first argument in seconds, 60 by default. Starts from the sample corpus in
# tests/fuzz/corpus/ and keeps what it finds in build-fuzz/corpus/ for the next run; a crash, hang or
# leak fails the script and leaves its input in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELT_FUZZ=ON -DZELT_SANITIZE=ON >/dev/null
cmake --build build-fuzz --target rich_text_fuzz -j"$(nproc)"
mkdir -p build-fuzz/corpus build-fuzz/artifacts
build-fuzz/tests/fuzz/rich_text_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -dict=tests/fuzz/rich_text.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
  build-fuzz/corpus tests/fuzz/corpus
