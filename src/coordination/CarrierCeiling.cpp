#include "CarrierCeiling.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace k7 {

namespace {

// A window in grid steps: a distance of at least this many steps keeps it clean.
std::int64_t Steps(int windowKHz, int gridKHz) {
    return std::max<std::int64_t>(1, (windowKHz + gridKHz - 1) / gridKHz);
}

// The pairs of carriers that share runs of u points, summed over the runs, at most: every
// distance d below u counts u - d runs, and the distances are at least `least` and `apart`
// from each other.
std::int64_t MostSharedRuns(std::int64_t u, std::int64_t least, std::int64_t apart) {
    if (u <= least) {
        return 0;
    }
    const std::int64_t terms = (u - least - 1) / apart + 1;
    return terms * (u - least) - apart * terms * (terms - 1) / 2;
}

bool Fits(std::int64_t k, std::int64_t positions, std::int64_t least, std::int64_t apart) {
    // Runs of u points: positions + u - 1 of them meet the span, each carrier lies in u.
    const std::int64_t longest = std::min<std::int64_t>(4 * positions, 200'000);
    for (std::int64_t u = 1; u <= longest; ++u) {
        const std::int64_t inRuns = k * u;
        const std::int64_t runs = positions + u - 1;
        if (inRuns * inRuns > runs * (inRuns + 2 * MostSharedRuns(u, least, apart))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<int> MostCleanCarriers(int spanKHz, int gridKHz, const CoordinationRules& rules) {
    if (rules.thirdOrder2Tx <= 0 || rules.thirdOrder3Tx <= 0 || gridKHz <= 0 || spanKHz < 0) {
        return std::nullopt;
    }
    const std::int64_t positions = spanKHz / gridKHz + 1;
    const std::int64_t least = Steps(rules.spacing, gridKHz);
    const std::int64_t apart = Steps(
        std::min({rules.thirdOrder2Tx, rules.thirdOrder3Tx, std::max(rules.spacing, 1)}), gridKHz);
    // The spacing alone: one carrier every `least` points. The counted ceiling is searched
    // below it (the carriers that fit shrink as k grows, so the first k that fails ends it).
    std::int64_t fits = 1;
    std::int64_t fails = (positions - 1) / least + 2;
    while (fails - fits > 1) {
        const std::int64_t k = (fits + fails) / 2;
        (Fits(k, positions, least, apart) ? fits : fails) = k;
    }
    return static_cast<int>(std::min<std::int64_t>(fits, 1'000'000));
}

std::optional<CarrierCeiling> CeilingFor(std::span<const CoordinationSlot> rack,
                                         const std::vector<FixedCarrier>& fixed,
                                         const CoordinationRules& rules) {
    if (rack.empty()) {
        return std::nullopt;
    }
    int low = rack.front().band.lowest();
    int high = low;
    int grid = 0;
    const auto take = [&](int kHz, int step) {
        low = std::min(low, kHz);
        high = std::max(high, kHz);
        grid = std::gcd(grid, std::gcd(step, kHz));
    };
    for (const CoordinationSlot& slot : rack) {
        for (const int channel : slot.band) {
            take(channel, slot.band.raster());
        }
        if (slot.lockedKHz) {
            take(*slot.lockedKHz, 0);
        }
    }
    for (const FixedCarrier& carrier : fixed) {
        take(carrier.kHz, 0);
    }
    const std::optional<int> most = MostCleanCarriers(high - low, grid, rules);
    if (!most) {
        return std::nullopt;
    }
    return CarrierCeiling{*most, low, high};
}

} // namespace k7
