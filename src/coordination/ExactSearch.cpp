// The exhaustive walk with its bound; the branches count as the search's iterations.
#include "ExactSearch.h"

#include <algorithm>

namespace k7 {

namespace {

constexpr std::int64_t kBranchesPerStep = 32;

} // namespace

// Two carriers closer than the spacing conflict, so the free channels packed at the spacing
// hold at least as many carriers as any clean choice among them. Packed greedily from the top,
// the count at each index is the most for the channels from there up, all in one pass.
void ExactSearch::Bounds(int from, std::vector<int>& bounds) const {
    const int count = space_.channelCount();
    bounds.assign(static_cast<std::size_t>(count + 1), 0);
    const int room = space_.target() - space_.size();
    int packed = 0;
    int lowest = 0;
    for (int i = count - 1; i >= from; --i) {
        if (space_.IsFree(i) && (packed == 0 || lowest - space_.channel(i) >= spacing_)) {
            ++packed;
            lowest = space_.channel(i);
        }
        bounds[static_cast<std::size_t>(i)] = std::min(packed, room);
    }
}

bool ExactSearch::Walk(int from, std::size_t depth) {
    if (++branches_ % kBranchesPerStep == 0 && step_(false)) {
        stopped_ = true;
        return false;
    }
    if (space_.size() > bestSize_) {
        *best_ = space_.chosen();
        bestSize_ = space_.size();
        if (step_(true)) {
            stopped_ = true;
            return false;
        }
    }
    if (space_.full()) {
        return false; // nothing is larger than every slot filled
    }
    if (bounds_.size() <= depth) {
        bounds_.resize(depth + 1);
        saved_.resize(depth + 1);
    }
    Bounds(from, bounds_[depth]);
    space_.SaveCounts(saved_[depth]);
    for (int i = from; i < space_.channelCount(); ++i) {
        if (!space_.IsFree(i)) {
            continue;
        }
        // The bound only falls as i grows: no later channel can do better either.
        if (space_.size() + bounds_[depth][static_cast<std::size_t>(i)] <= bestSize_) {
            return true;
        }
        space_.Add(i);
        const bool go = Walk(i + 1, depth + 1);
        space_.RemoveLast(saved_[depth]);
        if (!go) {
            return false;
        }
    }
    return true;
}

bool ExactSearch::Run(std::vector<int>& best) {
    space_.Clear();
    best_ = &best;
    bestSize_ = space_.size() + static_cast<int>(best.size()); // the kept carriers and best
    stopped_ = false;
    branches_ = 0;
    Walk(0, 0);
    space_.Replace(best);
    return !stopped_;
}

} // namespace k7
