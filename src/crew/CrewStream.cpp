#include "CrewStream.h"

#include <algorithm>

namespace k7 {
namespace {

// A WebSocket frame's header, at most.
constexpr qint64 kFrameHeader = 14;

} // namespace

int CrewStream::Add(ViewerLink& link, std::int64_t nowMicros) {
    if (full()) {
        return 0;
    }
    Viewer viewer;
    viewer.id = nextId_++;
    viewer.link = &link;
    viewers_.push_back(viewer);
    Viewer& added = viewers_.back();
    if (send(added, model_.Snapshot(), nowMicros)) {
        ++added.counts.snapshots;
    } else {
        added.behind = true;
    }
    return added.id;
}

void CrewStream::Remove(int viewer) {
    viewers_.erase(std::remove_if(viewers_.begin(), viewers_.end(),
                                  [viewer](const Viewer& v) { return v.id == viewer; }),
                   viewers_.end());
}

CrewStream::Viewer* CrewStream::find(int viewer) {
    for (Viewer& v : viewers_) {
        if (v.id == viewer) {
            return &v;
        }
    }
    return nullptr;
}

const CrewStream::Viewer* CrewStream::find(int viewer) const {
    return const_cast<CrewStream*>(this)->find(viewer);
}

ViewerLink* CrewStream::link(int viewer) const {
    const Viewer* v = find(viewer);
    return v ? v->link : nullptr;
}

CrewStream::Counts CrewStream::counts(int viewer) const {
    const Viewer* v = find(viewer);
    return v ? v->counts : Counts{};
}

void CrewStream::MeterAnswered(int slot, std::uint8_t audio) {
    if (slot < 1 || slot > kMaxSlots) {
        return;
    }
    const std::uint64_t bit = std::uint64_t{1} << slot;
    for (Viewer& viewer : viewers_) {
        ViewerChanges& changes = viewer.changes;
        std::uint8_t& peak = changes.audioPeak[static_cast<std::size_t>(slot)];
        // The first answer since the last message starts the slot's peak afresh.
        peak = (changes.changed & bit) ? std::max(peak, audio) : audio;
        changes.changed |= bit;
    }
}

void CrewStream::SlotChanged(int slot) {
    if (slot < 1 || slot > kMaxSlots) {
        return;
    }
    const std::uint64_t bit = std::uint64_t{1} << slot;
    const std::uint8_t audio = model_.Audio(slot);
    for (Viewer& viewer : viewers_) {
        ViewerChanges& changes = viewer.changes;
        std::uint8_t& peak = changes.audioPeak[static_cast<std::size_t>(slot)];
        peak = (changes.changed & bit) ? peak : audio;
        changes.changed |= bit;
    }
}

void CrewStream::AlertsChanged() {
    for (Viewer& viewer : viewers_) {
        viewer.changes.alerts = true;
    }
}

void CrewStream::RackChanged() {
    for (Viewer& viewer : viewers_) {
        viewer.behind = true;
    }
}

void CrewStream::ActivityChanged() {
    for (Viewer& viewer : viewers_) {
        viewer.changes.activity = true;
    }
}

bool CrewStream::send(Viewer& viewer, const QByteArray& message, std::int64_t nowMicros) {
    if (viewer.link->Queued() + message.size() + kFrameHeader > kQueueCap) {
        return false;
    }
    viewer.link->Send(message);
    viewer.lastMicros = nowMicros;
    viewer.counts.mostQueued = std::max(viewer.counts.mostQueued, viewer.link->Queued());
    return true;
}

const QByteArray& CrewStream::changesFor(const ViewerChanges& changes) {
    for (const auto& [built, text] : built_) {
        if (built == changes) {
            return text;
        }
    }
    built_.emplace_back(changes, model_.Changes(changes));
    return built_.back().second;
}

void CrewStream::Flush(std::int64_t nowMicros) {
    built_.clear();
    snapshot_.clear();
    for (Viewer& viewer : viewers_) {
        if (nowMicros - viewer.lastMicros < kGapMicros) {
            continue;
        }
        if (viewer.behind) {
            // Only the newest snapshot, once what it already holds has mostly gone out.
            if (viewer.link->Queued() >= kResumeBelow) {
                continue;
            }
            if (snapshot_.isEmpty()) {
                snapshot_ = model_.Snapshot();
            }
            if (send(viewer, snapshot_, nowMicros)) {
                viewer.behind = false;
                viewer.changes = {};
                ++viewer.counts.snapshots;
            }
            continue;
        }
        if (viewer.changes.any()) {
            if (send(viewer, changesFor(viewer.changes), nowMicros)) {
                ++viewer.counts.messages;
            } else {
                viewer.behind = true;
                ++viewer.counts.fellBehind;
            }
            viewer.changes = {};
        } else if (nowMicros - viewer.lastMicros >= kAliveMicros) {
            if (send(viewer, model_.Alive(), nowMicros)) {
                ++viewer.counts.messages;
            }
        }
    }
}

} // namespace k7
