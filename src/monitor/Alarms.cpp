#include "Alarms.h"

#include "AlertWatch.h"
#include "platform/ActionLog.h"
#include "platform/Clock.h"
#include "platform/Timer.h"
#include "platform/TonePort.h"

#include <algorithm>

namespace k7 {

Alarms::Alarms(const Wiring& wiring)
    : alerts_(wiring.alerts), log_(wiring.log), clock_(wiring.clock), tones_(wiring.tones),
      settings_(ReadAlarmSettings(wiring.settings)), flash_(wiring.timerFactory.createTimer()),
      repeat_(wiring.timerFactory.createTimer()), silence_(wiring.timerFactory.createTimer()) {
    flash_->setInterval(kFlashMs);
    flash_->setHandler([this] {
        flashOn_ = !flashOn_;
        const std::vector<AlarmEvents*> observers = observers_;
        for (AlarmEvents* observer : observers) {
            observer->AlarmsFlashed();
        }
    });
    repeat_->setInterval(kToneRepeatMs);
    repeat_->setHandler([this] { tone(); });
    silence_->setInterval(kSilenceMs);
    silence_->setHandler([this] {
        silence_->setEnabled(false);
        silenced_ = false;
        log_.Action(0, {}, QStringLiteral("alarm silence over"),
                    QStringLiteral("%1 alarms unacknowledged").arg(alarms_.size()));
        if (!alarms_.empty() && !stopped_) {
            tone();
        }
        updateTimers();
    });
    alerts_.AddLateObserver(*this);
}

Alarms::~Alarms() {
    alerts_.RemoveObserver(*this);
}

void Alarms::AddObserver(AlarmEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void Alarms::RemoveObserver(AlarmEvents& observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer),
                     observers_.end());
}

bool Alarms::IsAlarmed(int slot) const {
    return std::any_of(alarms_.begin(), alarms_.end(),
                       [slot](const Alarm& alarm) { return alarm.slot == slot; });
}

bool Alarms::IsAlarm(std::uint64_t alertId) const {
    return std::any_of(alarms_.begin(), alarms_.end(),
                       [alertId](const Alarm& alarm) { return alarm.alertId == alertId; });
}

CellMark Alarms::MarkOf(int slot) const {
    const CellAlerts cell = alerts_.CellOf(slot, settings_.Marked());
    CellMark mark;
    if (cell.active) {
        mark.kind = cell.active;
    } else if (cell.ended) {
        mark.kind = cell.ended;
        mark.dashed = true;
    }
    mark.flashing = mark.kind && IsAlarmed(slot);
    mark.drawn = mark.kind && (!mark.flashing || flashOn_);
    return mark;
}

QString Alarms::BannerText() const {
    if (alarms_.empty()) {
        return {};
    }
    const Alarm& newest = alarms_.back();
    QString text = QStringLiteral("%1: %2 (slot %3)")
                       .arg(AlertCaption(newest.kind), newest.name)
                       .arg(newest.slot);
    if (const std::size_t more = alarms_.size() - 1; more > 0) {
        text += more == 1 ? QStringLiteral(" and 1 more alarm")
                          : QStringLiteral(" and %1 more alarms").arg(more);
    }
    return text;
}

bool Alarms::AudioDevice() const {
    return tones_ && tones_->HasDevice();
}

void Alarms::AlertStarted(const Alert& alert) {
    if (stopped_ || settings_.of(alert.kind) != AlarmLevel::Alarm) {
        return;
    }
    Alarm alarm;
    alarm.alertId = alert.id;
    alarm.kind = alert.kind;
    alarm.slot = alert.slot;
    alarm.name = alert.name;
    alarm.raisedMicros = clock_.nowMicros();
    alarms_.push_back(alarm);
    log_.Action(alarm.slot, alarm.name, QStringLiteral("alarm raised"), AlertCaption(alarm.kind));
    tell(AlarmNote{AlarmNote::Raised, alarm, static_cast<int>(alarms_.size()), false, 0});
    if (!silenced_) {
        // The repeat counts from the newest alarm's tone: no second tone a moment after it.
        repeat_->setEnabled(false);
        tone();
    }
    updateTimers();
}

