// The stream to every viewer of the crew view, without sockets: each viewer gets the snapshot
// first, then the changes since its last message, at most one message every 100 ms (newest
// values per receiver, and the highest audio of the answers between two messages, so that a
// short peak is never lost), and a short "alive" message when nothing else went for a while.
// A viewer that does not read falls behind: once its queue would pass 256 KiB it gets nothing
// more until the queue has drained, then the newest snapshot and the changes from there.
// Nothing here waits: a message is handed to the viewer's link and the link queues it.
#pragma once

#include "CrewModel.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace k7 {

// One viewer's connection, as the stream sees it.
class ViewerLink {
public:
    virtual ~ViewerLink() = default;
    // Bytes handed to the link that have not yet left for the network.
    virtual qint64 Queued() const = 0;
    virtual void Send(const QByteArray& json) = 0;
    virtual void Close(int code, const QString& reason) = 0;
};

class CrewStream {
public:
    static constexpr int kMaxViewers = 32;
    static constexpr std::int64_t kGapMicros = 100'000;   // at most ten messages a second
    static constexpr std::int64_t kAliveMicros = 500'000; // the line is shown to hold
    static constexpr qint64 kQueueCap = 256 * 1024;
    // A viewer that fell behind gets its snapshot once its queue is under this.
    static constexpr qint64 kResumeBelow = 64 * 1024;

    struct Counts {
        int messages = 0;  // changes and alive messages
        int snapshots = 0; // the first, those after falling behind or a rescan
        int fellBehind = 0;
        qint64 mostQueued = 0; // the most the queue held right after a send
    };

    explicit CrewStream(const CrewModel& model) : model_(model) {}

    // A new viewer: its snapshot goes out at once. Returns its number (0 when the stream is full).
    int Add(ViewerLink& link, std::int64_t nowMicros);
    void Remove(int viewer);
    int viewers() const { return static_cast<int>(viewers_.size()); }
    bool full() const { return viewers() >= kMaxViewers; }
    ViewerLink* link(int viewer) const;
    Counts counts(int viewer) const;

    // What the viewers are told of.
    void MeterAnswered(int slot, std::uint8_t audio);
    void SlotChanged(int slot);
    void AlertsChanged();
    void ActivityChanged();
    // The rack itself changed (a rescan): every viewer gets the newest snapshot next.
    void RackChanged();

    // Sends every viewer what is due now.
    void Flush(std::int64_t nowMicros);

private:
    struct Viewer {
        int id = 0;
        ViewerLink* link = nullptr;
        ViewerChanges changes;
        std::int64_t lastMicros = 0;
        bool behind = false;
        Counts counts;
    };

    // Hands a message to the viewer's link when its queue has room; false when it has not.
    bool send(Viewer& viewer, const QByteArray& message, std::int64_t nowMicros);
    const QByteArray& changesFor(const ViewerChanges& changes);
    Viewer* find(int viewer);
    const Viewer* find(int viewer) const;

    const CrewModel& model_;
    std::vector<Viewer> viewers_;
    int nextId_ = 1;
    // The messages of one flush, by what changed: viewers in step share one text.
    std::vector<std::pair<ViewerChanges, QByteArray>> built_;
    QByteArray snapshot_;
};

} // namespace k7
