#include "MeterHistory.h"

#include "rack/RackEvents.h"

#include <algorithm>

namespace k7 {

void MeterHistory::Allocate(int receivers, int pollIntervalMs) {
    if (allocated_) {
        return;
    }
    allocated_ = true;
    const int count = std::clamp(receivers, 0, kMaxSlots);
    addRings(count, count, pollIntervalMs);
    for (int slot = 1; slot <= count; ++slot) {
        ringOfSlot_[static_cast<std::size_t>(slot)] = slot;
        rings_[static_cast<std::size_t>(slot)].slot = slot;
    }
    marks_.assign(kMarks, HistoryMark{});
}

void MeterHistory::addRings(int count, int receivers, int pollIntervalMs) {
    // Each receiver answers once per round of the rack: as many ticks of the poll timer as
    // receivers.
    const std::int64_t roundMicros =
        std::int64_t{std::max(receivers, 1)} * std::max(pollIntervalMs, 1) * 1000;
    const std::int64_t answers = (kSpanMicros + roundMicros - 1) / roundMicros + 1;
    const auto perRing =
        static_cast<std::size_t>(answers + answers * kSlackPerMille / 1000 + kSlackAnswers);
    if (count <= 0) {
        return;
    }
    const std::size_t total = perRing * static_cast<std::size_t>(count);
    blocks_.push_back(std::make_unique_for_overwrite<Packed[]>(total));
    sampleCount_ += total;
    Packed* next = blocks_.back().get();
    for (int i = 0; i < count; ++i) {
        Ring ring;
        ring.samples = next;
        ring.capacity = perRing;
        next += perRing;
        rings_.push_back(ring);
    }
}

void MeterHistory::Reseat(const RackReseat& reseat,
                          const std::array<SerialNumber, kMaxSlots + 1>& serials,
                          int pollIntervalMs) {
    if (!allocated_) {
        return; // the first Allocate sizes the rack as it is found
    }
    std::array<int, kMaxSlots + 1> seated{};
    const int before = std::clamp(reseat.before, 0, kMaxSlots);
    const int after = std::clamp(reseat.after, 0, kMaxSlots);
    for (int old = 1; old <= before; ++old) {
        const auto o = static_cast<std::size_t>(old);
        const int ring = ringOfSlot_[o];
        if (ring == 0) {
            continue;
        }
        Ring& r = rings_[static_cast<std::size_t>(ring)];
        r.slot = reseat.movedTo[o];
        if (r.slot != 0) {
            seated[static_cast<std::size_t>(r.slot)] = ring;
        } else {
            r.serial = QString::fromLatin1(reseat.serialBefore[o].data());
            r.name = reseat.nameBefore[o];
        }
    }
    std::vector<int> newcomers;
    for (int now = 1; now <= after; ++now) {
        const auto n = static_cast<std::size_t>(now);
        if (seated[n] != 0) {
            continue;
        }
        const QString serial = QString::fromLatin1(serials[n].data());
        for (std::size_t ring = 1; ring < rings_.size(); ++ring) {
            if (rings_[ring].slot == 0 && !serial.isEmpty() && rings_[ring].serial == serial) {
                seated[n] = static_cast<int>(ring); // back: its hour goes on, with a gap
                rings_[ring].slot = now;
                break;
            }
        }
        if (seated[n] == 0) {
            newcomers.push_back(now);
        }
    }
    const auto first = static_cast<int>(rings_.size());
    addRings(static_cast<int>(newcomers.size()), after, pollIntervalMs);
    for (std::size_t i = 0; i < newcomers.size(); ++i) {
        const int ring = first + static_cast<int>(i);
        seated[static_cast<std::size_t>(newcomers[i])] = ring;
        rings_[static_cast<std::size_t>(ring)].slot = newcomers[i];
    }
    ringOfSlot_ = seated;
    for (HistoryEvents* observer : observers_) {
        observer->Reseated();
    }
}

const MeterHistory::Ring* MeterHistory::ringOf(int key) const {
    const int ring = RingOf(key);
    return ring != 0 ? &rings_[static_cast<std::size_t>(ring)] : nullptr;
}

int MeterHistory::RingOf(int key) const {
    if (RackSlot(key)) {
        return ringOfSlot_[static_cast<std::size_t>(key)];
    }
    const int ring = key - kMaxSlots;
    const bool away = ring >= 1 && ring < static_cast<int>(rings_.size()) &&
                      rings_[static_cast<std::size_t>(ring)].slot == 0;
    return away ? ring : 0;
}

int MeterHistory::KeyOfRing(int ring) const {
    if (ring < 1 || ring >= static_cast<int>(rings_.size())) {
        return 0;
    }
    const int slot = rings_[static_cast<std::size_t>(ring)].slot;
    return slot != 0 ? slot : kMaxSlots + ring;
}

std::vector<int> MeterHistory::AwayKeys() const {
    std::vector<int> keys;
    for (std::size_t ring = 1; ring < rings_.size(); ++ring) {
        if (rings_[ring].slot == 0) {
            keys.push_back(kMaxSlots + static_cast<int>(ring));
        }
    }
    return keys;
}

QString MeterHistory::AwayName(int key) const {
    const Ring* ring = key > kMaxSlots ? ringOf(key) : nullptr;
    return ring ? ring->name : QString();
}

std::size_t MeterHistory::capacity(int slot) const {
    const Ring* ring = ringOf(slot);
    return ring ? ring->capacity : 0;
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
    ring.samples[at] = Packed{static_cast<std::uint32_t>(micros), rfA, rfB, audio,
                              static_cast<std::uint8_t>(level | (muted ? 0x80 : 0))};
    ++ring.count;
}

std::size_t MeterHistory::size(int slot) const {
    const Ring* ring = ringOf(slot);
    return ring ? ring->count : 0;
}

HistorySample MeterHistory::at(int slot, std::size_t index) const {
    const Ring* found = ringOf(slot);
    if (!found || index >= found->count) {
        return {};
    }
    const Ring& ring = *found;
    const Packed& p = packed(ring, index);
    return HistorySample{
        FullTime(ring, p.micros), p.rfA, p.rfB, p.audio, static_cast<std::uint8_t>(p.mute & 0x0F),
        (p.mute & 0x80) != 0};
}

std::size_t MeterHistory::LowerBound(int slot, std::int64_t micros) const {
    const Ring* found = ringOf(slot);
    if (!found) {
        return 0;
    }
    const Ring& ring = *found;
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
    const int ring = RackSlot(slot) ? ringOfSlot_[static_cast<std::size_t>(slot)] : 0;
    if (marks_.empty() || ring == 0) {
        return;
    }
    if (markCount_ == marks_.size()) {
        marksHead_ = (marksHead_ + 1) % marks_.size();
        --markCount_;
    }
    marks_[(marksHead_ + markCount_) % marks_.size()] =
        HistoryMark{sinceMicros, -1, slot, kind, ring};
    ++markCount_;
    for (HistoryEvents* observer : observers_) {
        observer->MarksChanged(slot);
    }
}

void MeterHistory::MarkEnded(int slot, AlertKind kind, std::int64_t endMicros) {
    // The newest open mark of the slot and kind: at most one of each is open.
    const int ring = RackSlot(slot) ? ringOfSlot_[static_cast<std::size_t>(slot)] : 0;
    for (std::size_t i = markCount_; ring != 0 && i-- > 0;) {
        HistoryMark& mark = marks_[(marksHead_ + i) % marks_.size()];
        if (mark.ring == ring && mark.kind == kind && mark.open()) {
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
    const int ring = RingOf(slot);
    for (std::size_t i = 0; ring != 0 && i < markCount_; ++i) {
        const HistoryMark& mark = marks_[(marksHead_ + i) % marks_.size()];
        if (mark.ring == ring && mark.sinceMicros <= toMicros &&
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
