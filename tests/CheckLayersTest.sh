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
    mkdir -p src/crew src/monitor
    printf '#include "monitor/Monitor.h"\n#include "display/Scaling.h"\n' >src/crew/View.cpp
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

# expect_pass WHAT: the check passes on the tree as it stands.
expect_pass() {
    local out
    if ! out=$("$check" "$work/tree" 2>&1); then
        echo "FAIL: $1: the check failed on a tree that keeps the layers:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

# breaks WHAT FILE LINE NAMED: a fresh tree with LINE added to FILE fails the check, and the
# report names NAMED.
breaks() {
    local out
    tree
    mkdir -p "$(dirname "$2")"
    printf '%s\n' "$3" >>"$2"
    if out=$("$check" "$work/tree" 2>&1); then
        echo "FAIL: $1: the check passed"
        failures=$((failures + 1))
    elif ! grep -q -- "$4" <<<"$out"; then
        echo "FAIL: $1: the report does not name $4:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

tree
expect_pass "downward includes and links"

breaks "rack includes app" src/rack/RackEngine.cpp '#include "app/Station.h"' \
    "src/rack/RackEngine.cpp:3"
breaks "an upward include in angle brackets" src/bands/CheckFrequency.h \
    '#include <display/MeterPanel.h>' "src/bands/CheckFrequency.h:2"
breaks "another folder of the same layer" src/display/Cell.cpp '#include "control/Panel.h"' \
    "src/display/Cell.cpp:3"
breaks "the simulated rack uses more of link than the driver port" src/sim/SimulatedRack.h \
    '#include "link/LinkModule.h"' "src/sim/SimulatedRack.h:3"
breaks "the simulated rack uses more of platform than the clock" src/sim/SimulatedRack.h \
    '#include "platform/Prompter.h"' "platform/Prompter.h"
breaks "the coordination uses the rack" src/coordination/Set.cpp '#include "rack/RackTables.h"' \
    "src/coordination/Set.cpp:3"
breaks "a relative path around the layers" src/rack/RackEngine.cpp '#include "../app/Station.h"' \
    "relative path"
breaks "rack links a library of app" src/rack/CMakeLists.txt \
    'target_link_libraries(k7_rack PRIVATE k7_app_ui)' "src/rack/CMakeLists.txt:3"
breaks "the simulated rack links the link module" src/sim/CMakeLists.txt \
    'target_link_libraries(k7_sim PRIVATE k7_link)' "src/sim/CMakeLists.txt:4"
breaks "the crew view uses the display beyond its scales" src/crew/Model.cpp \
    '#include "display/MeterPanel.h"' "src/crew/Model.cpp:1"
breaks "the monitor uses the crew view" src/monitor/Monitor.cpp '#include "crew/CrewView.h"' \
    "src/monitor/Monitor.cpp:1"
breaks "a folder outside the layers" src/remote/View.cpp '#include "app/Station.h"' \
    "src/remote has no place"

[ $failures -eq 0 ] && echo "the layer check holds on every tree"
exit $((failures > 0))
