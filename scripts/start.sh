#!/usr/bin/env bash
# Installs what is missing, builds the station and starts it on a simulated rack of 8
# receivers. Extra arguments go to the station (e.g. --simulate rack.json).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target k7station
if [ $# -eq 0 ]; then
    set -- --simulate 8
fi
exec build/bin/k7station "$@"
