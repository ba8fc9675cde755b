#!/usr/bin/env bash
# Installs the Debian packages the station, its tests and its benchmarks need, and only those
# that are missing; packages named as arguments are added to the list (CI adds the packaging
# tools). Runs as root, or through sudo.
set -euo pipefail

packages=(
    g++ clang clang-format cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev libxcb1-dev
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev qt6-multimedia-dev
    fonts-liberation2
    poppler-utils # pdfinfo and pdftotext: the show sheet test reads its PDF back
    libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
