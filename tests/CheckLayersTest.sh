#!/usr/bin/env bash
# The layer check on made-up trees: a tree that keeps the layers passes (a higher layer
# including a lower one's interface to implement it among them), and each way of breaking them
# fails, naming the file.
#   tests/CheckLayersTest.sh scripts/check-layers.sh
set -uo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree: a fresh tree whose files keep the layers.
tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"/src/{platform,link,sim,rack,bands,coordination,display,control,app}
    cd "$work/tree" || exit 2
    printf '#pragma once\n#include <QString>\n#include <gtest/gtest.h>\n' >src/platform/Clock.h
    printf '#include "platform/Clock.h"\n' >src/link/LinkModule.cpp
    printf '#include "link/Ftd2xx.h"\n#include "platform/Clock.h"\n' >src/sim/SimulatedRack.h
    printf '#include "RackPorts.h"\n#include "link/LinkModule.h"\n' >src/rack/RackEngine.cpp
    printf '#include "rack/RackPorts.h"\n' >src/bands/CheckFrequency.h
    printf '#include "bands/BandPlan.h"\n#include "platform/Clock.h"\n' >src/coordination/Set.cpp
    printf '#include "support/RackHarness.h"\n#include "rack/RackTables.h"\n' >src/display/Cell.cpp
    printf '#include "Version.h"\n#include "display/MeterPanel.h"\n' >src/app/Station.cpp
    printf 'add_library(k7_link STATIC a.cpp)\nadd_library(k7_ftd2xx INTERFACE)\n' \
        >src/link/CMakeLists.txt
    printf 'add_library(k7_sim STATIC a.cpp)\n# not k7_link\n' >src/sim/CMakeLists.txt
    printf 'target_link_libraries(k7_sim PUBLIC k7_ftd2xx PRIVATE k7_platform)\n' \
        >>src/sim/CMakeLists.txt
    printf 'add_library(k7_rack STATIC a.cpp)\ntarget_link_libraries(k7_rack PUBLIC k7_link)\n' \
        >src/rack/CMakeLists.txt
    printf 'add_library(k7_app STATIC a.cpp)\nadd_library(k7_app_ui STATIC b.cpp)\n' \
        >src/app/CMakeLists.txt
}

# expect_pass WHAT / expect_fail WHAT NAMED: run the check on the tree as it stands.
expect_pass() {
    local out
    if ! out=$("$check" "$work/tree" 2>&1); then
        echo "FAIL: $1: the check failed on a tree that keeps the layers:"
        echo "$out"
        failures=$((failures + 1))
    fi
}
expect_fail() {
    local out
    if out=$("$check" "$work/tree" 2>&1); then
        echo "FAIL: $1: the check passed"
        failures=$((failures + 1))
    elif ! grep -q -- "$2" <<<"$out"; then
        echo "FAIL: $1: the report does not name $2:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

tree
expect_pass "downward includes and links"

tree
printf '#include "app/Station.h"\n' >>src/rack/RackEngine.cpp
expect_fail "rack includes app" "src/rack/RackEngine.cpp:3"

tree
printf '#include <display/MeterPanel.h>\n' >>src/bands/CheckFrequency.h
expect_fail "an upward include in angle brackets" "src/bands/CheckFrequency.h:2"

tree
printf '#include "control/Panel.h"\n' >>src/display/Cell.cpp
expect_fail "another folder of the same layer" "src/display/Cell.cpp:3"

tree
printf '#include "link/LinkModule.h"\n' >>src/sim/SimulatedRack.h
expect_fail "the simulated rack uses more of link than the driver port" "src/sim/SimulatedRack.h"

tree
printf '#include "platform/Prompter.h"\n' >>src/sim/SimulatedRack.h
expect_fail "the simulated rack uses more of platform than the clock" "platform/Prompter.h"

tree
printf '#include "rack/RackTables.h"\n' >>src/coordination/Set.cpp
expect_fail "the coordination uses the rack" "src/coordination/Set.cpp:3"

tree
printf '#include "../app/Station.h"\n' >>src/rack/RackEngine.cpp
expect_fail "a relative path around the layers" "relative path"

tree
printf 'target_link_libraries(k7_rack PRIVATE k7_app_ui)\n' >>src/rack/CMakeLists.txt
expect_fail "rack links a library of app" "src/rack/CMakeLists.txt:3"

tree
printf 'target_link_libraries(k7_sim PRIVATE k7_link)\n' >>src/sim/CMakeLists.txt
expect_fail "the simulated rack links the link module" "src/sim/CMakeLists.txt:4"

tree
mkdir -p src/remote
printf '#include "app/Station.h"\n' >src/remote/View.cpp
expect_fail "a folder outside the layers" "src/remote has no place"

[ $failures -eq 0 ] && echo "the layer check holds on every tree"
exit $((failures > 0))
