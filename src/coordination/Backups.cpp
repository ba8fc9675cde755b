// Backups chosen farthest first, band by band.
#include "Backups.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace k7 {

int CleanChannels(const SearchSpace& space) {
    int count = 0;
    for (int i = 0; i < space.channelCount(); ++i) {
        count += space.IsClean(i) ? 1 : 0;
    }
    return count;
}

std::vector<int> ChooseBackups(const SearchSpace& space, int count) {
    std::vector<int> candidates;
    for (int i = 0; i < space.channelCount(); ++i) {
        if (space.IsClean(i)) {
            candidates.push_back(i);
        }
    }
    // Each candidate's distance to the nearest carrier or backup taken so far.
    std::vector<int> distance(candidates.size(), std::numeric_limits<int>::max());
    const auto take = [&](int kHz) {
        for (std::size_t c = 0; c < candidates.size(); ++c) {
            distance[c] = std::min(distance[c], std::abs(space.channel(candidates[c]) - kHz));
        }
    };
    for (const int index : space.chosen()) {
        take(space.channel(index));
    }
    std::vector<int> backups;
    std::vector<char> used(candidates.size(), 0);
    const auto groups = static_cast<int>(space.groupSlots().size());
    for (int turn = 0; static_cast<int>(backups.size()) < count; ++turn) {
        // This turn's band first; any band when it has no clean channel left.
        int pick = -1;
        for (const bool anyBand : {false, true}) {
            const BandMask want = groups > 0 ? BandMask{1} << (turn % groups) : 0;
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (used[c] || (!anyBand && (space.bands(candidates[c]) & want) == 0)) {
                    continue;
                }
                if (pick < 0 || distance[c] > distance[static_cast<std::size_t>(pick)]) {
                    pick = static_cast<int>(c);
                }
            }
            if (pick >= 0) {
                break;
            }
        }
        if (pick < 0) {
            break;
        }
        used[static_cast<std::size_t>(pick)] = 1;
        const int kHz = space.channel(candidates[static_cast<std::size_t>(pick)]);
        backups.push_back(kHz);
        take(kHz);
    }
    std::ranges::sort(backups);
    return backups;
}

} // namespace k7
