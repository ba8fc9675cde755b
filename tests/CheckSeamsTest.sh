#!/usr/bin/env bash
# The seams check on made-up trees: a tree whose engine and rack file write their own state
# passes; each deliberate write from outside (the engine's state, a station timer by tag, by
# number or through the timer bank, the rack's file state, its type named) fails, naming it.
#   tests/CheckSeamsTest.sh scripts/check-seams.sh
set -uo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"/src/{rack,files,app,editor}
    cat >"$work/tree/src/rack/EngineTimers.cpp" <<'CPP'
void RackEngine::start(int tag) { timers_.setEnabled(PollTimer, true); state_.PollMode = 2; }
CPP
    cat >"$work/tree/src/files/RackFile.cpp" <<'CPP'
void RackFile::AcceptLoadedFile() { state_.FileInUse = true; state_.EntryCount = 3; }
CPP
    cat >"$work/tree/src/app/Station.cpp" <<'CPP'
void Station::Continue() { core_.engine().EndExitHold({}); timer_->setEnabled(true); }
bool Station::InUse() const { return core_.rackFile().FileInUse() == true; }
CPP
    cat >"$work/tree/src/editor/Editor.cpp" <<'CPP'
void Editor::Read() { document.EntryCount = 4; editor.GlobalMuteLevel = 2; }
CPP
}

expect_pass() {
    local out
    if ! out=$(SEAMS_ROOT="$work/tree" "$check" 2>&1); then
        echo "FAIL: $1: the check failed on a tree that keeps the seams:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

# expect_fail WHAT FILE LINE: with the line added to the file, the check fails and names it.
expect_fail() {
    tree
    echo "$3" >>"$work/tree/$2"
    local out
    if out=$(SEAMS_ROOT="$work/tree" "$check" 2>&1); then
        echo "FAIL: $1: the check passed"
        failures=$((failures + 1))
    elif ! grep -q "$2" <<<"$out"; then
        echo "FAIL: $1: the check did not name $2:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

tree
expect_pass "the engine and the rack file write their own state"
expect_fail "the engine's state" src/app/Station.cpp 'void f() { state.PassSlot = 0; }'
expect_fail "a timer by its tag" src/editor/Editor.cpp 'void f() { t.setEnabled(WatchdogTimer, false); }'
expect_fail "a timer by its number" src/app/Station.cpp 'void f() { bank.setInterval(0, 12); }'
expect_fail "the timer bank" src/app/Station.cpp 'void f() { timers_.disableAll(); }'
expect_fail "the timer bank, released" src/app/Station.cpp 'void f() { core.timers().Release(); }'
expect_fail "the file in use" src/app/Station.cpp 'void f() { files_.FileInUse = false; }'
expect_fail "the file in force" src/editor/Editor.cpp 'void f() { s.CurrentFile = "x.frq"; }'
expect_fail "the load-at-start choice" src/app/Station.cpp 'void f() { LoadLastFile = true; }'
expect_fail "the rack's count" src/app/Station.cpp 'void f() { files.EntryCount = 0; }'
expect_fail "the state's type" src/editor/Editor.cpp 'struct FileState copy;'

if [[ $failures -gt 0 ]]; then
    echo "$failures case(s) of the seams check failed"
    exit 1
fi
