#include "AlertList.h"

#include "rack/RackEvents.h"

#include <algorithm>
#include <utility>

namespace k7 {
namespace {

bool ValidSlot(int slot) {
    return slot >= 1 && slot <= kMaxSlots;
}

std::optional<AlertKind> MostUrgent(const std::array<bool, kAlertKinds>& present) {
    std::optional<AlertKind> most;
    for (AlertKind kind : kAllAlertKinds) {
        if (present[static_cast<std::size_t>(Index(kind))] &&
            (!most || AlertUrgency(kind) > AlertUrgency(*most))) {
            most = kind;
        }
    }
    return most;
}

} // namespace

template <typename Event>
void AlertList::tell(Event event) {
    // A copy: an observer may come or go while it is told.
    std::vector<AlertEvents*> observers = observers_;
    observers.insert(observers.end(), late_.begin(), late_.end());
    for (AlertEvents* observer : observers) {
        event(*observer);
    }
}

void AlertList::AddLateObserver(AlertEvents& observer) {
    if (std::find(late_.begin(), late_.end(), &observer) == late_.end()) {
        late_.push_back(&observer);
    }
}

void AlertList::AddObserver(AlertEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void AlertList::RemoveObserver(AlertEvents& observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer),
                     observers_.end());
    late_.erase(std::remove(late_.begin(), late_.end(), &observer), late_.end());
}

const Alert* AlertList::Start(AlertKind kind, int slot, const QString& name,
                              std::int64_t sinceMicros, std::int64_t nowMicros,
                              const QDateTime& now, const QString& detail) {
    const auto k = static_cast<std::size_t>(Index(kind));
    if (!ValidSlot(slot) || open_[static_cast<std::size_t>(slot)][k] != 0) {
        return nullptr; // one alert of a kind per receiver at a time
    }
    Alert alert;
    alert.id = nextId_++;
    alert.kind = kind;
    alert.slot = slot;
    alert.serial = QString::fromLatin1(seats_[static_cast<std::size_t>(slot)].data());
    alert.name = name;
    alert.sinceMicros = sinceMicros;
    alert.startMicros = nowMicros;
    alert.began = now.addMSecs(-(nowMicros - sinceMicros) / 1000);
    alert.detail = detail;
    alerts_.push_back(alert);
    ++activeCount_;
    open_[static_cast<std::size_t>(slot)][k] = alert.id;
    const Alert& started = alerts_.back();
    tell([&started](AlertEvents& observer) { observer.AlertStarted(started); });
    trim();
    return find(alert.id);
}

const Alert* AlertList::End(AlertKind kind, int slot, std::int64_t nowMicros, const QDateTime& now,
                            const QString& detail) {
    if (!ValidSlot(slot)) {
        return nullptr;
    }
    std::uint64_t& id =
        open_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(Index(kind))];
    Alert* alert = find(id);
    if (!alert) {
        return nullptr;
    }
    id = 0;
    alert->endMicros = nowMicros;
    alert->ended = now;
    alert->endDetail = detail;
    --activeCount_;
    ++ended_;
    ++unseen_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(Index(kind))];
    const Alert& ended = *alert;
    tell([&ended](AlertEvents& observer) { observer.AlertEnded(ended); });
    return alert;
}

std::vector<const Alert*> AlertList::EndAway(std::int64_t nowMicros, const QDateTime& now,
                                             const QString& detail) {
    std::vector<const Alert*> ended;
    for (Away& away : away_) {
        for (std::size_t k = 0; k < away.open.size(); ++k) {
            Alert* alert = find(std::exchange(away.open[k], 0));
            if (!alert) {
                continue;
            }
            alert->endMicros = nowMicros;
            alert->ended = now;
            alert->endDetail = detail;
            --activeCount_;
            ++ended_;
            ++away.unseen[k];
            ended.push_back(alert);
            const Alert& over = *alert;
            tell([&over](AlertEvents& observer) { observer.AlertEnded(over); });
        }
    }
    return ended;
}

bool AlertList::IsOpen(int slot, AlertKind kind) const {
    return ValidSlot(slot) &&
           open_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(Index(kind))] != 0;
}

CellAlerts AlertList::CellOf(int slot) const {
    std::array<bool, kAlertKinds> every{};
    every.fill(true);
    return CellOf(slot, every);
}

