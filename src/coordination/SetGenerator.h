// The set generator: the largest set of carriers it can find that is clean under the
// coordination rules, for a rack of slots each with its own band, around the carriers the
// operator keeps and the fixed carriers of other transmitters, outside the ranges the operator
// excluded; and, on request, backups.
//
// The method. Every candidate channel carries a count of the windows that a carrier there
// would break (ChannelBlocks, across all bands: every product of every pair and triple counts
// against every carrier, whatever its band), updated as carriers join and leave, so a channel
// is tested in constant time and a move costs the windows of one carrier, not a recheck of the
// set. Where bands overlap, a carrier on a shared channel may fill a slot of either band
// (SlotCapacity).
//  1. Constructions: greedy passes in several orders (ascending, descending, from the middle
//     outwards, from both edges inwards, then shuffled orders), each one iteration; the best
//     is the starting set. The ascending pass alone is also reported as the floor to beat.
//  2. Local search (LocalSearch): each iteration takes out one to three carriers and refills the
//     set with free channels that block few others. A refill that leaves the set at least as
//     large is kept, so the search walks across plateaus; a smaller one is undone.
//  3. Restarts: after a run of iterations without a larger set, the best set is ruined (a fifth
//     to seven tenths of the band emptied and built again from its edge) and the local search
//     goes on from there with a seed of its own, so the budget is spent on a portfolio of
//     searches instead of circling one set.
//  4. Small bands (up to ExactSearch::kMostChannels channels): after a tenth of the budget,
//     an exhaustive search with the best set as its bound for the rest; when it ends, no
//     larger set exists.
//  5. Backups: with the set complete, further steps keep it complete while they raise the
//     number of clean channels, until the backups asked for are there.
// Randomness comes from the seed alone: the same seed, rules and iteration budget give the
// same set on any machine. The time budget (1 s unless told) or the iteration budget ends the
// search, whichever comes first; a set that fills every slot (and has its backups) ends it at
// once.
#pragma once

#include "CoordinationSlot.h"
#include "Intermodulation.h"
#include "bands/BandPlan.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace k7 {

class Clock;

struct GeneratorProgress {
    std::int64_t iterations = 0;
    int best = 0; // the largest clean set so far, kept carriers included
    std::int64_t elapsedMicros = 0;
};

struct GeneratorOptions {
    CoordinationRules rules;
    // One band's form only: stop as soon as the set holds this many carriers (locked ones
    // included); 0: no target. The slots' form fills its slots.
    int target = 0;
    // Carriers kept as they are (kHz), whatever else is chosen around them. In one band's
    // form each fills one of the target's carriers; in the slots' form each fills an open
    // slot whose band has it as a channel.
    std::vector<int> locked;
    // No carrier is chosen inside these (both ends included).
    std::vector<KHzRange> excluded;
    // Other transmitters: carriers whose products and spacing count, never moved or returned.
    std::vector<FixedCarrier> fixed;
    // How many backups to find.
    int backups = 0;
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
    std::vector<int> carriers; // kHz ascending, every carrier kept included
    // The slots' form: each slot's carrier in slot order (a locked slot's own); none where the
    // search found none.
    std::vector<std::optional<int>> slotCarriers;
    // Backups (kHz ascending), each clean against the carriers and the fixed carriers.
    std::vector<int> backups;
    int greedy = 0; // what one ascending greedy pass found, kept carriers included
    std::int64_t iterations = 0;
    bool cancelled = false;
    // The exhaustive search ended: no clean set is larger (or every slot is filled).
    bool proven = false;
    // Conflicts among the kept carriers themselves: they stay, so the set is clean only when
    // this is empty. Indices: the locked slots' carriers in slot order, then
    // GeneratorOptions::locked, then the fixed carriers (conflicts among fixed ones alone are
    // left out: nothing here can change them).
    std::vector<Conflict> lockConflicts;
    // Locked carriers (GeneratorOptions::locked) that no open slot's band holds, or more than
    // the slots take: they stay carriers but fill no slot.
    std::vector<int> unplacedLocks;
};

GeneratorResult GenerateSet(std::span<const CoordinationSlot> rack,
                            const GeneratorOptions& options);
// One band: the locked carriers and up to options.target carriers (all the band holds when 0).
GeneratorResult GenerateSet(const BandPlan& band, const GeneratorOptions& options);

} // namespace k7
