#include "AlertWatch.h"

#include "display/Scaling.h"
#include "rack/RackEvents.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {
namespace {

// How long a run of readings has lasted, starting it at this reading when none is running.
std::int64_t RunLength(std::int64_t& since, std::int64_t now) {
    if (since < 0) {
        since = now;
    }
    return now - since;
}

} // namespace

AlertWatch::AlertWatch(const RackTables& rack, AlertSink& sink) : rack_(rack), sink_(sink) {
    // RF is lost where the meters show both bars under the threshold marker: the raw level of
    // the marker is where the RF height of the 255-pixel scale reaches the marker's height.
    Scaling scaling;
    BuildScaling(scaling);
    for (int level = 1; level <= 10; ++level) {
        const int marker = scaling.ThresholdTable[static_cast<std::size_t>(level)][Bar255];
        int raw = 0;
        while (raw < 255 &&
               scaling.ScaleTable255[static_cast<std::size_t>(raw)][RfHeightColumn] < marker) {
            ++raw;
        }
        rfThreshold_[static_cast<std::size_t>(level)] = raw;
    }
}

int AlertWatch::RfThreshold(int muteLevel) const {
    return muteLevel >= 1 && muteLevel <= 10 ? rfThreshold_[static_cast<std::size_t>(muteLevel)]
                                             : 0;
}

void AlertWatch::ForgetTransmitters() {
    for (Receiver& r : receivers_) {
        r.transmitterSeen = false;
        r.underSince = -1;
    }
}

void AlertWatch::Reseat(const RackReseat& reseat) {
    std::array<Receiver, kMaxSlots + 1> seated{};
    for (int old = 1; old <= std::min(reseat.before, kMaxSlots); ++old) {
        if (const int now = reseat.movedTo[static_cast<std::size_t>(old)]; now != 0) {
            seated[static_cast<std::size_t>(now)] = receivers_[static_cast<std::size_t>(old)];
        }
    }
    receivers_ = seated;
}

void AlertWatch::MeterAnswered(int slot, std::int64_t nowMicros) {
    if (!RackTables::validSlot(slot)) {
        return;
    }
    Receiver& r = receivers_[static_cast<std::size_t>(slot)];
    if (r.last >= 0 && nowMicros - r.last > kGapMicros) {
        r.lowSince = r.goodSince = r.underSince = r.silentSince = -1;
    }
    r.last = nowMicros;
    battery(slot, r, nowMicros);
    rf(slot, r, nowMicros);
    audio(slot, r, nowMicros);
}

void AlertWatch::battery(int slot, Receiver& r, std::int64_t now) {
    const auto s = static_cast<std::size_t>(slot);
    // The gauge shows nothing while the voltage is unknown (after a muted report, until its
    // hold has passed): nothing is held then, and an alert that is up stays up.
    if (!rack_.VoltageKnown[s] || rack_.LastMuted == 1) {
        r.lowSince = r.goodSince = -1;
        return;
    }
    const int voltage = rack_.MeterData[s][Voltage];
    const std::int64_t hold = std::int64_t{settings_.batteryHoldMs} * 1000;
    const bool up = sink_.IsUp(slot, AlertKind::Battery);
    if (voltage < settings_.batteryLowBelow) {
        r.goodSince = -1;
        if (RunLength(r.lowSince, now) >= hold && !up) {
            sink_.Raise(AlertKind::Battery, slot, r.lowSince,
                        QStringLiteral("voltage %1, low below %2, for %3")
                            .arg(voltage)
                            .arg(settings_.batteryLowBelow)
                            .arg(DurationText(now - r.lowSince)));
        }
        return;
    }
    r.lowSince = -1;
    if (!up) {
        return;
    }
    if (RunLength(r.goodSince, now) >= hold) {
        sink_.Clear(AlertKind::Battery, slot, QStringLiteral("voltage %1").arg(voltage));
    }
}

void AlertWatch::rf(int slot, Receiver& r, std::int64_t now) {
    const auto s = static_cast<std::size_t>(slot);
    const QString& frequency = rack_.CurData[s].Frequency;
    if (frequency != r.frequency) {
        r.frequency = frequency;
        r.transmitterSeen = false;
        r.underSince = -1;
    }
    const int level = MuteLevelRow(rack_.CurData[s].MuteLevel);
    const int threshold = RfThreshold(level);
    const int a = rack_.MeterData[s][RfA];
    const int b = rack_.MeterData[s][RfB];
    if (a >= threshold || b >= threshold) {
        r.transmitterSeen = true;
        r.underSince = -1;
        if (sink_.IsUp(slot, AlertKind::RfLost)) {
            sink_.Clear(AlertKind::RfLost, slot, QStringLiteral("RF A %1, B %2").arg(a).arg(b));
        }
        return;
    }
    if (!r.transmitterSeen) {
        return; // no transmitter on this frequency yet: nothing to lose
    }
    if (RunLength(r.underSince, now) > std::int64_t{settings_.rfLostAfterMs} * 1000 &&
        !sink_.IsUp(slot, AlertKind::RfLost)) {
        sink_.Raise(AlertKind::RfLost, slot, r.underSince,
                    QStringLiteral("RF A %1, B %2 under the mute threshold %3 (level %4) for %5")
                        .arg(a)
                        .arg(b)
                        .arg(threshold)
                        .arg(level)
                        .arg(DurationText(now - r.underSince)));
    }
}

void AlertWatch::audio(int slot, Receiver& r, std::int64_t now) {
    if (!settings_.audioSilentOn()) {
        return;
    }
    const auto s = static_cast<std::size_t>(slot);
    const int level = rack_.MeterData[s][AudioLevel];
    const bool muted = rack_.LastMuted == 1 || rack_.UserMute[s];
    if (muted || level > settings_.audioSilentAtOrBelow) {
        r.silentSince = -1;
        if (sink_.IsUp(slot, AlertKind::AudioSilent)) {
            sink_.Clear(AlertKind::AudioSilent, slot,
                        muted ? QStringLiteral("muted") : QStringLiteral("audio %1").arg(level));
        }
        return;
    }
    if (RunLength(r.silentSince, now) > std::int64_t{settings_.audioSilentAfterMs} * 1000 &&
        !sink_.IsUp(slot, AlertKind::AudioSilent)) {
        sink_.Raise(AlertKind::AudioSilent, slot, r.silentSince,
                    QStringLiteral("audio %1 or less for %2 while not muted")
                        .arg(settings_.audioSilentAtOrBelow)
                        .arg(DurationText(now - r.silentSince)));
    }
}

QString DurationText(std::int64_t micros) {
    const std::int64_t tenths = (std::max<std::int64_t>(micros, 0) + 50'000) / 100'000;
    if (tenths < 600) {
        return QStringLiteral("%1.%2 s").arg(tenths / 10).arg(tenths % 10);
    }
    const std::int64_t seconds = tenths / 10;
    if (seconds < 3600) {
        return QStringLiteral("%1 min %2 s")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1 h %2 min")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

} // namespace k7
