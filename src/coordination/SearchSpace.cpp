// The channel list across the slots' bands, their slot groups and the kept carriers, set up once
// per search.
#include "SearchSpace.h"

#include "SetGenerator.h"

#include <algorithm>
#include <cassert>

namespace k7 {

struct SearchSpace::Layout {
    std::vector<int> channels; // every channel of every open slot's band, ascending
    std::vector<int> maskOf;
    std::vector<BandMask> masks;
    std::vector<int> groupSlots;
    std::vector<BandPlan> groupBands;
};

SearchSpace::Layout SearchSpace::LayOut(std::span<const CoordinationSlot> rackSlots) {
    Layout layout;
    for (const CoordinationSlot& slot : rackSlots) {
        if (slot.lockedKHz) {
            continue;
        }
        const auto same = [&slot](const BandPlan& band) { return band.code() == slot.band.code(); };
        const auto found = std::ranges::find_if(layout.groupBands, same);
        if (found == layout.groupBands.end()) {
            layout.groupBands.push_back(slot.band);
            layout.groupSlots.push_back(1);
        } else {
            ++layout.groupSlots[static_cast<std::size_t>(found - layout.groupBands.begin())];
        }
    }
    for (const BandPlan& band : layout.groupBands) {
        layout.channels.insert(layout.channels.end(), band.begin(), band.end());
    }
    std::ranges::sort(layout.channels);
    // Not std::ranges::unique: clang 14 with libstdc++ 12 cannot compile its subrange.
    layout.channels.erase(std::unique(layout.channels.begin(), layout.channels.end()),
                          layout.channels.end());
    for (const int kHz : layout.channels) {
        BandMask mask = 0;
        for (std::size_t g = 0; g < layout.groupBands.size(); ++g) {
            if (layout.groupBands[g].IsChannel(kHz)) {
                mask |= BandMask{1} << g;
            }
        }
        auto known = std::ranges::find(layout.masks, mask);
        if (known == layout.masks.end()) {
            layout.masks.push_back(mask);
            known = layout.masks.end() - 1;
        }
        layout.maskOf.push_back(static_cast<int>(known - layout.masks.begin()));
    }
    return layout;
}

SearchSpace::SearchSpace(std::span<const CoordinationSlot> rackSlots,
                         const GeneratorOptions& options)
    : SearchSpace(LayOut(rackSlots), rackSlots, options) {}

SearchSpace::SearchSpace(Layout layout, std::span<const CoordinationSlot> rackSlots,
                         const GeneratorOptions& options)
    : book_(std::move(layout.channels), options.rules),
      allowed_(static_cast<std::size_t>(book_.channelCount()), 1), masks_(layout.masks),
      maskOf_(std::move(layout.maskOf)), groupSlots_(layout.groupSlots),
      capacity_(std::move(layout.groupSlots), std::move(layout.masks)),
      target_(static_cast<int>(rackSlots.size())) {
    for (int i = 0; i < book_.channelCount(); ++i) {
        const int kHz = book_.channel(i);
        if (std::ranges::any_of(options.excluded,
                                [kHz](const KHzRange& r) { return r.contains(kHz); })) {
            allowed_[static_cast<std::size_t>(i)] = 0;
        }
    }
    allowedBits_.assign(book_.freeBits().size(), 0);
    for (int i = 0; i < book_.channelCount(); ++i) {
        if (allowed_[static_cast<std::size_t>(i)] != 0) {
            allowedBits_[static_cast<std::size_t>(i) / 64] |= std::uint64_t{1} << (i % 64);
        }
    }
    for (const CoordinationSlot& slot : rackSlots) {
        if (slot.lockedKHz) {
            book_.Add(*slot.lockedKHz);
            ++keptInSlots_;
        }
    }
    for (const int kHz : options.locked) {
        book_.Add(kHz);
        const int index = book_.IndexOf(kHz);
        if (index >= 0 && capacity_.CanAdd(maskOf_[static_cast<std::size_t>(index)])) {
            capacity_.Add(maskOf_[static_cast<std::size_t>(index)]);
            placedLocks_.push_back(kHz);
            ++keptInSlots_;
        } else {
            unplacedLocks_.push_back(kHz);
        }
    }
    for (const FixedCarrier& fixed : options.fixed) {
        book_.Add(fixed.kHz);
    }
}

void SearchSpace::Add(int index) {
    assert(IsFree(index));
    book_.Add(book_.channel(index));
    capacity_.Add(maskOf_[static_cast<std::size_t>(index)]);
    chosen_.push_back(index);
}

void SearchSpace::Remove(int index) {
    const auto found = std::ranges::find(chosen_, index);
    assert(found != chosen_.end());
    *found = chosen_.back();
    chosen_.pop_back();
    book_.Remove(book_.channel(index));
    capacity_.Remove(maskOf_[static_cast<std::size_t>(index)]);
}

void SearchSpace::RemoveLast(const ChannelBlocks::Counts& before) {
    assert(!chosen_.empty());
    const int index = chosen_.back();
    chosen_.pop_back();
    book_.RemoveLast(before);
    capacity_.Remove(maskOf_[static_cast<std::size_t>(index)]);
}

void SearchSpace::Clear() {
    while (!chosen_.empty()) {
        Remove(chosen_.back());
    }
}

void SearchSpace::Replace(const std::vector<int>& indices) {
    Clear();
    for (const int index : indices) {
        Add(index);
    }
}

} // namespace k7
