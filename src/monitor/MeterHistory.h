// The meter history: the raw RF A, RF B and audio level of every receiver's meter answers with
// the answer's time, for the last hour, and the alerts of that hour as marks. One block of
// memory, sized from the rack's poll rate when monitoring starts, holds a ring per receiver;
// recording an answer writes eight bytes into it and never allocates, so that keeping the hour
// costs the poll nothing. A ring belongs to its receiver: a rescan re-seats the rings with the
// receivers (a new receiver gets a ring then), and keeps the ring of one that is gone readable
// under a key of its own until the station stops.
#pragma once

#include "AlertKinds.h"
#include "link/DeviceTables.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace k7 {

// One meter answer as the history keeps it.
struct HistorySample {
    std::int64_t micros = 0; // the answer's time on the station's clock
    std::uint8_t rfA = 0;
    std::uint8_t rfB = 0;
    std::uint8_t audio = 0;
    std::uint8_t muteLevel = 0; // the receiver's mute level then (1..10; 0 when unknown)
    bool muted = false;         // the receiver reported its audio muted
    bool operator==(const HistorySample&) const = default;
};

// An alert over the hour: from its first bad reading to its end (-1 while it is up).
struct HistoryMark {
    std::int64_t sinceMicros = 0;
    std::int64_t endMicros = -1;
    int slot = 0; // where the receiver sat when the alert started
    AlertKind kind = AlertKind::Battery;
    int ring = 0; // the receiver's ring
    bool open() const { return endMicros < 0; }
};

class HistoryEvents {
public:
    virtual ~HistoryEvents() = default;
    // A meter answer of the slot was recorded.
    virtual void Recorded(int /*slot*/, std::int64_t /*micros*/) {}
    // An alert of the slot started or ended.
    virtual void MarksChanged(int /*slot*/) {}
    // A rescan moved the rings: the keys of the receivers changed.
    virtual void Reseated() {}
};

struct RackReseat;

class MeterHistory {
public:
    // What the history keeps: an hour, to the microsecond.
    static constexpr std::int64_t kSpanMicros = 3'600'000'000;
    // Room beyond the hour's answers at the nominal poll rate, for a timer that catches up its
    // phase: a hundredth, and a few answers more.
    static constexpr int kSlackPerMille = 10;
    static constexpr int kSlackAnswers = 16;
    // Alert marks kept for the whole rack; the oldest goes first.
    static constexpr std::size_t kMarks = 4096;

    // Sizes and allocates the rings of slots 1..receivers, each receiver answering once every
    // receivers x pollIntervalMs. Called once, when monitoring starts; a second call changes
    // nothing. Until then nothing is recorded.
    void Allocate(int receivers, int pollIntervalMs);
    bool allocated() const { return allocated_; }
    // A rescan: the rings go with their receivers to their new slots; a receiver that is gone
    // keeps its ring (readable under an away key); one that comes back (the same serial
    // number) takes its ring again; a new one gets a ring sized for the rack found, at this
    // poll interval. Nothing before the first Allocate.
    void Reseat(const RackReseat& reseat, const std::array<SerialNumber, kMaxSlots + 1>& serials,
                int pollIntervalMs);
    // Keys: 1..40 a slot's receiver; above kMaxSlots a receiver no longer attached.
    std::vector<int> AwayKeys() const;
    // The name of an away key's receiver as it was last shown (empty for any other key).
    QString AwayName(int key) const;
    // The ring a key reads (0 for none), and the key a ring is read under now.
    int RingOf(int key) const;
    int KeyOfRing(int ring) const;

    // The slot's room in answers (0 for a slot without a receiver).
    std::size_t capacity(int slot) const;
    // The bytes the history holds for its samples and marks.
    std::size_t memoryBytes() const;

