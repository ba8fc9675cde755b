// The heuristic moves. The sizes (three out, eight weighed, a fifth to seven tenths ruined) were
// chosen on the bands' own figures (coordination_bench): a refill that weighs few candidates
// moves faster and wanders more, and a ruin of a whole side lets the dense clusters at the
// band's edges, where the largest sets keep most of their carriers, form anew.
#include "LocalSearch.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace k7 {

namespace {

constexpr int kMostTakenOut = 3;
constexpr std::size_t kRefillChoices = 8;
constexpr int kRuinLeastPercent = 20;
constexpr int kRuinMostPercent = 70;

} // namespace

void LocalSearch::GreedyInOrder(const std::vector<int>& order) {
    for (const int index : order) {
        if (space_.full()) {
            return;
        }
        if (space_.IsFree(index)) {
            space_.Add(index);
        }
    }
}

void LocalSearch::Construct(int kind) {
    const int count = space_.channelCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    const int middle = count / 2;
    switch (kind) {
    case 0: // ascending
        break;
    case 1:
        std::ranges::reverse(order);
        break;
    case 2: // from the middle outwards
        std::ranges::stable_sort(order, {}, [middle](int i) { return std::abs(i - middle); });
        break;
    case 3: // from both edges inwards
        std::ranges::stable_sort(order, {}, [middle](int i) { return -std::abs(i - middle); });
        break;
    default:
        random_.shuffle(order);
    }
    GreedyInOrder(order);
}

std::vector<int> LocalSearch::Refill() {
    std::vector<int> added;
    std::vector<int> candidates;
    space_.ForEachFree([&candidates](int index) { candidates.push_back(index); });
    while (!candidates.empty()) {
        if (candidates.size() > kRefillChoices) {
            // The first few of a random order, without shuffling them all.
            for (std::size_t c = 0; c < kRefillChoices; ++c) {
                const auto left = static_cast<int>(candidates.size() - c);
                std::swap(candidates[c],
                          candidates[c + static_cast<std::size_t>(random_.below(left))]);
            }
        }
        const std::size_t weighed = std::min(candidates.size(), kRefillChoices);
        int best = -1;
        int bestImpact = 0;
        int ties = 0;
        for (std::size_t c = 0; c < weighed; ++c) {
            const int impact = space_.Impact(candidates[c]);
            if (best < 0 || impact < bestImpact) {
                best = candidates[c];
                bestImpact = impact;
                ties = 1;
            } else if (impact == bestImpact && random_.below(++ties) == 0) {
                best = candidates[c];
            }
        }
        space_.Add(best);
        added.push_back(best);
        std::erase_if(candidates, [this](int i) { return !space_.IsFree(i); });
    }
    return added;
}

std::vector<int> LocalSearch::PickOut(int count) {
    const std::vector<int>& chosen = space_.chosen();
    count = std::min(count, static_cast<int>(chosen.size()));
    std::vector<int> pool = chosen;
    if (random_.below(2) == 0) {
        random_.shuffle(pool);
    } else {
        // One carrier and its nearest neighbours in frequency.
        const int centre =
            pool[static_cast<std::size_t>(random_.below(static_cast<int>(pool.size())))];
        std::ranges::partial_sort(pool, pool.begin() + count, {}, [centre](int index) {
            return std::pair{std::abs(index - centre), index};
        });
    }
    pool.resize(static_cast<std::size_t>(count));
    return pool;
}

void LocalSearch::Step() {
    if (space_.chosen().empty()) {
        Refill();
        return;
    }
    const int before = space_.size();
    const std::vector<int> out = PickOut(1 + random_.below(kMostTakenOut));
    for (const int index : out) {
        space_.Remove(index);
    }
    const std::vector<int> in = Refill();
    if (space_.size() < before) {
        for (const int index : in) {
            space_.Remove(index);
        }
        for (const int index : out) {
            space_.Add(index);
        }
    }
}

void LocalSearch::Ruin(const std::vector<int>& from) {
    space_.Replace(from);
    const int count = space_.channelCount();
    const int percent = kRuinLeastPercent + random_.below(kRuinMostPercent - kRuinLeastPercent + 1);
    const int span = std::max(1, count * percent / 100);
    const int side = random_.below(3); // the low end, the high end, or inside
    const int low = side == 0 ? 0 : side == 1 ? count - span : random_.below(count - span + 1);
    const int high = low + span - 1;
    std::vector<int> out;
    for (const int index : space_.chosen()) {
        if (index >= low && index <= high) {
            out.push_back(index);
        }
    }
    for (const int index : out) {
        space_.Remove(index);
    }
    // From the stretch's outer edge inwards (both edges for a stretch inside), as the dense
    // clusters of a good set grow from the band's edges; a little jitter varies the ties.
    std::vector<std::pair<int, int>> order;
    for (int i = low; i <= high; ++i) {
        const int depth = side == 0 ? i - low : side == 1 ? high - i : std::min(i - low, high - i);
        order.emplace_back(depth * 4 + random_.below(4), i);
    }
    std::ranges::sort(order);
    std::vector<int> indices;
    indices.reserve(order.size());
    for (const auto& [depth, index] : order) {
        indices.push_back(index);
    }
    GreedyInOrder(indices);
    Refill();
}

} // namespace k7
