#include "MeterHistory.h"

#include <algorithm>

namespace k7 {

void MeterHistory::Allocate(int receivers, int pollIntervalMs) {
    if (allocated_) {
        return;
    }
    allocated_ = true;
    const int count = std::clamp(receivers, 0, kMaxSlots);
    // Each receiver answers once per round of the rack: count ticks of the poll timer.
    const std::int64_t roundMicros =
        std::int64_t{std::max(count, 1)} * std::max(pollIntervalMs, 1) * 1000;
    const std::int64_t answers = (kSpanMicros + roundMicros - 1) / roundMicros + 1;
    const auto perSlot =
        static_cast<std::size_t>(answers + answers * kSlackPerMille / 1000 + kSlackAnswers);
    std::size_t offset = 0;
    for (int slot = 1; slot <= count; ++slot) {
        Ring& ring = rings_[static_cast<std::size_t>(slot)];
        ring.offset = offset;
        ring.capacity = perSlot;
        offset += perSlot;
    }
    samples_ = std::make_unique_for_overwrite<Packed[]>(offset);
    sampleCount_ = offset;
    marks_.assign(kMarks, HistoryMark{});
}

std::size_t MeterHistory::capacity(int slot) const {
    return RackSlot(slot) ? rings_[static_cast<std::size_t>(slot)].capacity : 0;
}

std::size_t MeterHistory::memoryBytes() const {
    return sampleCount_ * sizeof(Packed) + marks_.capacity() * sizeof(HistoryMark);
}

void MeterHistory::push(Ring& ring, std::int64_t micros, std::uint8_t rfA, std::uint8_t rfB,
                        std::uint8_t audio, int muteLevel, bool muted) {
    // An answer never comes before the previous one; a clock that says otherwise is held.
    micros = ring.count > 0 ? std::max(micros, ring.newest) : micros;
    ring.newest = micros;
    // The oldest answers leave as they pass the hour, or when the ring is full.
    while (ring.count > 0 && (ring.count == ring.capacity ||
                              micros - FullTime(ring, packed(ring, 0).micros) > kSpanMicros)) {
        ring.head = ring.head + 1 == ring.capacity ? 0 : ring.head + 1;
        --ring.count;
    }
    std::size_t at = ring.head + ring.count;
    at = at < ring.capacity ? at : at - ring.capacity;
    const auto level = static_cast<std::uint8_t>(std::clamp(muteLevel, 0, 15));
    samples_[ring.offset + at] = Packed{static_cast<std::uint32_t>(micros), rfA, rfB, audio,
                                        static_cast<std::uint8_t>(level | (muted ? 0x80 : 0))};
    ++ring.count;
}

std::size_t MeterHistory::size(int slot) const {
    return RackSlot(slot) ? rings_[static_cast<std::size_t>(slot)].count : 0;
}

HistorySample MeterHistory::at(int slot, std::size_t index) const {
    const Ring& ring = rings_[static_cast<std::size_t>(slot)];
    const Packed& p = packed(ring, index);
    return HistorySample{
        FullTime(ring, p.micros), p.rfA, p.rfB, p.audio, static_cast<std::uint8_t>(p.mute & 0x0F),
        (p.mute & 0x80) != 0};
}

std::size_t MeterHistory::LowerBound(int slot, std::int64_t micros) const {
    if (!RackSlot(slot)) {
        return 0;
    }
    const Ring& ring = rings_[static_cast<std::size_t>(slot)];
    std::size_t low = 0;
    std::size_t high = ring.count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (FullTime(ring, packed(ring, middle).micros) < micros) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::vector<HistorySample> MeterHistory::Samples(int slot, std::int64_t fromMicros,
                                                 std::int64_t toMicros) const {
    std::vector<HistorySample> samples;
    const std::size_t count = size(slot);
    for (std::size_t i = LowerBound(slot, fromMicros); i < count; ++i) {
        const HistorySample sample = at(slot, i);
        if (sample.micros > toMicros) {
            break;
        }
        samples.push_back(sample);
    }
    return samples;
}

void MeterHistory::MarkStarted(int slot, AlertKind kind, std::int64_t sinceMicros) {
    if (marks_.empty() || !RackSlot(slot)) {
        return;
    }
    if (markCount_ == marks_.size()) {
        marksHead_ = (marksHead_ + 1) % marks_.size();
        --markCount_;
    }
    marks_[(marksHead_ + markCount_) % marks_.size()] = HistoryMark{sinceMicros, -1, slot, kind};
    ++markCount_;
    for (HistoryEvents* observer : observers_) {
        observer->MarksChanged(slot);
    }
}

void MeterHistory::MarkEnded(int slot, AlertKind kind, std::int64_t endMicros) {
    // The newest open mark of the slot and kind: at most one of each is open.
    for (std::size_t i = markCount_; i-- > 0;) {
        HistoryMark& mark = marks_[(marksHead_ + i) % marks_.size()];
        if (mark.slot == slot && mark.kind == kind && mark.open()) {
            mark.endMicros = endMicros;
            for (HistoryEvents* observer : observers_) {
                observer->MarksChanged(slot);
            }
            return;
        }
    }
}

std::vector<HistoryMark> MeterHistory::Marks(int slot, std::int64_t fromMicros,
                                             std::int64_t toMicros) const {
    std::vector<HistoryMark> marks;
    for (std::size_t i = 0; i < markCount_; ++i) {
        const HistoryMark& mark = marks_[(marksHead_ + i) % marks_.size()];
        if (mark.slot == slot && mark.sinceMicros <= toMicros &&
            (mark.open() || mark.endMicros >= fromMicros)) {
            marks.push_back(mark);
        }
    }
    return marks;
}

void MeterHistory::AddObserver(HistoryEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void MeterHistory::RemoveObserver(HistoryEvents& observer) {
    std::erase(observers_, &observer);
}

} // namespace k7
