#!/usr/bin/env bash
# Runs a test program on a display of its own (Xvfb, 1920 x 1080) on Qt's X platform:
#   tests/app/under-xvfb.sh PROGRAM [ARGUMENTS...]
# Without Xvfb (Debian package xvfb) the test is skipped with a message (exit code 77), unless
# K7_BROWSER_REQUIRED is set (scripts/test.sh and CI set it: every real part must run), which
# makes it fail instead.
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
    if [ -n "${K7_BROWSER_REQUIRED:-}" ]; then
        echo "Xvfb (package xvfb) is not installed, and K7_BROWSER_REQUIRED asks for every test"
        exit 1
    fi
    echo "skipped: Xvfb (package xvfb) is not installed"
    exit 77
fi
work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
# -displayfd: the server picks a free display and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=$(head -n 1 "$work/display")
if [ -z "$display" ]; then
    echo "Xvfb did not start:"
    cat "$work/xvfb.log"
    exit 1
fi
status=0
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit $status
