// The set generator's heuristic moves over a SearchSpace: greedy constructions in several
// orders, the plateau step (take one to three carriers out, refill with the channels that block
// the fewest others) and the ruin (a large stretch of the band emptied and built again from its
// edge), which lets the search leave the neighbourhood of its best set.
#pragma once

#include "SearchSpace.h"
#include "SeededRandom.h"

#include <cstdint>
#include <vector>

namespace k7 {

class LocalSearch {
public:
    // The orders of the constructions: ascending, descending, from the middle outwards, from
    // both edges inwards, and every kind from kShuffled on a random order.
    static constexpr int kShuffled = 4;

    LocalSearch(SearchSpace& space, std::uint64_t seed) : space_(space), random_(seed) {}
    void Reseed(std::uint64_t seed) { random_ = SeededRandom(seed); }

    // Adds every channel of the order that is still free when its turn comes.
    void Construct(int kind);
    // Takes out one to three carriers and refills; keeps the result unless the set shrank.
    void Step();
    // Makes the set `from`, empties a random stretch of 20 to 70 % of the channels (at either
    // end of the list or inside it) and fills it again from its outer edge(s) inwards, then
    // refills the rest.
    void Ruin(const std::vector<int>& from);
    // Adds, while any channel is free, one of the few free channels (drawn at random) that
    // blocks the fewest others. Returns what it added.
    std::vector<int> Refill();

private:
    std::vector<int> PickOut(int count);
    void GreedyInOrder(const std::vector<int>& order);

    SearchSpace& space_;
    SeededRandom random_;
};

} // namespace k7
