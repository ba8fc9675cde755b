// A whole station without windows over a simulated rack on the manual clock, with a scripted
// prompter, settings in a temporary folder and a trace of its own.
#pragma once

#include "app/Station.h"
#include "app/Trace.h"
#include "link/WireLog.h"
#include "platform/SettingsStore.h"
#include "sim/Scenario.h"
#include "sim/SimulatedRack.h"
#include "support/ManualClock.h"
#include "support/RackDoubles.h"
#include "support/RecordingTonePort.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace k7::test {

// Scenario of n receivers whose serial numbers start with the given two characters.
inline sim::Scenario RackOf(int n, const char* serialStart = "5K") {
    sim::Scenario scenario = sim::Scenario::simulated(n);
    for (auto& receiver : scenario.receivers) {
        receiver.serial.replace(0, 2, QLatin1String(serialStart));
    }
    return scenario;
}

// Watches the station's end only: the rig has no windows.
class StopRecorder final : public StationView {
public:
    explicit StopRecorder(std::vector<int>& codes) : codes_(codes) {}
    void Stopped(int exitCode) override { codes_.push_back(exitCode); }

private:
    std::vector<int>& codes_;
};

struct StationRig {
    // wireLog: a file to which every driver call is logged (none when empty).
    explicit StationRig(const sim::Scenario& scenario, const QString& lockFolder = {},
                        const QString& wireLog = {})
        : simRack(scenario, clock), wire(simRack, clock),
          settings(dir.filePath(QStringLiteral("settings.conf"))), trace(clock) {
        trace.open(dir.filePath(QStringLiteral("trace.jsonl")));
        if (!wireLog.isEmpty()) {
            wire.open(wireLog);
        }
        station = std::make_unique<Station>(
            StationPorts{clock, clock, clock, prompter, chooser, settings, wire, trace, &tones},
            StationOptions{dir.filePath(QStringLiteral("app")),
                           lockFolder.isEmpty() ? dir.filePath(QStringLiteral("run")) : lockFolder,
                           std::nullopt, std::nullopt});
        station->core().AttachDisplay(display);
        station->SetView(&view);
    }

    bool Monitoring() const {
        return station->core().engine().Activity() == RackActivity::Monitoring &&
               station->core().timers().enabled(PollTimer);
    }
    bool RunToMonitoring(double limitMs = 60000) {
        return clock.runUntil([this] { return Monitoring(); }, limitMs);
    }
    bool Polling() const { return test::Polling(station->core().timers()); }
    QString Setting(const QString& section, const QString& key) {
        return settings.GetSetting(section, key, QStringLiteral("<missing>"));
    }
    std::vector<QJsonObject> TraceLines() {
        QFile file(dir.filePath(QStringLiteral("trace.jsonl")));
        file.open(QIODevice::ReadOnly);
        std::vector<QJsonObject> lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                lines.push_back(QJsonDocument::fromJson(line).object());
            }
        }
        return lines;
    }
    // The trace's lines of one event ("rescan", "status" ...).
    std::vector<QJsonObject> Traced(const QString& event) {
        std::vector<QJsonObject> lines = TraceLines();
        std::erase_if(lines, [&](const QJsonObject& line) { return line["event"] != event; });
        return lines;
    }
    // The texts of the trace's lines of one event.
    QStringList TracedTexts(const QString& event) {
        QStringList texts;
        for (const QJsonObject& line : Traced(event)) {
            texts << line["text"].toString();
        }
        return texts;
    }
    // The file as the editor's reader gives it; a count of -1 when it cannot be read.
    EditorDocument ReadEditorFile(const QString& name) {
        const FrqLoad load = station->core().frq().ReadEditorFile(name, {});
        EditorDocument document = FrqFile::EditorDocumentOf(load, {});
        if (!load.ok()) {
            document.EntryCount = -1;
        }
        return document;
    }
    bool AnyDeviceOpen() const {
        for (int i = 0; i < simRack.receiverCount(); ++i) {
            if (simRack.isOpen(i)) {
                return true;
            }
        }
        return false;
    }

    QTemporaryDir dir;
    ManualClock clock;
    sim::SimulatedRack simRack;
    WireLog wire; // passes every call on; logs them when opened
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    QtSettingsStore settings;
    RecordingMeterDisplay display;
    Trace trace;
    RecordingTonePort tones; // a sound output until a test says there is none
    std::vector<int> stoppedWith;
    StopRecorder view{stoppedWith};
    std::unique_ptr<Station> station;
};

} // namespace k7::test
