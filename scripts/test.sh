#!/usr/bin/env bash
# Installs what is missing, builds everything (station, tests, benchmarks) and runs the whole
# test suite. K7_WERROR=ON turns warnings into errors (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK7_WERROR="${K7_WERROR:-OFF}" >/dev/null
cmake --build build
cd build
ctest --output-on-failure -j"$(nproc)"
