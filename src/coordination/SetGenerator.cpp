// The set generator's portfolio: constructions, the local search with its ruins, the exhaustive
// search for small bands and the backups, inside one budget.
#include "SetGenerator.h"

#include "Backups.h"
#include "ExactSearch.h"
#include "LocalSearch.h"
#include "SearchSpace.h"
#include "SeededRandom.h"
#include "platform/Clock.h"

#include <algorithm>
#include <chrono>

namespace k7 {

namespace {

constexpr std::int64_t kProgressEvery = 64;
// Local-search iterations without a larger set before the search ruins its best set and goes
// on from there.
constexpr std::int64_t kRuinAfter = 400;
// Iterations of one episode: an episode starts from the best set ruined, and its own ruins work
// on the episode's best set, so that episodes explore apart from each other.
constexpr std::int64_t kEpisode = 40000;
// The share of the budget the local search has to itself before a small band's exhaustive
// search starts with the best set it found (the walk finds band 14's largest sets sooner than
// the local search does, so it gets most of the budget).
constexpr double kExactAfter = 0.1;

class Budget {
public:
    explicit Budget(const GeneratorOptions& options)
        : options_(options), time_(options.timeBudgetMicros), startMicros_(nowMicros()) {
        if (time_ <= 0 && options_.iterations <= 0) {
            time_ = GeneratorOptions{}.timeBudgetMicros;
        }
    }

    std::int64_t elapsedMicros() const { return nowMicros() - startMicros_; }

    // The share of the budget spent, by whichever budget is further along.
    double used(std::int64_t iterations) const {
        double share = 0;
        if (options_.iterations > 0) {
            share = static_cast<double>(iterations) / static_cast<double>(options_.iterations);
        }
        if (time_ > 0) {
            share =
                std::max(share, static_cast<double>(elapsedMicros()) / static_cast<double>(time_));
        }
        return share;
    }

