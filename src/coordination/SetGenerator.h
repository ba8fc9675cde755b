// The set generator: the largest set of carriers of one band it can find that is clean under
// the coordination rules, around the carriers the operator locked and outside the ranges the
// operator excluded.
//
// The method. Every candidate channel carries a count of the windows that a carrier there
// would break (ChannelBlocks), updated as carriers join and leave, so a channel is tested in
// constant time and a move costs the windows of one carrier, not a recheck of the set.
//  1. Constructions: greedy passes in several orders (ascending, descending, from the middle
//     outwards, from both edges inwards, then shuffled orders), each one iteration; the best
//     is the starting set. The ascending pass alone is also reported as the floor to beat.
//  2. Local search: each iteration takes out one to three carriers (random ones, or one and
//     its neighbours in frequency) and refills the set by repeatedly adding the free channel
//     that blocks the fewest other free channels (ties drawn at random). A refill that leaves
//     the set at least as large is kept, so the search walks across plateaus; a smaller one is
//     undone. After a long run without a larger set the search starts again from the best.
// Randomness comes from the seed alone: the same seed, rules and iteration budget give the
// same set on any machine. The time budget (1 s unless told) or the iteration budget ends the
// search, whichever comes first; a set of the target size ends it at once.
#pragma once

#include "Intermodulation.h"
#include "bands/BandPlan.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace k7 {

class Clock;

struct GeneratorProgress {
    std::int64_t iterations = 0;
    int best = 0; // the largest clean set so far, locked carriers included
    std::int64_t elapsedMicros = 0;
};

struct GeneratorOptions {
    CoordinationRules rules;
    // Stop as soon as the set holds this many carriers (locked ones included); 0: no target.
    int target = 0;
    // Carriers kept as they are (kHz), whatever else is chosen around them.
    std::vector<int> locked;
    // No carrier is chosen inside these (both ends included).
    std::vector<KHzRange> excluded;
    std::uint64_t seed = 1;
    // 0: no budget of that kind. With neither, the time budget is 1 s.
    std::int64_t iterations = 0;
    std::int64_t timeBudgetMicros = 1'000'000;
    // The time budget's clock; the system's monotonic clock when none is given.
    const Clock* clock = nullptr;
    // Told every so many iterations and whenever a larger set is found.
    std::function<void(const GeneratorProgress&)> progress;
    // Asked at each progress report; true ends the search with the best set so far.
    std::function<bool()> cancelled;
};

struct GeneratorResult {
    std::vector<int> carriers; // kHz ascending, locked carriers included
    int greedy = 0;            // what one ascending greedy pass found, locked carriers included
    std::int64_t iterations = 0;
    bool cancelled = false;
    // Conflicts among the locked carriers themselves: they stay, so the set is clean only
    // when this is empty. Indices refer to GeneratorOptions::locked.
    std::vector<Conflict> lockConflicts;
};

GeneratorResult GenerateSet(const BandPlan& band, const GeneratorOptions& options);

// One greedy pass in ascending order, the floor any search must beat.
std::vector<int> GreedyPass(const BandPlan& band, const GeneratorOptions& options);

} // namespace k7
