// The set generator's search: constructions in several orders, then a local search that takes
// a few carriers out and refills, over the window counts of ChannelBlocks.
#include "SetGenerator.h"

#include "ChannelBlocks.h"
#include "SeededRandom.h"
#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <numeric>

namespace k7 {

namespace {

constexpr int kShuffledConstructions = 4;
constexpr std::int64_t kProgressEvery = 64;
// Local-search iterations without a larger set before the search goes back to the best one.
constexpr std::int64_t kRestartAfter = 4000;
constexpr int kMostTakenOut = 3;
// Refill weighs at most this many free channels at a time (drawn at random when more are free).
constexpr std::size_t kRefillChoices = 48;

std::vector<int> BandChannels(const BandPlan& band) {
    return {band.begin(), band.end()};
}

class Search {
public:
    Search(const BandPlan& band, const GeneratorOptions& options)
        : options_(options), book_(BandChannels(band), options.rules),
          allowed_(static_cast<std::size_t>(book_.channelCount()), 1), random_(options.seed) {
        for (int i = 0; i < book_.channelCount(); ++i) {
            const int kHz = book_.channel(i);
            if (std::ranges::any_of(options.excluded,
                                    [kHz](const KHzRange& r) { return r.contains(kHz); })) {
                allowed_[static_cast<std::size_t>(i)] = 0;
            }
        }
        for (const int kHz : options.locked) {
            book_.Add(kHz);
        }
    }

    int size() const { return static_cast<int>(options_.locked.size() + chosen_.size()); }
    const std::vector<int>& chosen() const { return chosen_; }

    bool isFree(int index) const {
        return allowed_[static_cast<std::size_t>(index)] != 0 && book_.IsFree(index);
    }

    // Adds every channel of the order that is still free when its turn comes.
    void greedy(const std::vector<int>& order) {
        for (const int index : order) {
            if (targetReached()) {
                return;
            }
            if (isFree(index)) {
                add(book_.channel(index));
            }
        }
    }

    std::vector<int> order(int kind) {
        std::vector<int> indices(static_cast<std::size_t>(book_.channelCount()));
        std::iota(indices.begin(), indices.end(), 0);
        const int middle = book_.channelCount() / 2;
        switch (kind) {
        case 0: // ascending
            break;
        case 1:
            std::ranges::reverse(indices);
            break;
        case 2: // from the middle outwards
            std::ranges::stable_sort(indices, {}, [middle](int i) { return std::abs(i - middle); });
            break;
        case 3: // from both edges inwards
            std::ranges::stable_sort(indices, {},
                                     [middle](int i) { return -std::abs(i - middle); });
            break;
        default:
            random_.shuffle(indices);
        }
        return indices;
    }

    void replace(const std::vector<int>& carriers) {
        while (!chosen_.empty()) {
            remove(chosen_.back());
        }
        for (const int kHz : carriers) {
            add(kHz);
        }
    }

    // Takes out one to three carriers and refills; keeps the result unless the set shrank.
    void localStep() {
        if (chosen_.empty()) {
            greedy(order(0));
            return;
        }
        const int before = size();
        const std::vector<int> out = pickOut(1 + random_.below(kMostTakenOut));
        for (const int kHz : out) {
            remove(kHz);
        }
        const std::vector<int> in = refill();
        if (size() < before) {
            for (const int kHz : in) {
                remove(kHz);
            }
            for (const int kHz : out) {
                add(kHz);
            }
        }
    }

    bool targetReached() const { return options_.target > 0 && size() >= options_.target; }

private:
    void add(int kHz) {
        book_.Add(kHz);
        chosen_.push_back(kHz);
    }

    void remove(int kHz) {
        book_.Remove(kHz);
        const auto found = std::ranges::find(chosen_, kHz);
        *found = chosen_.back();
        chosen_.pop_back();
    }

    // Random carriers, or one and its nearest neighbours in frequency.
    std::vector<int> pickOut(int count) {
        count = std::min(count, static_cast<int>(chosen_.size()));
        std::vector<int> pool = chosen_;
        if (random_.below(2) == 0) {
            random_.shuffle(pool);
        } else {
            const int centre =
                pool[static_cast<std::size_t>(random_.below(static_cast<int>(pool.size())))];
            std::ranges::sort(pool, {}, [centre](int kHz) {
                return std::pair{std::abs(kHz - centre), kHz};
            });
        }
        pool.resize(static_cast<std::size_t>(count));
        return pool;
    }

