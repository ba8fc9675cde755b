// Which channels could join a set of carriers without a conflict, kept up to date as carriers
// join and leave, so that the set generator never rechecks the whole set per candidate.
//
// A channel y is blocked by every window that a new carrier there would break: y closer than
// the spacing to a carrier; y near a product of the set (it would be the victim); and y making
// a product with carriers of the set that lands near another carrier of the set. The last
// family reduces to windows on y as well: 2y - b near d is |2y - (b + d)| < W; 3y - 2b near
// d is |3y - (2b + d)| < W; 3a - 2y near d is |2y - (3a - d)| < W; and every 3-transmitter
// product involving y (y + b - c near d, a + b - y near d) is y near a 3-transmitter product
// of the set. Each window is counted once per product, so a carrier that leaves takes away
// exactly what it brought: a channel is free when its count is 0.
#pragma once

#include "Intermodulation.h"

#include <cstdint>
#include <span>
#include <vector>

namespace k7 {

class ChannelBlocks {
public:
    // channelsKHz: the channels that may be chosen, ascending.
    ChannelBlocks(std::vector<int> channelsKHz, const CoordinationRules& rules);

    // A carrier joins the set (any frequency, a channel or not).
    void Add(int kHz);
    // A carrier of the set leaves it.
    void Remove(int kHz);

    // The counts as they are, for a walk that takes its carriers back in the reverse order
    // they came: putting saved counts back costs less than working out the windows again.
    struct Counts {
        std::vector<std::int32_t> blocks;
        std::vector<std::uint64_t> free;
    };
    void SaveCounts(Counts& counts) const {
        counts.blocks = blocks_;
        counts.free = free_;
    }
    // Takes back the carrier added last, given the counts saved just before it came.
    void RemoveLast(const Counts& before) {
        carriers_.pop_back();
        blocks_ = before.blocks;
        free_ = before.free;
    }

    int channelCount() const { return static_cast<int>(channels_.size()); }
    int channel(int index) const { return channels_[static_cast<std::size_t>(index)]; }
    // The index of a channel; -1 for a frequency that is not one of them.
    int IndexOf(int kHz) const;
    // Free: a carrier on this channel would make no conflict with the set and no two carriers
    // would share it.
    bool IsFree(int index) const { return blocks_[static_cast<std::size_t>(index)] == 0; }
    const std::vector<int>& carriers() const { return carriers_; }
    // Bit i % 64 of word i / 64: channel i is free.
    const std::vector<std::uint64_t>& freeBits() const { return free_; }
    // How many channels that are free now a carrier at kHz would block.
    int Impact(int kHz);

private:
    // Hands every window of the carrier x against the set (x not in it) to visit as a range
    // of channel indices, both ends included.
    template <typename Visit>
    void ForEachWindow(int x, Visit&& visit) const;
    // The channels y with |Factor * y - product| < window, as indices [first, last].
    template <int Factor, typename Visit>
    void Window(std::int64_t product, int window, Visit& visit) const;
    // The first channel at or above kHz (channelCount() when none): the search spends much of
    // its time here, so an evenly spaced list is divided by a multiplication.
    int FirstAtOrAbove(std::int64_t kHz) const {
        const auto count = static_cast<int>(channels_.size());
        if (count == 0 || kHz <= channels_.front()) {
            return 0;
        }
        if (kHz > channels_.back()) {
            return count;
        }
        if (inverse_ != 0) {
            const auto below = static_cast<std::uint64_t>(kHz - channels_.front() - 1);
            return static_cast<int>((below * inverse_) >> 32) + 1;
        }
        return FirstAtOrAboveFar(kHz);
    }
    int FirstAtOrAboveFar(std::int64_t kHz) const;

    std::vector<int> channels_;
    CoordinationRules rules_;
    // Channels evenly spaced from channels_[0] (every band is): index arithmetic instead of a
    // search.
    int step_ = 0;
    std::uint64_t inverse_ = 0; // 2^32 / step_, rounded up; 0 when the division must be done
    std::vector<std::int32_t> blocks_;
    std::vector<int> carriers_;
    // Bit i: channel i is free. Impact's scratch: the union of a candidate's windows.
    std::vector<std::uint64_t> free_;
    std::vector<std::uint64_t> union_;
};

} // namespace k7
