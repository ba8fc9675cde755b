// The station's receiver control panel over a live simulated rack on the manual clock: three
// K7.5 receivers of band 36 found, identified and metered by the real rack engine, and a
// frequency file in force. Frames are read back at the simulated receivers.
#pragma once

#include "control/BackupFrequencies.h"
#include "support/RackHarness.h"

#include <QDir>
#include <QFile>

#include <vector>

namespace k7::test {

// Backups as the rack's coordination keeps them: two for slot 1, none for the others; the check
// finds 612.400 clean and names the slot it was asked about; the ones used are recorded.
class RecordingBackups final : public BackupFrequencies {
public:
    QStringList BackupsFor(int slot) const override {
        return slot == 1 ? QStringList{"612.400", "630.125"} : QStringList{};
    }
    BackupCheck CheckBackup(int slot, const QString& frequency) const override {
        return {frequency == "612.400", QStringLiteral("slot %1: %2").arg(slot).arg(frequency)};
    }
    void BackupUsed(const QString& frequency) override { used << frequency; }
    QStringList used;
};

struct PanelRig {
    static constexpr int kReceivers = 3; // polled every 17 ms, apart from the 12 ms of a drag

    struct Frame {
        std::vector<std::uint8_t> bytes;
        double ms;
    };

    static sim::Scenario Rack() {
        sim::Scenario scenario = sim::Scenario::simulated(kReceivers);
        for (int i = 0; i < kReceivers; ++i) {
            sim::ReceiverSetup& rx = scenario.receivers[static_cast<std::size_t>(i)];
            rx.name = {'V', 'O', 'C', 'A', 'L', static_cast<char>('1' + i)};
            rx.frequency = {61, 20, 0};
            rx.mute = 5;
            rx.muteHighBit = true;
            rx.bandType = 0;
        }
        return scenario;
    }

    PanelRig() {
        started = harness.Start() == kReceivers && harness.RunToMonitoring(10000);
        // The receivers' own settings, count 3 and global mute 4, as the file in force.
        harness.UseFile(QStringLiteral("Show.frq"), FrqDocument{kReceivers, 4, rack.CurData});
    }

    bool monitoring() const { return harness.Monitoring(); }
    sim::SimulatedReceiver& receiver(int slot) { return harness.receiver(slot - 1); }
    // The settings frames ("M", "m", "I") a slot's receiver took, in order.
    std::vector<Frame> frames(int slot) {
        std::vector<Frame> out;
        for (const sim::ReceivedFrame& f : receiver(slot).frames()) {
            if (f.accepted && (f.command == 'M' || f.command == 'm' || f.command == 'I')) {
                out.push_back({f.bytes, static_cast<double>(f.atMicros) / 1000.0});
            }
        }
        return out;
    }
    // Frames some receiver recorded and refused (a bad checksum, field or framing).
    int refusedFrames() {
        int n = 0;
        for (int s = 1; s <= kReceivers; ++s) {
            for (const sim::ReceivedFrame& f : receiver(s).frames()) {
                n += f.accepted ? 0 : 1;
            }
        }
        return n;
    }
    std::size_t settingsFrames() {
        std::size_t n = 0;
        for (int s = 1; s <= kReceivers; ++s) {
            n += frames(s).size();
        }
        return n;
    }
    bool polling() const { return Polling(timers); }
    QString filePath() const { return QDir(harness.dataFolder()).filePath(files.CurrentFile()); }
    QByteArray fileBytes() const {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Types text into a box through the panel's key rules, as the window does.
    void type(bool name, const QString& text) {
        for (QChar c : text) {
            const auto result = name ? panel.NameKeyPress(c) : panel.FreqKeyPress(c);
            if (!result || c == QChar('\r')) {
                continue;
            }
            QString box = name ? panel.txtName() : panel.txtFreq();
            if (*result == QChar('\b')) {
                box.chop(1);
            } else {
                box += *result;
            }
            name ? panel.NameEdited(box) : panel.FreqEdited(box);
        }
    }

    RackHarness harness{Rack()};
    ManualClock& clock = harness.clock;
    DeviceTables& devices = harness.devices;
    RackTables& rack = harness.rack;
    RackFile& files = harness.files;
    const TimerBank& timers = harness.timers;
    ScriptedPrompter& prompter = harness.prompter;
    RackEngine& engine = harness.engine;
    ReceiverPanel& panel = harness.core.panel();
    bool started = false;
};

} // namespace k7::test