    bool exhausted(std::int64_t iterations) const {
        if (options_.iterations > 0 && iterations >= options_.iterations) {
            return true;
        }
        return time_ > 0 && elapsedMicros() >= time_;
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
    std::int64_t time_;
    std::int64_t startMicros_;
};

// Each restart's own seed, drawn from the search's seed and the restart's number.
std::uint64_t RestartSeed(std::uint64_t seed, std::int64_t restart) {
    SeededRandom random(seed ^ (0xD1B54A32D192ED03ull * static_cast<std::uint64_t>(restart)));
    return random.next();
}

// The kept carriers (locked slots, then the locked list) and the fixed ones after them; the
// conflicts that involve at least one kept carrier.
std::vector<Conflict> KeptConflicts(std::span<const CoordinationSlot> rackSlots,
                                    const GeneratorOptions& options) {
    std::vector<int> kept;
    for (const CoordinationSlot& slot : rackSlots) {
        if (slot.lockedKHz) {
            kept.push_back(*slot.lockedKHz);
        }
    }
    kept.insert(kept.end(), options.locked.begin(), options.locked.end());
    const auto keptCount = static_cast<int>(kept.size());
    for (const FixedCarrier& fixed : options.fixed) {
        kept.push_back(fixed.kHz);
    }
    std::vector<Conflict> conflicts = FindConflicts(kept, options.rules);
    std::erase_if(conflicts, [keptCount](const Conflict& c) {
        const auto notKept = [keptCount](int i) { return i < 0 || i >= keptCount; };
        return notKept(c.a) && notKept(c.b) && notKept(c.c) && notKept(c.victim);
    });
    return conflicts;
}

// Each slot's carrier: the locked slots keep theirs; the others take the set's carriers band by
// band, ascending, in slot order.
std::vector<std::optional<int>> SlotCarriers(std::span<const CoordinationSlot> rackSlots,
                                             const SearchSpace& space,
                                             const std::vector<int>& chosen) {
    std::vector<int> carriers = space.placedLocks();
    for (const int index : chosen) {
        carriers.push_back(space.channel(index));
    }
    std::ranges::sort(carriers);
    std::vector<BandMask> masks;
    for (const int kHz : carriers) {
        BandMask mask = 0;
        for (int i = 0; i < space.channelCount(); ++i) {
            if (space.channel(i) == kHz) {
                mask = space.bands(i);
                break;
            }
        }
        masks.push_back(mask);
    }
    const std::vector<int> group = SlotCapacity::Assign(masks, space.groupSlots());
    std::vector<std::vector<int>> byGroup(space.groupSlots().size());
    for (std::size_t c = 0; c < carriers.size(); ++c) {
        if (group[c] >= 0) {
            byGroup[static_cast<std::size_t>(group[c])].push_back(carriers[c]);
        }
    }
    // The groups in the order their bands first appear among the open slots.
    std::vector<int> groupCodes;
    std::vector<std::optional<int>> result;
    std::vector<std::size_t> next(byGroup.size(), 0);
    for (const CoordinationSlot& slot : rackSlots) {
        if (slot.lockedKHz) {
            result.push_back(slot.lockedKHz);
            continue;
        }
        auto found = std::ranges::find(groupCodes, slot.band.code());
        if (found == groupCodes.end()) {
            groupCodes.push_back(slot.band.code());
            found = groupCodes.end() - 1;
        }
        const auto g = static_cast<std::size_t>(found - groupCodes.begin());
        if (next[g] < byGroup[g].size()) {
            result.emplace_back(byGroup[g][next[g]++]);
        } else {
            result.emplace_back();
        }
    }
    return result;
}

// The one band's form as slots: a locked slot per locked carrier, then the target's other
// carriers (or as many as the band has channels).
std::vector<CoordinationSlot> BandSlots(const BandPlan& band, const GeneratorOptions& options) {
    std::vector<CoordinationSlot> rackSlots;
    for (const int kHz : options.locked) {
        rackSlots.push_back({band, kHz});
    }
    const auto locked = static_cast<int>(options.locked.size());
    const int open =
        options.target > 0 ? std::max(0, options.target - locked) : band.ChannelCount();
    rackSlots.insert(rackSlots.end(), static_cast<std::size_t>(open),
                     CoordinationSlot{band, std::nullopt});
    return rackSlots;
}

class Portfolio {
public:
    Portfolio(std::span<const CoordinationSlot> rackSlots, const GeneratorOptions& options,
              GeneratorResult& result)
        : options_(options), result_(result), budget_(options), space_(rackSlots, options),
          search_(space_, options.seed) {}

    void Run() {
        bool stop = false;
        for (int kind = 0; kind < LocalSearch::kShuffled + 4 && !stop; ++kind) {
            space_.Clear();
            search_.Construct(kind);
            if (kind == 0) {
                result_.greedy = space_.size();
            }
            stop = AfterIteration();
        }
        space_.Replace(best_);
        restartBest_ = bestSize_;
        const bool small = space_.channelCount() <= ExactSearch::kMostChannels;
        std::int64_t restarts = 0;
        while (!stop) {
            if (small && budget_.used(result_.iterations) >= kExactAfter) {
                RunExact();
                break;
            }
            const bool newEpisode = result_.iterations - episodeStart_ > kEpisode;
            if (newEpisode || result_.iterations - lastBetter_ > kRuinAfter) {
                search_.Reseed(RestartSeed(options_.seed, ++restarts));
                search_.Ruin(newEpisode ? best_ : episode_);
                if (newEpisode) {
                    // The episode's best starts as the ruined set and follows what it finds.
                    episodeStart_ = result_.iterations;
                    episode_ = space_.chosen();
                    episodeSize_ = space_.size();
                }
                restartBest_ = space_.size();
                lastBetter_ = result_.iterations;
            } else {
                search_.Step();
            }
            stop = AfterIteration();
        }
        space_.Replace(best_);
        if (options_.backups > 0 && !result_.cancelled) {
            SeekBackups();
        }
    }

