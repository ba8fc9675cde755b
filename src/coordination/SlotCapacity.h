// Whether a set of carriers still fits the slots when bands overlap: a carrier on a channel that
// several slots' bands share may take any of those slots, so one more carrier fits exactly when
// every group of bands keeps room for the carriers that can only go there (Hall's condition over
// the groups of bands that share channels).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace k7 {

// Bit g: a channel belongs to the band of slot group g (at most 32 groups).
using BandMask = std::uint32_t;

class SlotCapacity {
public:
    // capacities: the slots of each group; masks: every distinct non-empty mask a carrier may
    // have. Carriers are counted by their mask's index in that list.
    SlotCapacity(std::vector<int> capacities, std::vector<BandMask> masks);

    // True when one more carrier of mask `mask` still leaves every carrier a slot.
    bool CanAdd(int mask) const { return fits_[static_cast<std::size_t>(mask)] != 0; }
    void Add(int mask);
    void Remove(int mask);
    int carriers() const { return carriers_; }
    int slotCount() const { return slotCount_; }

    // A slot group for each carrier, each group taking at most its capacity; -1 for carriers
    // left without one (only when they do not all fit). Carriers earlier in the list are
    // placed first.
    static std::vector<int> Assign(std::span<const BandMask> masks,
                                   std::span<const int> capacities);

private:
    void Update();
    // The slots left in the groups of `groups` once the carriers that can only go there have
    // theirs.
    int Slack(BandMask groups) const;

    std::vector<int> capacities_;
    std::vector<BandMask> masks_;
    std::vector<BandMask> component_; // per mask: the groups it shares channels with, however far
    std::vector<int> counts_;         // carriers per mask
    std::vector<char> fits_;          // per mask: CanAdd
    int carriers_ = 0;
    int slotCount_ = 0;
};

} // namespace k7
