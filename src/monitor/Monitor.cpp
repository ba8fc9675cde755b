#include "Monitor.h"

#include "display/Scaling.h"
#include "files/ReceiverLabels.h"
#include "link/DeviceTables.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "rack/RackTables.h"

#include <QStringList>

#include <algorithm>

namespace k7 {
namespace {

const QString kStart = QStringLiteral(" start");
// A log failure is told as soon as the handler that found it has returned.
constexpr int kTellDelayMs = 1;
const QString kEnd = QStringLiteral(" end");

QString PassDetail(const PassStart& pass) {
    if (!pass.fromFile) {
        return QStringLiteral("the receivers' own data");
    }
    return QStringLiteral("file %1, %2")
        .arg(pass.file, pass.changedOnly ? QStringLiteral("changed settings only")
                                         : QStringLiteral("every setting"));
}

} // namespace

QLatin1StringView RackNoteToken(RackNote::Kind kind) {
    switch (kind) {
    case RackNote::MonitoringStarted:
        return QLatin1StringView("monitoring-started");
    case RackNote::ProgrammingPass:
        return QLatin1StringView("programming-pass");
    case RackNote::DevicesChanged:
        return QLatin1StringView("devices-changed");
    case RackNote::DiscoveryFailed:
        return QLatin1StringView("discovery-failed");
    case RackNote::Stopped:
        return QLatin1StringView("stopped");
    case RackNote::RescanStarted:
    case RackNote::RescanEnded:
    case RackNote::RescanRefused:
        return QLatin1StringView("rescan");
    case RackNote::Unplugged:
        return QLatin1StringView("unplugged");
    case RackNote::PluggedIn:
        return QLatin1StringView("plugged in");
    }
    return {};
}

QLatin1StringView RescanRefusalToken(RescanRefusal refusal) {
    switch (refusal) {
    case RescanRefusal::NoDevice:
        return QLatin1StringView("no-device");
    case RescanRefusal::NotFamily:
        return QLatin1StringView("not-family");
    case RescanRefusal::TooMany:
        return QLatin1StringView("too-many");
    case RescanRefusal::DiscoveryFailed:
        return QLatin1StringView("discovery-failed");
    }
    return {};
}

Monitor::Monitor(const Wiring& wiring)
    : rack_(wiring.rack), devices_(wiring.devices), clock_(wiring.clock),
      timerFactory_(wiring.timerFactory), prompter_(wiring.prompter), wallClock_(wiring.wallClock),
      labels_(wiring.labels), log_(wiring.dataFolder + QStringLiteral("/Logs"), wallClock_),
      watch_(wiring.rack, *this),
      export_(HistoryExport::Wiring{
          history_, [this] { return receivers(); },
          // A labelled receiver's columns carry its label too; the others keep their names.
          [this](int slot) {
              const QString label = labelOf(slot);
              return label.isEmpty() ? nameOf(slot)
                                     : QStringLiteral("%1 (%2)").arg(nameOf(slot), label);
          },
          [this] { return WallOrigin(); }, wiring.timerFactory, log_, wiring.dataFolder}) {
    watch_.SetSettings(ReadAlertSettings(wiring.settings));
    log_.SetFailureListener(
        [this](const QString& file, const QString& reason) { logFailed(file, reason); });
}

Monitor::~Monitor() = default;

std::int64_t Monitor::NowMicros() const {
    return clock_.nowMicros();
}

int Monitor::receivers() const {
    return devices_.DeviceCount;
}

QString Monitor::nameOf(int slot) const {
    return RackTables::validSlot(slot) ? rack_.CurData[static_cast<std::size_t>(slot)].Name
                                       : QString();
}

QString Monitor::serialOf(int slot) const {
    return RackTables::validSlot(slot)
               ? QString::fromLatin1(devices_.SlotSerial[static_cast<std::size_t>(slot)].data())
               : QString();
}

QString Monitor::labelOf(int slot) const {
    const QString serial = serialOf(slot);
    return labels_ && !serial.isEmpty() ? labels_->LabelOf(serial) : QString();
}

QString Monitor::groupOf(int slot) const {
    const QString serial = serialOf(slot);
    return labels_ && !serial.isEmpty() ? labels_->GroupOf(serial) : QString();
}

QString Monitor::withLabel(const QString& serial, const QString& detail) const {
    const ReceiverLabel label =
        labels_ && !serial.isEmpty() ? labels_->Of(serial) : ReceiverLabel{};
    QString text = detail;
    if (!label.label.isEmpty()) {
        text += QStringLiteral("; label: ") + label.label;
    }
    if (!label.group.isEmpty()) {
        text += QStringLiteral("; group: ") + label.group;
    }
    return text;
}

QDateTime Monitor::WallOrigin() const {
    return wallClock_().addMSecs(-(clock_.nowMicros() / 1000));
}

void Monitor::MeterAnswered(int slot, int /*position*/) {
    if (stopped_ || !RackTables::validSlot(slot)) {
        return;
    }
    const std::int64_t now = clock_.nowMicros();
    const auto s = static_cast<std::size_t>(slot);
    const auto& meter = rack_.MeterData[s];
    history_.Record(slot, now, meter[RfA], meter[RfB], meter[AudioLevel],
                    MuteLevelRow(rack_.CurData[s].MuteLevel), rack_.LastMuted == 1);
    watch_.MeterAnswered(slot, now);
}

void Monitor::ReceiverBlanked(int slot) {
    if (stopped_) {
        return;
    }
    Raise(AlertKind::NotAnswering, slot, clock_.nowMicros(),
          QStringLiteral("fewer than %1 answers in the last 5 s").arg(rack_.AnswersPerSecond));
}

void Monitor::ReceiverAnsweringAgain(int slot) {
    if (!stopped_ && alerts_.IsOpen(slot, AlertKind::NotAnswering)) {
        Clear(AlertKind::NotAnswering, slot, QStringLiteral("answering at its rate again"));
    }
}

void Monitor::ActivityChanged(RackActivity activity) {
    activity_ = activity;
    if (activity != RackActivity::Monitoring || monitoringSeen_ || stopped_) {
        return;
    }
    monitoringSeen_ = true;
    alerts_.SetSeats(devices_.SlotSerial);
    // The rack's size and poll rate are known and stay so for the run.
    history_.Allocate(devices_.DeviceCount, devices_.PollInterval);
    RackNote started;
    started.kind = RackNote::MonitoringStarted;
    started.receivers = devices_.DeviceCount;
    started.detail = QStringLiteral("%1 receivers").arg(devices_.DeviceCount);
    note(std::move(started));
}

void Monitor::DeviceCountChanged(int attached, int expected) {
    RackNote changed;
    changed.kind = RackNote::DevicesChanged;
    changed.attached = attached;
    changed.expected = expected;
    changed.detail = QStringLiteral("%1 USB devices attached where the rack has %2; %3")
                         .arg(attached)
                         .arg(expected)
                         .arg(activity_ == RackActivity::Settling
                                  ? QStringLiteral("monitoring waits for the devices to settle")
                                  : QStringLiteral("monitoring ends"));
    usbChangeMicros_ = clock_.nowMicros();
    note(std::move(changed));
}

void Monitor::RescanStarted(int before) {
    RackNote started;
    started.kind = RackNote::RescanStarted;
    started.before = before;
    note(std::move(started));
}

void Monitor::ReceiversReseated(const RackReseat& reseat) {
    if (stopped_) {
        return;
    }
    const std::int64_t since = usbChangeMicros_ >= 0 ? usbChangeMicros_ : clock_.nowMicros();
    // A receiver that is gone: what was up on it ends, and it is marked disconnected, while it
    // still sits in its slot.
    for (int old = 1; old <= std::min(reseat.before, kMaxSlots); ++old) {
        const auto o = static_cast<std::size_t>(old);
        if (reseat.movedTo[o] != 0) {
            continue;
        }
        for (AlertKind kind : kAllAlertKinds) {
            if (kind != AlertKind::Disconnected && alerts_.IsOpen(old, kind)) {
                Clear(kind, old, QStringLiteral("the receiver was unplugged"));
            }
        }
        const QString serial = QString::fromLatin1(reseat.serialBefore[o].data());
        RackNote unplugged;
        unplugged.kind = RackNote::Unplugged;
        unplugged.slot = old;
        unplugged.name = reseat.nameBefore[o];
        unplugged.detail = QStringLiteral("serial %1").arg(serial);
        note(std::move(unplugged));
        raise(AlertKind::Disconnected, old, reseat.nameBefore[o], since,
              QStringLiteral("serial %1 not found by the rescan").arg(serial));
    }
    alerts_.Reseat(reseat, devices_.SlotSerial);
    watch_.Reseat(reseat);
    history_.Reseat(reseat, devices_.SlotSerial, devices_.PollInterval);
    comeAtRescan_.clear();
    for (int now = 1; now <= std::min(reseat.after, kMaxSlots); ++now) {
        if (reseat.cameFrom[static_cast<std::size_t>(now)] == 0) {
            comeAtRescan_.push_back(now);
        }
    }
}

void Monitor::RescanEnded(int before, int after) {
    if (stopped_) {
        return;
    }
    // The answer-rate check starts afresh, and every receiver answered identification.
    for (int slot = 1; slot <= std::min(after, kMaxSlots); ++slot) {
        if (alerts_.IsOpen(slot, AlertKind::NotAnswering)) {
            Clear(AlertKind::NotAnswering, slot, QStringLiteral("answering after the rescan"));
        }
    }
    for (int slot : comeAtRescan_) {
        if (alerts_.IsOpen(slot, AlertKind::Disconnected)) {
            Clear(AlertKind::Disconnected, slot,
                  QStringLiteral("plugged in again, now in slot %1").arg(slot));
        }
        RackNote plugged;
        plugged.kind = RackNote::PluggedIn;
        plugged.slot = slot;
        plugged.name = nameOf(slot);
        plugged.detail = QStringLiteral("serial %1")
                             .arg(QString::fromLatin1(
                                 devices_.SlotSerial[static_cast<std::size_t>(slot)].data()));
        note(std::move(plugged));
    }
    comeAtRescan_.clear();
    RackNote ended;
    ended.kind = RackNote::RescanEnded;
    ended.before = before;
    ended.receivers = after;
    ended.detail = QStringLiteral("%1 receivers before, %2 after").arg(before).arg(after);
    note(std::move(ended));
}

void Monitor::RescanRefused(RescanRefusal reason, int before) {
    static const QString kWhy[] = {QStringLiteral("no device attached"),
                                   QStringLiteral("a device outside the K7 series"),
                                   QStringLiteral("more than 40 devices"),
                                   QStringLiteral("a receiver did not answer identification")};
    RackNote refused;
    refused.kind = RackNote::RescanRefused;
    refused.before = before;
    refused.refusal = reason;
    refused.detail = QStringLiteral("%1 receivers before; refused: %2")
                         .arg(before)
                         .arg(kWhy[static_cast<std::size_t>(reason)]);
    note(std::move(refused));
}

void Monitor::DiscoveryFailed(const std::vector<int>& silentSlots) {
    RackNote failed;
    failed.kind = RackNote::DiscoveryFailed;
    failed.silentSlots = silentSlots;
    QStringList listed;
    for (int slot : silentSlots) {
        listed << QString::number(slot);
    }
    failed.detail = listed.isEmpty() ? QStringLiteral("a receiver did not answer identification")
                                     : QStringLiteral("no identification answer from slot %1")
                                           .arg(listed.join(QStringLiteral(", ")));
    note(std::move(failed));
}

void Monitor::ProgrammingPassStarted(const PassStart& pass) {
    // The receivers may be on new frequencies: their transmitters are looked for afresh.
    watch_.ForgetTransmitters();
    RackNote started;
    started.kind = RackNote::ProgrammingPass;
    started.pass = pass;
    started.detail = PassDetail(pass);
    note(std::move(started));
}

void Monitor::Stop() {
    if (stopped_) {
        return;
    }
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        for (AlertKind kind : kAllAlertKinds) {
            if (alerts_.IsOpen(slot, kind)) {
                Clear(kind, slot, QStringLiteral("at the stop"));
            }
        }
    }
    const std::int64_t now = clock_.nowMicros();
    for (const Alert* ended : alerts_.EndAway(now, wallClock_(), QStringLiteral("at the stop"))) {
        log_.Write(ended->slot, ended->name, AlertToken(ended->kind) + kEnd,
                   withLabel(ended->serial, QStringLiteral("after %1: at the stop")
                                                .arg(DurationText(ended->durationMicros(now)))));
    }
    stopped_ = true;
    RackNote stopped;
    stopped.kind = RackNote::Stopped;
    stopped.detail = QStringLiteral("orderly stop");
    note(std::move(stopped));
    if (tellTimer_) {
        tellTimer_->setEnabled(false);
    }
}

