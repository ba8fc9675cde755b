#!/usr/bin/env bash
# Long fuzz runs by hand (CI runs each target briefly with a fixed seed): builds the libFuzzer
# targets with clang, address and undefined-behaviour sanitizers in a build folder of their own,
# then runs them one after another, each for a number of runs or minutes, niced, with a corpus
# kept between runs. Prints per target the runs, exec/s (over the wall time), coverage (cov:
# edges, ft: features), corpus size, wall time and peak memory (a rise from run to run is the
# target keeping state), and any finding with the path of its reproducer. Exit code 1 when a
# target found something.
#
#   scripts/fuzz-long.sh [--runs N | --minutes M] [--dir DIR] [--build DIR] [--no-build]
#                        [TARGET...] [-- LIBFUZZER_FLAGS...]
#
#   --runs N      runs per target (default 1000000)
#   --minutes M   minutes per target instead
#   --dir DIR     corpus, findings and logs (default fuzz-runs/, kept out of git)
#   --build DIR   the build folder (default build-fuzz/)
#   --no-build    run what is built
#   TARGET        fuzz_entries_csv, fuzz_frq_reader, fuzz_parse_serial, fuzz_parse_upload
#                 (default: all of them)
# NICE (default 10) sets the targets' and the build's niceness: the machine may be shared.
#
# A finding stays in DIR/findings/TARGET/; replay it with `BUILD/bin/TARGET FILE`, fix the
# fault and add the input to the target's replay test (tests/fuzz/*ReplayTest.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(fuzz_entries_csv fuzz_frq_reader fuzz_parse_serial fuzz_parse_upload)
runs=1000000
minutes=
dir=fuzz-runs
build="build-fuzz"
do_build=1
targets=()
flags=()
nice_level=${NICE:-10}

usage() {
    sed -n '/^#   scripts/,/^# NICE/p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}
whole_number() {
    [[ $2 =~ ^[1-9][0-9]*$ ]] || {
        echo "fuzz-long: $1 takes a whole number from 1, not '$2'" >&2
        exit 2
    }
}

while (($#)); do
    case $1 in
    --runs)
        [[ $# -ge 2 ]] || usage
        whole_number --runs "$2"
        runs=$2 minutes=
        shift 2
        ;;
    --minutes)
        [[ $# -ge 2 ]] || usage
        whole_number --minutes "$2"
        minutes=$2 runs=
        shift 2
        ;;
    --dir)
        [[ $# -ge 2 ]] || usage
        dir=$2
        shift 2
        ;;
    --build)
        [[ $# -ge 2 ]] || usage
        build=$2
        shift 2
        ;;
    --no-build)
        do_build=0
        shift
        ;;
    --)
        shift
        flags=("$@")
        break
        ;;
    fuzz_*)
        [[ " ${all_targets[*]} " == *" $1 "* ]] || {
            echo "fuzz-long: no fuzz target $1 (${all_targets[*]})" >&2
            exit 2
        }
        targets+=("$1")
        shift
        ;;
    *) usage ;;
    esac
done
((${#targets[@]})) || targets=("${all_targets[@]}")

if ((do_build)); then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    echo "== building ${targets[*]} in $build (clang, address and undefined-behaviour sanitizers)"
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DK7_FUZZ=ON -DK7_SANITIZE=ON -DK7_BENCH=OFF "${launcher[@]}" >/dev/null
    nice -n "$nice_level" cmake --build "$build" --target "${targets[@]}"
fi

# The sanitizers as CI sets them: stop at the first fault, leaks count, Qt's own are listed.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/.ci/lsan-suppressions.txt}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

if [[ -n $minutes ]]; then
    budget=(-max_total_time=$((minutes * 60)))
    echo "== ${minutes} min per target, niceness $nice_level, corpus in $dir/corpus"
else
    budget=(-runs="$runs")
    echo "== $runs runs per target, niceness $nice_level, corpus in $dir/corpus"
fi

# field NAME LINE: the number after "NAME: " in a libFuzzer status line.
field() {
    sed -n "s/.* $1: \([0-9]*\).*/\1/p" <<<"$2"
}

found=0
summary=()
for target in "${targets[@]}"; do
    program=$build/bin/$target
    [[ -x $program ]] || {
        echo "fuzz-long: $program is not built" >&2
        exit 2
    }
    corpus=$dir/corpus/$target
    findings=$dir/findings/$target
    log=$dir/logs/$target.log
    mkdir -p "$corpus" "$findings" "$dir/logs"
    echo "-- $target (log: $log)"
    start=$(date +%s.%N)
    status=0
    nice -n "$nice_level" "$program" "$corpus" "${budget[@]}" -max_len=4096 -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$findings/" "${flags[@]}" >"$log" 2>&1 ||
        status=$?
    seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
    wall=$(printf '%.0f' "$seconds")
    last=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -1 || true)
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    # Over the whole wall time (libFuzzer's own figure counts whole seconds only).
    rate=$(awk -v n="${done_runs:-0}" -v t="$seconds" 'BEGIN { if (n > 0) printf "%.0f", n / t }')
    seed=$(sed -n 's/^INFO: Seed: *//p' "$log" | head -1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    cov=$(field cov "$last")
    ft=$(field ft "$last")
    units=$(field corp "$last")
    result=passed
    if ((status != 0)); then
        found=1
        reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
        result="FOUND (exit $status): ${reproducer:-no reproducer written, see the log}"
        grep -E 'ERROR|deadly signal|SUMMARY|==[0-9]+==|timeout' "$log" | head -8 | sed 's/^/   /'
    fi
    printf '   runs %s, %s exec/s, cov %s, ft %s, corpus %s, %s s, peak %s MB, seed %s: %s\n' \
        "${done_runs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${units:-?}" "$wall" \
        "${rss:-?}" "${seed:-?}" "$result"
    summary+=("$(printf '%-18s %10s %8s %6s %7s %7s %7s %6s  %s' "$target" "${done_runs:-?}" \
        "${rate:-?}" "${cov:-?}" "${ft:-?}" "${units:-?}" "$wall" "${rss:-?}" "$result")")
done

echo
printf '%-18s %10s %8s %6s %7s %7s %7s %6s  %s\n' target runs exec/s cov ft corpus wall_s rss_mb \
    result
printf '%s\n' "${summary[@]}"
exit $found
