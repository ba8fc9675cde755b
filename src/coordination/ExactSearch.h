// The exhaustive search for small bands: every set is walked in ascending channel order, a
// branch cut as soon as it cannot beat the best set known (the carriers still free, packed at
// the spacing, bound what a branch can add). When the walk ends, no larger set exists.
#pragma once

#include "SearchSpace.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace k7 {

class ExactSearch {
public:
    // The band is small enough for the walk to be worth its time (band 14's 103 channels).
    static constexpr int kMostChannels = 150;

    // step: called every so many branches (and at every larger set, better true); returns true
    // to end the walk.
    ExactSearch(SearchSpace& space, int spacingKHz, std::function<bool(bool better)> step)
        : space_(space), step_(std::move(step)), spacing_(spacingKHz) {}

    // Walks from the empty set (the space's chosen channels are cleared first) looking for a
    // set larger than best (channel indices). Returns true when the walk ended by itself: best
    // is then the largest set there is (or the target was reached).
    bool Run(std::vector<int>& best);

private:
    bool Walk(int from, std::size_t depth);
    // For every index from `from` on: at most how many more carriers fit on the free channels
    // from there up.
    void Bounds(int from, std::vector<int>& bounds) const;

    SearchSpace& space_;
    std::function<bool(bool)> step_;
    int spacing_;
    std::vector<int>* best_ = nullptr;
    int bestSize_ = 0;
    std::int64_t branches_ = 0;
    // Per depth of the walk: the bounds, and the counts before the depth's carrier came.
    std::vector<std::vector<int>> bounds_;
    std::vector<ChannelBlocks::Counts> saved_;
    bool stopped_ = false;
};

} // namespace k7
