#!/usr/bin/env bash
# Builds the Debian package of the programs: build/zelt_<version>_amd64.deb, to install with
#   sudo apt-get install ./build/zelt_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cmake --build build --target package
ls build/zelt_*_amd64.deb
