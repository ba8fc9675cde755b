// An invariant of a fuzz target: a run that breaks it stops there, so that libFuzzer keeps the
// input and a replay test fails with it.
#pragma once

#include <cstdlib>

inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}
