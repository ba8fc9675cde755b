#!/bin/sh
# What showing the meters costs: starts the station on simulated racks of 8, 24 and 40
# receivers, under Xvfb (a real X server, when it is installed) and on the offscreen platform,
# each for a while, and prints for every run the station's CPU share (user + system time over
# wall time, start-up and discovery included) and its peak resident memory. Under Xvfb the X
# server's own share is printed beside it. Run by hand (not in CI), from the repository after a
# build, on a machine that is otherwise quiet (the load average is printed first):
#
#   bench/cpu_share.sh [seconds=60] [racks="8 24 40"] [platforms="xvfb offscreen"] [runs=1]
#
# Each platform ends with two floors, from build/bin/poll_floor. "floor": a window and a 4 ms
# timer that blocks for one answer's read a tick and does nothing else, which is what the polling
# alone costs here. "paced": a window and a 4 ms timer that does not wait (the simulated rack
# answers at once) and repaints five cell-sized rectangles at the screen's pace (the first tick
# at least 17 ms after the last repaint), which is what any window polling at that rate and
# showing its changes at 60 Hz costs here. With runs above 1, every row is run that many times
# in turn (each run printed) and the median CPU share of each row follows the table.
# K7STATION names another station binary (default build/bin/k7station). Needs GNU time
# (/usr/bin/time, Debian package `time`); Xvfb comes with the Debian package `xvfb`.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
station=${K7STATION:-$root/build/bin/k7station}
floor=$root/build/bin/poll_floor
seconds=${1:-60}
racks=${2:-"8 24 40"}
platforms=${3:-"xvfb offscreen"}
runs=${4:-1}
gnutime=/usr/bin/time

if [ ! -x "$station" ]; then
    echo "No station at $station: build it first (cmake --build build)." >&2
    exit 2
fi
case $runs in
'' | *[!0-9]* | 0)
    echo "The number of runs must be a whole number above 0, not '$runs'." >&2
    exit 2
    ;;
esac
if [ ! -x "$gnutime" ]; then
    echo "No GNU time at $gnutime: install the Debian package 'time'." >&2
    exit 2
fi

work=$(mktemp -d)
xpid=
cleanup() {
    if [ -n "$xpid" ]; then
        kill "$xpid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

ticks=$(getconf CLK_TCK)
# user + system time of a running process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

start_xvfb() {
    if ! command -v Xvfb >/dev/null 2>&1; then
        echo "Xvfb is not installed (Debian package xvfb): the X server runs are skipped." >&2
        return 1
    fi
    # Xvfb picks a free display and writes its number to the file once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" \
        2>"$work/xvfb.log" &
    xpid=$!
    tries=0
    while [ ! -s "$work/display" ]; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$xpid" 2>/dev/null; then
            echo "Xvfb did not start (see below):" >&2
            cat "$work/xvfb.log" >&2
            xpid=
            return 1
        fi
        sleep 0.1
    done
    display=:$(head -n 1 "$work/display")
}

stop_xvfb() {
    kill "$xpid" 2>/dev/null || true
    wait "$xpid" 2>/dev/null || true
    xpid=
}

# run PLATFORM RECEIVERS: one timed run of the station (RECEIVERS "floor" or "paced": of
# poll_floor); prints its line of the table.
run() {
    platform=$1
    receivers=$2
    dir="$work/$platform-$receivers"
    rm -rf "$dir"
    mkdir -p "$dir/run"
    chmod 700 "$dir/run"
    if [ "$platform" = xvfb ]; then
        qpa=xcb
        x_before=$(cpu_ticks "$xpid")
    else
        qpa=offscreen
    fi
    if [ "$receivers" = floor ]; then
        set -- "$floor" -platform "$qpa" "$seconds" 4 2500
    elif [ "$receivers" = paced ]; then
        set -- "$floor" -platform "$qpa" "$seconds" 4 0 17
    else
        set -- "$station" -platform "$qpa" --simulate "$receivers" --run-for "$seconds" \
            --app-dir "$dir/app"
    fi
    # Its own settings, data and runtime folders: nothing of the operator's is touched.
    status=0
    DISPLAY=${display:-} XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
        XDG_RUNTIME_DIR="$dir/run" "$gnutime" -f '%U %S %e %M' -o "$dir/time" "$@" \
        >"$dir/out" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "$platform, $receivers: $1 ended with code $status:" >&2
        cat "$dir/out" >&2
        return 1
    fi
    x_share=-
    if [ "$platform" = xvfb ]; then
        x_after=$(cpu_ticks "$xpid")
        x_share=$(awk -v t="$((x_after - x_before))" -v hz="$ticks" -v w="$(awk '{ print $3 }' \
            "$dir/time")" 'BEGIN { printf "%.2f", 100 * t / hz / w }')
    fi
    awk -v platform="$platform" -v n="$receivers" -v x="$x_share" '{
        printf "%-10s %9s %8.1f %8.2f %8.2f %8.2f %10.1f %9s\n", platform, n, $3, $1, $2,
            100 * ($1 + $2) / $3, $4 / 1024, x
    }' "$dir/time" | tee -a "$work/table"
}

echo "k7station: $station"
echo "load before the runs:$(uptime | sed 's/.*load average://')"
printf '%-10s %9s %8s %8s %8s %8s %10s %9s\n' platform receivers wall_s user_s sys_s \
    cpu_% peak_MB x_cpu_%
for platform in $platforms; do
    if [ "$platform" = xvfb ]; then
        start_xvfb || continue
    else
        display=
    fi
    rows=$racks
    if [ -x "$floor" ]; then
        rows="$rows floor paced"
    fi
    round=0
    while [ "$round" -lt "$runs" ]; do
        round=$((round + 1))
        for receivers in $rows; do
            run "$platform" "$receivers"
        done
    done
    if [ "$platform" = xvfb ]; then
        stop_xvfb
    fi
done
echo "load after the runs:$(uptime | sed 's/.*load average://')"
if [ "$runs" -gt 1 ] && [ -s "$work/table" ]; then
    echo "median CPU share of $runs runs:"
    # Rows in the order they first ran; the median of each row's runs.
    awk '{ key = $1 " " $2; if (!(key in n)) order[++rows] = key; v[key, ++n[key]] = $6 }
        END {
            for (r = 1; r <= rows; r++) {
                key = order[r]; m = n[key]
                for (i = 1; i <= m; i++) s[i] = v[key, i]
                for (i = 2; i <= m; i++)
                    for (j = i; j > 1 && s[j - 1] > s[j]; j--) { t = s[j]; s[j] = s[j - 1]; s[j - 1] = t }
                med = m % 2 ? s[(m + 1) / 2] : (s[m / 2] + s[m / 2 + 1]) / 2
                split(key, k, " ")
                printf "%-10s %9s %8.2f\n", k[1], k[2], med
            }
        }' "$work/table"
fi
