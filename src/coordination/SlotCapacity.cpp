// Hall's condition over the slot groups, kept for every mask after each change (a rack has few
// bands, so the groups that share channels are few and their subsets quick to walk).
#include "SlotCapacity.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <numeric>

namespace k7 {

SlotCapacity::SlotCapacity(std::vector<int> capacities, std::vector<BandMask> masks)
    : capacities_(std::move(capacities)), masks_(std::move(masks)), component_(masks_.size(), 0),
      counts_(masks_.size(), 0), fits_(masks_.size(), 0) {
    assert(capacities_.size() <= 32);
    slotCount_ = std::accumulate(capacities_.begin(), capacities_.end(), 0);
    // Grow each mask's component until no other mask joins it.
    for (std::size_t i = 0; i < masks_.size(); ++i) {
        BandMask component = masks_[i];
        for (bool grew = true; grew;) {
            grew = false;
            for (const BandMask other : masks_) {
                if ((other & component) != 0 && (other & ~component) != 0) {
                    component |= other;
                    grew = true;
                }
            }
        }
        component_[i] = component;
    }
    Update();
}

int SlotCapacity::Slack(BandMask groups) const {
    int slack = 0;
    for (BandMask rest = groups; rest != 0; rest &= rest - 1) {
        slack += capacities_[static_cast<std::size_t>(std::countr_zero(rest))];
    }
    for (std::size_t i = 0; i < masks_.size(); ++i) {
        if ((masks_[i] & ~groups) == 0) {
            slack -= counts_[i];
        }
    }
    return slack;
}

void SlotCapacity::Update() {
    for (std::size_t i = 0; i < masks_.size(); ++i) {
        // Every set of groups that holds all of the mask's must keep a free slot.
        const BandMask rest = component_[i] & ~masks_[i];
        bool fits = true;
        for (BandMask sub = rest;; sub = (sub - 1) & rest) {
            if (Slack(masks_[i] | sub) <= 0) {
                fits = false;
                break;
            }
            if (sub == 0) {
                break;
            }
        }
        fits_[i] = fits ? 1 : 0;
    }
}

void SlotCapacity::Add(int mask) {
    ++counts_[static_cast<std::size_t>(mask)];
    ++carriers_;
    Update();
}

void SlotCapacity::Remove(int mask) {
    assert(counts_[static_cast<std::size_t>(mask)] > 0);
    --counts_[static_cast<std::size_t>(mask)];
    --carriers_;
    Update();
}

std::vector<int> SlotCapacity::Assign(std::span<const BandMask> masks,
                                      std::span<const int> capacities) {
    // Augmenting paths over the slots (a carrier per slot), carriers in the order given.
    std::vector<int> slotGroup;
    for (std::size_t g = 0; g < capacities.size(); ++g) {
        slotGroup.insert(slotGroup.end(), static_cast<std::size_t>(std::max(capacities[g], 0)),
                         static_cast<int>(g));
    }
    std::vector<int> slotCarrier(slotGroup.size(), -1);
    std::vector<char> seen;
    const auto place = [&](auto& self, int carrier) -> bool {
        for (std::size_t s = 0; s < slotGroup.size(); ++s) {
            if ((masks[static_cast<std::size_t>(carrier)] >> slotGroup[s] & 1u) == 0 || seen[s]) {
                continue;
            }
            seen[s] = 1;
            if (slotCarrier[s] < 0 || self(self, slotCarrier[s])) {
                slotCarrier[s] = carrier;
                return true;
            }
        }
        return false;
    };
    for (std::size_t c = 0; c < masks.size(); ++c) {
        seen.assign(slotGroup.size(), 0);
        place(place, static_cast<int>(c));
    }
    std::vector<int> group(masks.size(), -1);
    for (std::size_t s = 0; s < slotGroup.size(); ++s) {
        if (slotCarrier[s] >= 0) {
            group[static_cast<std::size_t>(slotCarrier[s])] = slotGroup[s];
        }
    }
    return group;
}

} // namespace k7