CellAlerts AlertList::CellOf(int slot, const std::array<bool, kAlertKinds>& marked) const {
    if (!ValidSlot(slot)) {
        return {};
    }
    const auto s = static_cast<std::size_t>(slot);
    std::array<bool, kAlertKinds> up{}, unseen{};
    for (std::size_t k = 0; k < up.size(); ++k) {
        up[k] = marked[k] && open_[s][k] != 0;
        unseen[k] = marked[k] && unseen_[s][k] > 0;
    }
    return {MostUrgent(up), MostUrgent(unseen)};
}

void AlertList::Reseat(const RackReseat& reseat,
                       const std::array<SerialNumber, kMaxSlots + 1>& serials) {
    std::array<OpenIds, kMaxSlots + 1> open{};
    std::array<Unseen, kMaxSlots + 1> unseen{};
    for (int old = 1; old <= std::min(reseat.before, kMaxSlots); ++old) {
        const auto o = static_cast<std::size_t>(old);
        if (const int now = reseat.movedTo[o]; now != 0) {
            open[static_cast<std::size_t>(now)] = open_[o];
            unseen[static_cast<std::size_t>(now)] = unseen_[o];
        } else if (seats_[o][0] != '\0') {
            away_.push_back(Away{QString::fromLatin1(seats_[o].data()), open_[o], unseen_[o]});
        }
    }
    for (int now = 1; now <= std::min(reseat.after, kMaxSlots); ++now) {
        const auto n = static_cast<std::size_t>(now);
        if (reseat.cameFrom[n] != 0) {
            continue;
        }
        const QString serial = QString::fromLatin1(serials[n].data());
        const auto back = std::find_if(away_.begin(), away_.end(),
                                       [&serial](const Away& a) { return a.serial == serial; });
        if (back != away_.end()) {
            open[n] = back->open;
            unseen[n] = back->unseen;
            away_.erase(back);
        }
    }
    open_ = open;
    unseen_ = unseen;
    seats_ = serials;
    for (Alert& alert : alerts_) {
        for (int slot = 1; slot <= std::min(reseat.after, kMaxSlots) && !alert.serial.isEmpty();
             ++slot) {
            if (alert.serial == QLatin1String(seats_[static_cast<std::size_t>(slot)].data())) {
                alert.slot = slot;
                break;
            }
        }
    }
    tell([](AlertEvents& observer) { observer.AlertsTrimmed(); });
}

void AlertList::AcknowledgeEnded() {
    for (Alert& alert : alerts_) {
        if (!alert.active()) {
            alert.acknowledged = true;
        }
    }
    for (auto& kinds : unseen_) {
        kinds.fill(0);
    }
    for (Away& away : away_) {
        away.unseen.fill(0);
    }
    tell([](AlertEvents& observer) { observer.AlertsAcknowledged(); });
}

int* AlertList::unseenOf(const Alert& alert) {
    const auto kind = static_cast<std::size_t>(Index(alert.kind));
    const bool seated =
        ValidSlot(alert.slot) &&
        (alert.serial.isEmpty() ||
         alert.serial == QLatin1String(seats_[static_cast<std::size_t>(alert.slot)].data()));
    if (seated) {
        return &unseen_[static_cast<std::size_t>(alert.slot)][kind];
    }
    for (Away& away : away_) {
        if (away.serial == alert.serial) {
            return &away.unseen[kind];
        }
    }
    return nullptr;
}

Alert* AlertList::find(std::uint64_t id) {
    if (id == 0) {
        return nullptr;
    }
    // Open alerts are mostly recent: look from the newest back.
    const auto it = std::find_if(alerts_.rbegin(), alerts_.rend(),
                                 [id](const Alert& alert) { return alert.id == id; });
    return it == alerts_.rend() ? nullptr : &*it;
}

void AlertList::trim() {
    if (ended_ <= kKept) {
        return;
    }
    // The oldest ended alerts go; open ones stay, wherever they are.
    std::size_t surplus = ended_ - kKept;
    for (auto it = alerts_.begin(); it != alerts_.end() && surplus > 0;) {
        if (it->active()) {
            ++it;
            continue;
        }
        if (!it->acknowledged) {
            if (int* unseen = unseenOf(*it)) {
                *unseen = std::max(0, *unseen - 1);
            }
        }
        it = alerts_.erase(it);
        --ended_;
        --surplus;
    }
    tell([](AlertEvents& observer) { observer.AlertsTrimmed(); });
}

} // namespace k7
