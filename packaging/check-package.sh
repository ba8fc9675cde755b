#!/usr/bin/env bash
# Builds the Debian package from an existing build folder and checks it: lintian (no error), the
# files it holds, the desktop entry, the AppStream metainfo and the manual page as installed,
# then the station unpacked into a temporary root, run headless on 8 simulated receivers: it
# must end in order, find its atlas and font in the installed layout and draw every cell. A
# second run of the same station without any font must say so on standard error.
#   packaging/check-package.sh [BUILD_DIR]     (default: build)
# Needs lintian, desktop-file-utils, appstream, man-db, dpkg-dev and file (the README's Install
# commands and .ci/run install them through scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen

cmake --build "$build" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$(ls "$build"/k7station_"$version"_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Depends

echo "-- lintian"
# Errors fail the check; warnings and notes are listed.
status=0
lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1 || status=$?
grep -v 'with root privileges' "$work/lintian" || true
[ $status -eq 0 ] || { echo "lintian reports errors"; exit 1; }

echo "-- contents"
app_id=com.veltora.k7station
contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for path in usr/bin/k7station usr/share/k7station/Graphics.tof \
    usr/lib/udev/rules.d/99-k7station.rules usr/share/applications/$app_id.desktop \
    usr/share/icons/hicolor/scalable/apps/$app_id.svg usr/share/metainfo/$app_id.metainfo.xml \
    usr/share/man/man1/k7station.1.gz usr/share/doc/k7station/copyright \
    usr/share/doc/k7station/changelog.gz; do
    grep -qx "\./$path" <<<"$contents" || { echo "the package lacks /$path"; exit 1; }
done
# The packaged README's pictures lie beside it, and the example scenarios it names.
for path in $(grep -o 'docs/[A-Za-z0-9._-]*\.png' README.md | sort -u) \
    examples/demo-rack.json examples/alert-show.json examples/transfer-faults.json; do
    grep -qx "\./usr/share/doc/k7station/$path" <<<"$contents" ||
        { echo "the package lacks /usr/share/doc/k7station/$path, which its README names"; exit 1; }
done

root=$work/root
dpkg-deb -x "$deb" "$root"

echo "-- desktop entry, metainfo, manual page"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
    "$root/usr/share/man/man1/k7station.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || { echo "the manual page renders with warnings:"; echo "$man_warnings"; exit 1; }
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/man1/k7station.1.gz" | grep -q -- '--simulate'

echo "-- the installed station, headless"
# Each run has its own settings, data and runtime folders (the lock), so they may run at once.
run() { # run NAME SNAPSHOT [VARIABLE=VALUE...]
    local name=$1 snapshot=$2 home=$work/$1
    shift 2
    mkdir -p "$home/config" "$home/data" "$home/runtime"
    chmod 700 "$home/runtime"
    env XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" "$@" \
        "$root/usr/bin/k7station" -platform offscreen --simulate 8 --run-for 6 \
        --app-dir "$home/app" --trace "$home/trace.jsonl" --snapshot "$snapshot" \
        >"$home/out" 2>"$home/err"
}
printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' \
    "$work/fc-cache" >"$work/no-fonts.conf"
run installed "$work/installed.png" &
installed=$!
run nofonts "$work/nofonts.png" FONTCONFIG_FILE="$work/no-fonts.conf" &
nofonts=$!
code=0
wait $installed || code=$?
[ $code -eq 0 ] || { echo "the installed station ended with $code:"; cat "$work/installed/err"; exit 1; }
if grep -q 'graphics problem' "$work/installed/trace.jsonl"; then
    echo "the installed station did not find its atlas"; exit 1
fi
if grep -q 'font' "$work/installed/err"; then
    echo "the installed station did not find its font:"; cat "$work/installed/err"; exit 1
fi
"$build/bin/k7_meter_snapshot" "$build/bin" "$work" 2>/dev/null
"$build/bin/k7_snapshot_check" "$work/installed.png" "$work/panel-8.png"

code=0
wait $nofonts || code=$?
[ $code -eq 0 ] || { echo "the station without fonts ended with $code:"; cat "$work/nofonts/err"; exit 1; }
grep -q 'no font for the meter panel' "$work/nofonts/err" ||
    { echo "the station without fonts did not say so"; exit 1; }
if "$build/bin/k7_snapshot_check" "$work/nofonts.png" \
    "$work/panel-8.png" >"$work/nofonts/check"; then
    echo "the snapshot check passed a panel drawn without fonts"; exit 1
fi
echo "without fonts: said so on standard error; the snapshot check refused the panel with:"
sed 's/^/    /' "$work/nofonts/check"
echo "package made and checked in $SECONDS s"
