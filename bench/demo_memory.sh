#!/bin/sh
# The memory of a demonstration left running: starts the station on a simulated rack on the
# offscreen platform for a while and prints, at every sample, its resident size and the peak so
# far (VmRSS and VmHWM from /proc), then the peak's growth after the first minute. A demo that
# stays flat shows the same peak from the first minute on. Run by hand (it takes as long as the
# run), from the repository after a build:
#
#   bench/demo_memory.sh [seconds=600] [receivers=24] [sample every seconds=30]
#
# K7STATION names another station binary (default build/bin/k7station).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
station=${K7STATION:-$root/build/bin/k7station}
seconds=${1:-600}
receivers=${2:-24}
every=${3:-30}

if [ ! -x "$station" ]; then
    echo "No station at $station: build it first (cmake --build build)." >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -m 700 "$work/run"

# Its own settings, data and runtime folders: a station running beside it is not disturbed.
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" \
    "$station" -platform offscreen --simulate "$receivers" --run-for "$seconds" \
    --app-dir "$work/app" &
pid=$!

# Empty once the station has ended.
field() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status" 2>/dev/null || true; }

echo "k7station --simulate $receivers for $seconds s, pid $pid"
printf '%8s %12s %12s\n' seconds rss_kB peak_kB
start=$(date +%s)
peak_at_minute=
peak=
while kill -0 "$pid" 2>/dev/null; do
    sleep "$every"
    now=$(($(date +%s) - start))
    rss=$(field VmRSS)
    hwm=$(field VmHWM)
    [ -n "$hwm" ] || break
    peak=$hwm
    if [ -z "$peak_at_minute" ] && [ "$now" -ge 60 ]; then
        peak_at_minute=$hwm
    fi
    printf '%8d %12s %12s\n' "$now" "$rss" "$hwm"
done
status=0
wait "$pid" || status=$?
echo "station exit code: $status"
if [ -n "$peak_at_minute" ] && [ -n "$peak" ]; then
    echo "peak after the first minute: $peak_at_minute kB; at the end: $peak kB;" \
        "growth: $((peak - peak_at_minute)) kB"
fi
exit "$status"