void Monitor::Raise(AlertKind kind, int slot, std::int64_t sinceMicros, const QString& detail) {
    raise(kind, slot, nameOf(slot), sinceMicros, detail);
}

void Monitor::raise(AlertKind kind, int slot, const QString& name, std::int64_t sinceMicros,
                    const QString& detail) {
    if (alerts_.IsOpen(slot, kind) || !RackTables::validSlot(slot)) {
        return;
    }
    // The start's line first: what the alert sets off (an alarm) is logged after it.
    log_.Write(slot, name, AlertToken(kind) + kStart, withLabel(alerts_.SerialAt(slot), detail));
    if (alerts_.Start(kind, slot, name, sinceMicros, clock_.nowMicros(), wallClock_(), detail)) {
        history_.MarkStarted(slot, kind, sinceMicros);
    }
}

void Monitor::Clear(AlertKind kind, int slot, const QString& detail) {
    const std::int64_t now = clock_.nowMicros();
    if (const Alert* ended = alerts_.End(kind, slot, now, wallClock_(), detail)) {
        history_.MarkEnded(slot, kind, now);
        log_.Write(
            slot, nameOf(slot), AlertToken(kind) + kEnd,
            withLabel(ended->serial, QStringLiteral("after %1: %2")
                                         .arg(DurationText(ended->durationMicros(now)), detail)));
    }
}

void Monitor::note(RackNote note) {
    if (note.kind != RackNote::RescanStarted) {
        log_.Write(note.slot, note.name, RackNoteToken(note.kind), note.detail);
    }
    for (const auto& observer : rackObservers_) {
        observer(note);
    }
}

void Monitor::logFailed(const QString& file, const QString& reason) {
    // Told from a timer of its own, once the handler that wrote the line is done, so that the
    // box never holds up the poll that raised the line.
    failureText_ = QStringLiteral("The event log cannot be written:\r\n%1\r\n%2\r\nAlerts still "
                                  "show on the meters and in the Alerts window, and monitoring "
                                  "goes on; the log catches up once the file can be written.")
                       .arg(file, reason);
    if (!tellTimer_) {
        tellTimer_ = timerFactory_.createTimer();
        tellTimer_->setInterval(kTellDelayMs);
        tellTimer_->setHandler([this] {
            tellTimer_->setEnabled(false);
            MessageBoxSpec box;
            box.text = failureText_;
            box.title = QStringLiteral("Event log");
            box.icon = MsgIcon::Exclamation;
            box.buttons = MsgButtons::OK;
            prompter_.ShowMessage(box);
        });
    }
    tellTimer_->setEnabled(!stopped_);
}

} // namespace k7
