// The set generator's working state: the channels the slots' bands offer (one list across all
// bands), which of them a carrier may take, the window counts of the set (ChannelBlocks, with
// the kept and fixed carriers counted in from the start) and the slots still open. The moves of
// the searches (LocalSearch, ExactSearch) are adds and removes of channels here.
#pragma once

#include "ChannelBlocks.h"
#include "CoordinationSlot.h"
#include "SlotCapacity.h"

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace k7 {

struct GeneratorOptions;

class SearchSpace {
public:
    SearchSpace(std::span<const CoordinationSlot> rackSlots, const GeneratorOptions& options);

    int channelCount() const { return book_.channelCount(); }
    int channel(int index) const { return book_.channel(index); }
    // Clean: allowed (outside the excluded ranges) and in no window of the set, so a carrier
    // there would make no conflict with the set, the kept and the fixed carriers.
    bool IsClean(int index) const {
        return allowed_[static_cast<std::size_t>(index)] != 0 && book_.IsFree(index);
    }
    // Free: clean, and a slot is still open for a carrier of its band(s).
    bool IsFree(int index) const {
        return IsClean(index) && capacity_.CanAdd(maskOf_[static_cast<std::size_t>(index)]);
    }
    // Hands every free channel to visit, ascending.
    template <typename Visit>
    void ForEachFree(Visit&& visit) const {
        const std::vector<std::uint64_t>& free = book_.freeBits();
        for (std::size_t word = 0; word < free.size(); ++word) {
            for (std::uint64_t bits = free[word] & allowedBits_[word]; bits != 0;
                 bits &= bits - 1) {
                const auto index = static_cast<int>(word * 64) + std::countr_zero(bits);
                if (capacity_.CanAdd(maskOf_[static_cast<std::size_t>(index)])) {
                    visit(index);
                }
            }
        }
    }
    void Add(int index);
    void Remove(int index);
    // Remove for the channel added last, given the book's counts saved just before it came.
    void SaveCounts(ChannelBlocks::Counts& counts) const { book_.SaveCounts(counts); }
    void RemoveLast(const ChannelBlocks::Counts& before);
    // How many free channels a carrier on this channel would take away.
    int Impact(int index) { return book_.Impact(book_.channel(index)); }

    // The channels chosen by the search (indices), in the order they came.
    const std::vector<int>& chosen() const { return chosen_; }
    // Carriers that fill slots: chosen and kept ones.
    int size() const { return static_cast<int>(chosen_.size()) + keptInSlots_; }
    // The slots to fill.
    int target() const { return target_; }
    bool full() const { return size() >= target_; }
    // The channels' bands as slot groups (bit g: group g), and the slots of each group.
    BandMask bands(int index) const {
        return masks_[static_cast<std::size_t>(maskOf_[static_cast<std::size_t>(index)])];
    }
    const std::vector<int>& groupSlots() const { return groupSlots_; }
    // Carriers the operator asked to keep that no open slot's band holds (they stay carriers
    // and count like fixed ones, but fill no slot).
    const std::vector<int>& unplacedLocks() const { return unplacedLocks_; }
    const std::vector<int>& placedLocks() const { return placedLocks_; }

    // Every channel of the set taken out.
    void Clear();
    // The set made exactly these channels.
    void Replace(const std::vector<int>& indices);

private:
    struct Layout;
    static Layout LayOut(std::span<const CoordinationSlot> rackSlots);
    SearchSpace(Layout layout, std::span<const CoordinationSlot> rackSlots,
                const GeneratorOptions& options);

    ChannelBlocks book_;
    std::vector<char> allowed_;
    std::vector<std::uint64_t> allowedBits_;
    std::vector<BandMask> masks_; // distinct masks of the channels
    std::vector<int> maskOf_;     // per channel: its mask's index
    std::vector<int> groupSlots_;
    SlotCapacity capacity_;
    std::vector<int> chosen_;
    std::vector<int> placedLocks_;
    std::vector<int> unplacedLocks_;
    int keptInSlots_ = 0;
    int target_ = 0;
};

} // namespace k7