void Alarms::AlertEnded(const Alert& alert) {
    for (Alarm& alarm : alarms_) {
        if (alarm.alertId == alert.id) {
            alarm.alertEnded = true;
        }
    }
}

void Alarms::AlertsAcknowledged() {
    // The operator took the ended alerts' marks off: their alarms are seen as well.
    for (std::size_t i = alarms_.size(); i-- > 0;) {
        if (alarms_[i].alertEnded) {
            acknowledge(i);
        }
    }
}

void Alarms::AlertsTrimmed() {
    // A rescan may have moved the receivers: each alarm takes its alert's slot.
    for (Alarm& alarm : alarms_) {
        for (std::size_t i = alerts_.size(); i-- > 0;) {
            if (alerts_.at(i).id == alarm.alertId) {
                alarm.slot = alerts_.at(i).slot;
                break;
            }
        }
    }
}

void Alarms::Acknowledge(std::uint64_t alertId) {
    const auto it = std::find_if(alarms_.begin(), alarms_.end(), [alertId](const Alarm& alarm) {
        return alarm.alertId == alertId;
    });
    if (it != alarms_.end()) {
        acknowledge(static_cast<std::size_t>(it - alarms_.begin()));
    }
}

void Alarms::AcknowledgeNewest() {
    if (!alarms_.empty()) {
        acknowledge(alarms_.size() - 1);
    }
}

void Alarms::AcknowledgeAll() {
    while (!alarms_.empty()) {
        acknowledge(alarms_.size() - 1);
    }
}

void Alarms::acknowledge(std::size_t index) {
    const Alarm alarm = alarms_[index];
    alarms_.erase(alarms_.begin() + static_cast<std::ptrdiff_t>(index));
    log_.Action(
        alarm.slot, alarm.name, QStringLiteral("alarm acknowledged"),
        QStringLiteral("%1, after %2")
            .arg(AlertCaption(alarm.kind), DurationText(clock_.nowMicros() - alarm.raisedMicros)));
    updateTimers();
    tell(AlarmNote{AlarmNote::Acknowledged, alarm, static_cast<int>(alarms_.size()), false, 0});
}

void Alarms::Silence() {
    if (stopped_) {
        return;
    }
    silenced_ = true;
    // Pressed again, the silence lasts 5 minutes from now.
    silence_->setEnabled(false);
    silence_->setEnabled(true);
    log_.Action(
        0, {}, QStringLiteral("alarms silenced"),
        QStringLiteral("every tone muted for 5 min; %1 alarms unacknowledged").arg(alarms_.size()));
    updateTimers();
    AlarmNote note;
    note.change = AlarmNote::Silenced;
    note.unacknowledged = static_cast<int>(alarms_.size());
    note.silenceMs = kSilenceMs;
    tell(note);
}

void Alarms::Stop() {
    stopped_ = true;
    silence_->setEnabled(false);
    updateTimers();
}

void Alarms::tone() {
    AlarmNote note;
    note.change = AlarmNote::Tone;
    note.unacknowledged = static_cast<int>(alarms_.size());
    note.audible = AudioDevice();
    if (note.audible) {
        tones_->PlayTone();
    }
    tell(note);
}

void Alarms::updateTimers() {
    const bool any = !alarms_.empty() && !stopped_;
    if (any != flash_->enabled()) {
        flashOn_ = true; // a new flashing starts lit
        flash_->setEnabled(any);
    }
    repeat_->setEnabled(any && !silenced_);
}

void Alarms::tell(const AlarmNote& note) {
    const std::vector<AlarmEvents*> observers = observers_;
    for (AlarmEvents* observer : observers) {
        observer->AlarmChanged(note);
    }
}

} // namespace k7
