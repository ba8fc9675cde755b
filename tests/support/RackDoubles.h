// Test doubles for the interfaces the rack engine calls upward: a meter display and a shell
// that record their calls, a start-up dialog that keeps its state, and an observer that records
// what the rack tells; and what "polled" means to a test.
#pragma once

#include "platform/TimerBank.h"
#include "rack/RackEngine.h"
#include "rack/RackEvents.h"
#include "rack/RackPorts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace k7::test {

// The rack is polled: the poll, watchdog and answer-rate timers all run.
inline bool Polling(const TimerBank& timers) {
    return timers.enabled(PollTimer) && timers.enabled(WatchdogTimer) &&
           timers.enabled(AnswerRateTimer);
}

class RecordingMeterDisplay final : public MeterDisplay {
public:
    void Display8VU(int receiver, int position) override { draw("8", receiver, position); }
    void Display16VU(int receiver, int position) override { draw("16", receiver, position); }
    void Display24VU(int receiver, int position) override { draw("24", receiver, position); }
    void Display40VU(int receiver, int position) override { draw("40", receiver, position); }
    void ResetPeaks() override { calls << QStringLiteral("ResetPeaks"); }
    void PrepareCells8() override { calls << QStringLiteral("PrepareCells8"); }
    void PrepareCells16() override { calls << QStringLiteral("PrepareCells16"); }
    void PrepareCells24() override { calls << QStringLiteral("PrepareCells24"); }
    void PrepareCells40() override { calls << QStringLiteral("PrepareCells40"); }
    void ClearPanel() override { calls << QStringLiteral("ClearPanel"); }
    void ShowPanel() override { calls << QStringLiteral("ShowPanel"); }

    // Calls other than the cell redraws, in order; redraws are counted apart.
    QStringList calls;
    QStringList draws; // "16:11,3"

private:
    void draw(const char* layout, int receiver, int position) {
        draws << QStringLiteral("%1:%2,%3").arg(QLatin1String(layout)).arg(receiver).arg(position);
    }
};

class RecordingStartupDialog final : public StartupDialogPort {
public:
    enum class Form { Hidden, Progress, Query, CloseCountdown };

    void SetActivity(const QString& text) override { activity = text; }
    void SetReceiverNumber(const QString& text) override {
        receiverNumber = text;
        numbers << text;
    }
    QString ReceiverNumber() const override { return receiverNumber; }
    void SetProgress(int value) override { progress = value; }
    void ShowProgress() override { form = Form::Progress; }
    void ShowQuery() override { form = Form::Query; }
    void ShowCloseCountdown() override { form = Form::CloseCountdown; }
    void HideDialog() override { form = Form::Hidden; }
    bool IsDialogVisible() const override { return form != Form::Hidden; }

    Form form = Form::Progress;
    QString activity = QStringLiteral("Checking Rx:");
    QString receiverNumber = QStringLiteral("1");
    QStringList numbers;
    int progress = 0;
};

class RecordingShell final : public ShellPort {
public:
    void ShowTitleSuffix(const QString& suffix) override { titles << suffix; }
    void FocusMeterPanel() override { ++focusCount; }
    QStringList titles;
    int focusCount = 0;
};

// Every event of the rack's observer port, in order ("meter 3,3", "settings 2", "blanked 4",
// "activity 3", "devices 5/6"); settings answers also by slot.
class RecordingRackEvents final : public RackEvents {
public:
    void MeterAnswered(int slot, int position) override {
        events << QStringLiteral("meter %1,%2").arg(slot).arg(position);
    }
    void SettingsAnswered(int slot) override {
        answeredSlots << slot;
        events << QStringLiteral("settings %1").arg(slot);
    }
    void ReceiverBlanked(int slot) override { events << QStringLiteral("blanked %1").arg(slot); }
    void ActivityChanged(RackActivity activity) override {
        activities.push_back(activity);
        events << QStringLiteral("activity %1").arg(static_cast<int>(activity));
    }
    void DeviceCountChanged(int attached, int expected) override {
        events << QStringLiteral("devices %1/%2").arg(attached).arg(expected);
    }

    QStringList events;
    QList<int> answeredSlots;
    std::vector<RackActivity> activities;
};

} // namespace k7::test