    // Adds, while any channel is free, the one that blocks the fewest other free channels.
    std::vector<int> refill() {
        std::vector<int> added;
        std::vector<int> candidates;
        for (int i = 0; i < book_.channelCount(); ++i) {
            if (isFree(i)) {
                candidates.push_back(i);
            }
        }
        while (!candidates.empty() && !targetReached()) {
            if (candidates.size() > kRefillChoices) {
                random_.shuffle(candidates);
            }
            const std::size_t weighed = std::min(candidates.size(), kRefillChoices);
            int best = -1;
            int bestImpact = 0;
            int ties = 0;
            for (std::size_t c = 0; c < weighed; ++c) {
                const int impact = book_.Impact(book_.channel(candidates[c]));
                if (best < 0 || impact < bestImpact) {
                    best = candidates[c];
                    bestImpact = impact;
                    ties = 1;
                } else if (impact == bestImpact && random_.below(++ties) == 0) {
                    best = candidates[c];
                }
            }
            add(book_.channel(best));
            added.push_back(book_.channel(best));
            std::erase_if(candidates, [this](int i) { return !isFree(i); });
        }
        return added;
    }

    const GeneratorOptions& options_;
    ChannelBlocks book_;
    std::vector<char> allowed_;
    std::vector<int> chosen_;
    SeededRandom random_;
};

class Budget {
public:
    explicit Budget(const GeneratorOptions& options)
        : options_(options), startMicros_(nowMicros()) {}

    std::int64_t elapsedMicros() const { return nowMicros() - startMicros_; }

    bool exhausted(std::int64_t iterations) const {
        if (options_.iterations > 0 && iterations >= options_.iterations) {
            return true;
        }
        std::int64_t time = options_.timeBudgetMicros;
        if (time <= 0 && options_.iterations <= 0) {
            time = GeneratorOptions{}.timeBudgetMicros;
        }
        return time > 0 && elapsedMicros() >= time;
    }

private:
    std::int64_t nowMicros() const {
        if (options_.clock != nullptr) {
            return options_.clock->nowMicros();
        }
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    const GeneratorOptions& options_;
    std::int64_t startMicros_;
};

std::vector<int> Sorted(std::vector<int> carriers) {
    std::ranges::sort(carriers);
    return carriers;
}

} // namespace

std::vector<int> GreedyPass(const BandPlan& band, const GeneratorOptions& options) {
    Search search(band, options);
    search.greedy(search.order(0));
    std::vector<int> carriers = options.locked;
    carriers.insert(carriers.end(), search.chosen().begin(), search.chosen().end());
    return Sorted(std::move(carriers));
}

GeneratorResult GenerateSet(const BandPlan& band, const GeneratorOptions& options) {
    GeneratorResult result;
    result.lockConflicts = FindConflicts(options.locked, options.rules);
    Budget budget(options);
    Search search(band, options);
    std::vector<int> best;
    int bestSize = -1;
    std::int64_t lastBetter = 0;

    // True when the search is to stop.
    const auto report = [&](bool better) {
        if (better || result.iterations % kProgressEvery == 0) {
            if (options.progress) {
                options.progress({result.iterations, bestSize, budget.elapsedMicros()});
            }
            if (options.cancelled && options.cancelled()) {
                result.cancelled = true;
                return true;
            }
        }
        return search.targetReached() || budget.exhausted(result.iterations);
    };
    const auto afterIteration = [&] {
        ++result.iterations;
        const bool better = search.size() > bestSize;
        if (better) {
            best = search.chosen();
            bestSize = search.size();
            lastBetter = result.iterations;
        }
        return report(better);
    };

    const int constructions = 4 + kShuffledConstructions;
    bool stop = false;
    for (int kind = 0; kind < constructions && !stop; ++kind) {
        search.replace({});
        search.greedy(search.order(kind));
        if (kind == 0) {
            result.greedy = search.size();
        }
        stop = afterIteration();
    }
    search.replace(best);
    while (!stop) {
        if (result.iterations - lastBetter > kRestartAfter) {
            search.replace(best);
            lastBetter = result.iterations;
        }
        search.localStep();
        stop = afterIteration();
    }

    result.carriers = options.locked;
    result.carriers.insert(result.carriers.end(), best.begin(), best.end());
    result.carriers = Sorted(std::move(result.carriers));
    return result;
}

} // namespace k7
