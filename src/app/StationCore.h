// The station's core without windows, wired in one place: the device and rack tables, the link
// and identification, the six timers and the rack engine that alone drives them, the frequency
// checker, the file layer (the rack's file, the default files, the .frq reader and writer), the
// monitor (alerts, the event log, the history), the alarms and the controllers of the receiver
// control panel and the frequency file editor with its CSV and coordination commands. The Station
// builds one; so does every test rig and benchmark, so that what they run is wired as the program
// is. Its parts are its own: the others get each part by its one name, and the parts get from the
// builder exactly the ports they use.
#pragma once

#include "bands/CheckFrequency.h"
#include "control/ReceiverPanel.h"
#include "editor/EditorCoordination.h"
#include "editor/EditorCsv.h"
#include "editor/FrequencyEditor.h"
#include "files/DefaultFiles.h"
#include "files/FrqFile.h"
#include "files/RackFile.h"
#include "files/ReceiverLabels.h"
#include "link/DeviceTables.h"
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "monitor/Alarms.h"
#include "monitor/Monitor.h"
#include "platform/TimerBank.h"
#include "rack/RackEngine.h"
#include "rack/RackSettings.h"
#include "rack/RackTables.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace k7 {

class Clock;
class EventPump;
class FileChooser;
class Ftd2xx;
class Prompter;
class SettingsStore;
class TimerFactory;
class TonePort;

// What the core needs from outside: the platform's ports, the driver, and the two windows the
// rack drives (the start-up dialog's and the main window's controllers, or a test's doubles).
struct CorePorts {
    TimerFactory& timerFactory;
    EventPump& pump;
    Prompter& prompter;
    SettingsStore& settings;
    Ftd2xx& driver;
    StartupDialogPort& dialog;
    ShellPort& shell;
    const Clock& clock; // the time of the alerts and their holds
    // The editor's save dialog; none: every save dialog counts as cancelled.
    FileChooser* fileChooser = nullptr;
    // The alarms' tone; none: no sound in this run.
    TonePort* tones = nullptr;
};

struct CoreOptions {
    QString dataFolder; // "USB Files" itself
    // The local time of the event log's lines; empty: the system's.
    std::function<QDateTime()> wallClock;
    // What the engine reads the rack's file through; none: the core's RackFile. A test puts a
    // recorder of the engine's calls in between.
    RackFiles* engineFiles = nullptr;
};

class StationCore {
public:
    StationCore(const CorePorts& ports, const CoreOptions& options);
    StationCore(const StationCore&) = delete;
    StationCore& operator=(const StationCore&) = delete;

    // The meter display (the real panel, or a test's recording one), attached once it exists:
    // it is built over the core's tables, so it comes after the core.
    void AttachDisplay(MeterDisplay& display) { engine_.AttachDisplay(&display); }

    // Written by identification and the engine; a rig may set them up before the start.
    DeviceTables& devices() { return devices_; }
    const DeviceTables& devices() const { return devices_; }
    RackTables& rack() { return rack_; }
    // What the layers above the rack may change in the rack's tables.
    RackSettings& settings() { return settings_; }
    LinkModule& link() { return link_; }
    Identification& identification() { return identification_; }
    RackEngine& engine() { return engine_; }
    const RackEngine& engine() const { return engine_; }
    // Read only: only the engine starts and stops them.
    const TimerBank& timers() const { return timers_; }
    FrequencyChecker& checker() { return checker_; }
    const FrqFile& frq() const { return frq_; }
    const DefaultFiles& defaults() const { return defaults_; }
    RackFile& rackFile() { return rackFile_; }
    Monitor& monitor() { return monitor_; }
    // What the crew calls each receiver, by serial number.
    ReceiverLabels& labels() { return labels_; }
    const ReceiverLabels& labels() const { return labels_; }
    // The alerts of the "alarm" kinds until the operator acknowledges them.
    Alarms& alarms() { return alarms_; }
    ReceiverPanel& panel() { return panel_; }
    FrequencyEditor& editor() { return editor_; }
    EditorCsv& editorCsv() { return editorCsv_; }
    EditorCoordination& editorCoordination() { return editorCoordination_; }

private:
    DeviceTables devices_;
    RackTables rack_;
    TimerBank timers_;
    LinkModule link_;
    Identification identification_;
    RackSettings settings_{rack_};
    FrequencyChecker checker_;
    FrqFile frq_;
    DefaultFiles defaults_;
    ReceiverLabels labels_;
    // Alerts, rack events, the event log and the history; the operator's actions are logged
    // through monitor_.actions().
    Monitor monitor_;
    Alarms alarms_;
    RackFile rackFile_;
    RackEngine engine_;
    ReceiverPanel panel_;
    FrequencyEditor editor_;
    EditorCsv editorCsv_;
    EditorCoordination editorCoordination_;
};

} // namespace k7