    const SearchSpace& space() const { return space_; }
    const std::vector<int>& best() const { return best_; }

private:
    // True when the search is to stop.
    bool Report(bool better) {
        if (better || result_.iterations % kProgressEvery == 0) {
            if (options_.progress) {
                options_.progress({result_.iterations, bestSize_, budget_.elapsedMicros()});
            }
            if (options_.cancelled && options_.cancelled()) {
                result_.cancelled = true;
                return true;
            }
        }
        return budget_.exhausted(result_.iterations);
    }

    bool AfterIteration() {
        ++result_.iterations;
        const int size = space_.size();
        if (size > restartBest_) {
            restartBest_ = size;
            lastBetter_ = result_.iterations;
        }
        if (size > episodeSize_) {
            episode_ = space_.chosen();
            episodeSize_ = size;
        }
        const bool better = size > bestSize_;
        if (better) {
            best_ = space_.chosen();
            bestSize_ = size;
        }
        return Report(better) || bestSize_ >= space_.target();
    }

    // The rest of the budget: the search ends with it, by a proof or by the budget.
    void RunExact() {
        ExactSearch exact(space_, options_.rules.spacing, [this](bool better) {
            ++result_.iterations;
            if (better) {
                bestSize_ = space_.size(); // the walk holds its better set just now
            }
            return Report(better);
        });
        result_.proven = exact.Run(best_);
    }

    // Steps that keep every slot filled and raise the channels a backup could take.
    void SeekBackups() {
        int clean = CleanChannels(space_);
        while (clean < options_.backups && space_.full() &&
               !budget_.exhausted(result_.iterations)) {
            const std::vector<int> before = space_.chosen();
            search_.Step();
            const int now = CleanChannels(space_);
            if (!space_.full() || now < clean) {
                space_.Replace(before);
            } else {
                clean = now;
            }
            ++result_.iterations;
            if (Report(false)) {
                break;
            }
        }
        best_ = space_.chosen();
    }

    const GeneratorOptions& options_;
    GeneratorResult& result_;
    Budget budget_;
    SearchSpace space_;
    LocalSearch search_;
    std::vector<int> best_;
    int bestSize_ = -1;
    // The largest set since the last restart, and the iteration it came at.
    int restartBest_ = -1;
    std::vector<int> episode_;
    int episodeSize_ = -1;
    std::int64_t episodeStart_ = 0;
    std::int64_t lastBetter_ = 0;
};

} // namespace

GeneratorResult GenerateSet(std::span<const CoordinationSlot> rackSlots,
                            const GeneratorOptions& options) {
    GeneratorResult result;
    result.lockConflicts = KeptConflicts(rackSlots, options);
    Portfolio portfolio(rackSlots, options, result);
    portfolio.Run();
    const SearchSpace& space = portfolio.space();
    result.unplacedLocks = space.unplacedLocks();
    for (const CoordinationSlot& slot : rackSlots) {
        if (slot.lockedKHz) {
            result.carriers.push_back(*slot.lockedKHz);
        }
    }
    result.carriers.insert(result.carriers.end(), options.locked.begin(), options.locked.end());
    for (const int index : portfolio.best()) {
        result.carriers.push_back(space.channel(index));
    }
    std::ranges::sort(result.carriers);
    result.slotCarriers = SlotCarriers(rackSlots, space, portfolio.best());
    if (options.backups > 0) {
        result.backups = ChooseBackups(space, options.backups);
    }
    return result;
}

GeneratorResult GenerateSet(const BandPlan& band, const GeneratorOptions& options) {
    GeneratorOptions slotOptions = options;
    slotOptions.locked.clear();
    return GenerateSet(BandSlots(band, options), slotOptions);
}

} // namespace k7
