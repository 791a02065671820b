#!/usr/bin/env bash
# Runs the desktop program under the seeded random user (zelt-monkey) for a while, on fresh demo
# data, in the build with AddressSanitizer and UndefinedBehaviorSanitizer (build-fuzz/).
#   bash scripts/monkey.sh [SECONDS] [SEED...]     defaults: 45 seconds, seed 3
# The log of each seed is build-fuzz/monkey-SEED.log: a failure replays from the same seed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-45}"
shift || true
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(3)
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELT_FUZZ=ON -DZELT_SANITIZE=ON >/dev/null
cmake --build build-fuzz --target zelt-monkey -j"$(nproc)"
# Leaks of the window system's libraries are not this program's faults; everything else stops the run.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for seed in "${seeds[@]}"; do
  QT_QPA_PLATFORM=offscreen build-fuzz/tools/zelt-monkey --seed "$seed" --seconds "$seconds" --hang 120 --fresh \
    --log "build-fuzz/monkey-$seed.log" "build-fuzz/monkey-$seed"
done
