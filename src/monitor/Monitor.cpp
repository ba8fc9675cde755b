#include "Monitor.h"

#include "display/Scaling.h"
#include "link/DeviceTables.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "rack/RackTables.h"

#include <QStringList>

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
    }
    return {};
}

Monitor::Monitor(const Wiring& wiring)
    : rack_(wiring.rack), devices_(wiring.devices), clock_(wiring.clock),
      timerFactory_(wiring.timerFactory), prompter_(wiring.prompter), wallClock_(wiring.wallClock),
      log_(wiring.dataFolder + QStringLiteral("/Logs"), wallClock_), watch_(wiring.rack, *this),
      export_(HistoryExport::Wiring{history_, [this] { return receivers(); },
                                    [this](int slot) { return nameOf(slot); },
                                    [this] { return WallOrigin(); }, wiring.timerFactory, log_,
                                    wiring.dataFolder}) {
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
    if (activity != RackActivity::Monitoring || monitoringSeen_ || stopped_) {
        return;
    }
    monitoringSeen_ = true;
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
    changed.detail = QStringLiteral("%1 USB devices attached where the rack has %2; monitoring "
                                    "ends")
                         .arg(attached)
                         .arg(expected);
    note(std::move(changed));
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
    const QString name = nameOf(slot);
    if (alerts_.Start(kind, slot, name, sinceMicros, clock_.nowMicros(), wallClock_(), detail)) {
        history_.MarkStarted(slot, kind, sinceMicros);
        log_.Write(slot, name, AlertToken(kind) + kStart, detail);
    }
}

void Monitor::Clear(AlertKind kind, int slot, const QString& detail) {
    const std::int64_t now = clock_.nowMicros();
    if (const Alert* ended = alerts_.End(kind, slot, now, wallClock_(), detail)) {
        history_.MarkEnded(slot, kind, now);
        log_.Write(
            slot, nameOf(slot), AlertToken(kind) + kEnd,
            QStringLiteral("after %1: %2").arg(DurationText(ended->durationMicros(now)), detail));
    }
}

void Monitor::note(RackNote note) {
    log_.Write(0, {}, RackNoteToken(note.kind), note.detail);
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
