// Test doubles for the interfaces the rack engine calls upward: a meter display and a shell
// that record their calls, a start-up dialog that keeps its state, a file layer that starts
// passes the way the real one does, and a band guard with a list of refused frequencies.
#pragma once

#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/RackPorts.h"
#include "rack/RackTables.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace k7::test {

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

class RecordingPanel final : public ReceiverPanelPort {
public:
    void SettingsAnswered(int slot) override { answeredSlots << slot; }
    QList<int> answeredSlots;
};

// Loads nothing from disk: the "file" is the table given in loaded, under the name fileName.
class FakeRackFiles final : public RackFiles {
public:
    FakeRackFiles(RackTables& rack, FileState& files, const int& deviceCount, TimerBank& timers)
        : rack_(rack), files_(files), deviceCount_(deviceCount), timers_(timers) {}

    QString LoadRackFile(const QString& name) override {
        calls << QStringLiteral("LoadRackFile:") + name;
        if (!loadResult.isNull()) {
            return loadResult;
        }
        files_.LoadData = loaded;
        return name;
    }
    void CopyLoadToCurrent() override {
        calls << QStringLiteral("CopyLoadToCurrent");
        for (int s = 1; s <= kMaxSlots; ++s) {
            rack_.CurData[s] = files_.LoadData[s];
        }
    }
    bool RackDiffers() override {
        calls << QStringLiteral("RackDiffers");
        for (int s = 1; s <= deviceCount_; ++s) {
            const SettingsRow& a = rack_.RxData[s];
            const SettingsRow& b = rack_.CurData[s];
            if (a.Name != b.Name.leftJustified(6, QLatin1Char(' '), true) ||
                a.Frequency != b.Frequency || a.BandType != b.BandType) {
                return true;
            }
        }
        return false;
    }
    void AcceptLoadedFile() override {
        calls << QStringLiteral("AcceptLoadedFile");
        CopyLoadToCurrent();
        rack_.PassStart = true;
        rack_.PollMode = PollMetering;
        rack_.ProgramRack = true;
        rack_.ChangedOnly = true;
        timers_.setEnabled(3, true);
    }
    void CurrentFromRack() override {
        calls << QStringLiteral("CurrentFromRack");
        for (int s = 1; s <= deviceCount_; ++s) {
            rack_.CurData[s] = rack_.RxData[s];
        }
        rack_.PassStart = true;
        rack_.ProgramRack = false;
        timers_.setEnabled(3, true);
    }
    bool WriteRackSnapshot() override {
        calls << QStringLiteral("WriteRackSnapshot");
        return snapshotWrites;
    }

    QStringList calls;
    QString loadResult; // null: the load succeeds with loaded
    SettingsTable loaded;
    bool snapshotWrites = true;

private:
    RackTables& rack_;
    FileState& files_;
    const int& deviceCount_;
    TimerBank& timers_;
};

class ListGuard final : public FrequencyGuard {
public:
    bool FrequencyFitsSlot(const QString& frequency, int slot) const override {
        return !refused.contains(frequency) && !refusedSlots.contains(slot);
    }
    QSet<QString> refused;
    QSet<int> refusedSlots;
};

} // namespace k7::test
