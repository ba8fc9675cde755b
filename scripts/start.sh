#!/usr/bin/env bash
# Installs what is missing, builds the station and starts it on the demonstration rack of 8
# simulated receivers (examples/demo-rack.json). Extra arguments go to the station;
# "--simulate NAME" takes the example scenario examples/NAME.json (demo-rack, alert-show,
# transfer-faults), "--simulate" alone the demonstration rack, e.g.
#   scripts/start.sh --simulate alert-show
#   scripts/start.sh --simulate 24 --crew-view
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target k7station
demo=examples/demo-rack.json
if [ $# -eq 0 ]; then
    set -- --simulate "$demo"
fi
args=()
while [ $# -gt 0 ]; do
    if [ "$1" = --simulate ]; then
        if [ $# -eq 1 ] || [[ $2 == -* ]]; then
            args+=(--simulate "$demo")
            shift
            continue
        fi
        if [ -f "examples/$2.json" ]; then
            args+=(--simulate "examples/$2.json")
            shift 2
            continue
        fi
    fi
    args+=("$1")
    shift
done
exec build/bin/k7station "${args[@]}"