    // A meter answer of the slot at micros (never earlier than the slot's previous one).
    // Answers older than an hour before it are let go.
    void Record(int slot, std::int64_t micros, std::uint8_t rfA, std::uint8_t rfB,
                std::uint8_t audio, int muteLevel, bool muted) {
        if (!RackSlot(slot) || ringOfSlot_[static_cast<std::size_t>(slot)] == 0) {
            return;
        }
        push(rings_[static_cast<std::size_t>(ringOfSlot_[static_cast<std::size_t>(slot)])], micros,
             rfA, rfB, audio, muteLevel, muted);
        for (HistoryEvents* observer : observers_) {
            observer->Recorded(slot, micros);
        }
    }

    // The slot's answers kept, oldest first (index 0), and the first index whose time is at or
    // after micros (size() when none is).
    std::size_t size(int slot) const;
    HistorySample at(int slot, std::size_t index) const;
    std::size_t LowerBound(int slot, std::int64_t micros) const;
    // The slot's answers in [fromMicros, toMicros], oldest first.
    std::vector<HistorySample> Samples(int slot, std::int64_t fromMicros,
                                       std::int64_t toMicros) const;

    // Alerts: started (with the time of its first bad reading) and ended.
    void MarkStarted(int slot, AlertKind kind, std::int64_t sinceMicros);
    void MarkEnded(int slot, AlertKind kind, std::int64_t endMicros);
    // The slot's alerts that overlap [fromMicros, toMicros], oldest first.
    std::vector<HistoryMark> Marks(int slot, std::int64_t fromMicros, std::int64_t toMicros) const;

    void AddObserver(HistoryEvents& observer);
    void RemoveObserver(HistoryEvents& observer);

private:
    // Eight bytes an answer: the time's low 32 bits (an hour is 3.6e9 us, under 2^32; the high
    // bits come from the ring's newest answer) and the three levels with the mute state.
    struct Packed {
        std::uint32_t micros;
        std::uint8_t rfA, rfB, audio;
        std::uint8_t mute; // bits 0-3 the mute level, bit 7 muted
    };
    static_assert(sizeof(Packed) == 8);

    struct Ring {
        Packed* samples = nullptr;
        std::size_t capacity = 0;
        std::size_t head = 0; // index of the oldest in the ring
        std::size_t count = 0;
        std::int64_t newest = 0;
        int slot = 0; // where its receiver sits; 0 once it is no longer attached
        // Of a receiver no longer attached: how to find it again, and how it was shown.
        QString serial;
        QString name;
    };

    static bool RackSlot(int slot) { return slot >= 1 && slot <= kMaxSlots; }
    // The ring a key reads, or nullptr.
    const Ring* ringOf(int key) const;
    // count rings of the same room, in one block, for a rack of receivers at the poll interval.
    void addRings(int count, int receivers, int pollIntervalMs);
    void push(Ring& ring, std::int64_t micros, std::uint8_t rfA, std::uint8_t rfB,
              std::uint8_t audio, int muteLevel, bool muted);
    const Packed& packed(const Ring& ring, std::size_t index) const {
        const std::size_t at = ring.head + index;
        return ring.samples[at < ring.capacity ? at : at - ring.capacity];
    }
    static std::int64_t FullTime(const Ring& ring, std::uint32_t low) {
        return ring.newest -
               static_cast<std::uint32_t>(static_cast<std::uint32_t>(ring.newest) - low);
    }

    bool allocated_ = false;
    // Left unwritten until answers fill them: the system gives their pages as the rings reach
    // them, so starting to record costs nothing however long the span. One block at the start,
    // and one for the new receivers of each rescan.
    std::vector<std::unique_ptr<Packed[]>> blocks_;
    std::size_t sampleCount_ = 0;
    std::vector<Ring> rings_{Ring{}}; // ring 0 is none
    std::array<int, kMaxSlots + 1> ringOfSlot_{};
    std::vector<HistoryMark> marks_; // a ring of kMarks once allocated
    std::size_t marksHead_ = 0;      // the oldest mark
    std::size_t markCount_ = 0;
    std::vector<HistoryEvents*> observers_;
};

} // namespace k7
