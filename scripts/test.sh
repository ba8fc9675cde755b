#!/usr/bin/env bash
# Installs what is missing, builds everything (station, tests, benchmarks) and runs the whole
# test suite, the browser test of the crew view included (Debian's chromium, and playwright-core
# from npm into tests/browser/node_modules), and the windows' order under a real X server
# (Xvfb). K7_WERROR=ON turns warnings into errors (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
# Node.js and npm may come from elsewhere than Debian (a newer build without Debian's npm
# package): ask for Debian's only when the commands are missing.
node_packages=()
command -v node >/dev/null || node_packages+=(nodejs)
command -v npm >/dev/null || node_packages+=(npm)
scripts/install-deps.sh chromium xvfb "${node_packages[@]}"
if [ ! -d tests/browser/node_modules/playwright-core ]; then
    (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
fi
# Line tables only (-g1): a failing test's backtrace names files and lines, and the optimised
# libraries compile in two thirds of the time full debug information takes.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DK7_WERROR="${K7_WERROR:-OFF}" >/dev/null
cmake --build build
cd build
K7_BROWSER_REQUIRED=1 ctest --output-on-failure -j"$(nproc)"
