// The exhaustive walk with its bound; the branches count as the search's iterations.
#include "ExactSearch.h"

#include <algorithm>

namespace k7 {

namespace {

constexpr std::int64_t kBranchesPerStep = 32;

} // namespace

// Two carriers closer than the spacing conflict, so the free channels packed greedily at the
// spacing from the lowest on hold at least as many carriers as any clean choice among them.
int ExactSearch::Bound(int from) const {
    int count = 0;
    int last = 0;
    for (int i = from; i < space_.channelCount(); ++i) {
        if (space_.IsFree(i) && (count == 0 || space_.channel(i) - last >= spacing_)) {
            ++count;
            last = space_.channel(i);
        }
    }
    return std::min(count, space_.target() - space_.size());
}

bool ExactSearch::Walk(int from) {
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
    for (int i = from; i < space_.channelCount(); ++i) {
        if (!space_.IsFree(i)) {
            continue;
        }
        // The bound only falls as i grows: no later channel can do better either.
        if (space_.size() + Bound(i) <= bestSize_) {
            return true;
        }
        space_.Add(i);
        const bool go = Walk(i + 1);
        space_.Remove(i);
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
    Walk(0);
    space_.Replace(best);
    return !stopped_;
}

} // namespace k7
