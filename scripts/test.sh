#!/usr/bin/env bash
# Builds from scratch if needed, fuzzes the note reader for half a minute, runs the desktop program
# under a random user with the sanitizers, runs every test, then builds the Debian package, installs it,
# runs the installed programs and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# The note reader under the fuzzer, with clang, in a build of its own.
bash scripts/fuzz.sh 30
# The desktop program under a random user, with the sanitizers.
bash scripts/monkey.sh 45 3
(cd build && ctest --output-on-failure -j"$(nproc)")
# The package as a commission installs it.
bash scripts/package-test.sh
