// The station's core without windows, wired in one place: the device and rack tables, the rack's
// file state and the editor's document, the link and identification, the six timers, the rack
// engine, the frequency checker, the file layer, the monitor (alerts and the event log) and the
// controllers of the receiver control panel and the frequency file editor. The Station builds
// one; so does every test rig, fuzz rig and benchmark, so that what they run is wired as the
// program is.
#pragma once

#include "bands/CheckFrequency.h"
#include "control/ReceiverPanel.h"
#include "editor/FrequencyEditor.h"
#include "files/DefaultFiles.h"
#include "files/EditorDocument.h"
#include "files/FrqFile.h"
#include "link/DeviceTables.h"
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "monitor/Monitor.h"
#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/RackEngine.h"
#include "rack/RackSettings.h"
#include "rack/RackTables.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace k7 {

class Clock;
class EventPump;
class FileChooser;
class Ftd2xx;
class Prompter;
class SettingsStore;
class TimerFactory;

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
};

struct CoreOptions {
    QString dataFolder; // "USB Files" itself
    // Makes the file layer; empty: DefaultFiles. A test stands in one that records its calls.
    std::function<std::unique_ptr<DefaultFiles>(const DefaultFiles::Wiring&)> makeFiles;
    // The local time of the event log's lines; empty: the system's.
    std::function<QDateTime()> wallClock;
};

class StationCore {
public:
    StationCore(const CorePorts& ports, const CoreOptions& options);
    StationCore(const StationCore&) = delete;
    StationCore& operator=(const StationCore&) = delete;

    // The meter display (the real panel, or a test's recording one), attached once it exists:
    // it is built over the core's tables, so it comes after the core.
    void AttachDisplay(MeterDisplay& display) { engine.AttachDisplay(&display); }

    // Owned tables: written by identification, the engine and (through RackSettings) the
    // layers above; a rig may set them up directly.
    DeviceTables devices;
    RackTables rack;
    FileState files;
    // The frequency file editor's document, apart from the rack's file.
    EditorDocument editor;
    TimerBank timers;
    LinkModule link;
    Identification identification;
    RackSettings settings{rack};
    FrequencyChecker checker;
    FrqFile frq;
    std::unique_ptr<DefaultFiles> defaults;
    RackEngine engine;
    // Alerts, rack events and the event log; the operator's actions are logged through
    // monitor.actions().
    Monitor monitor;
    ReceiverPanel panel;
    // The frequency file editor's controller over the editor's document.
    FrequencyEditor frequencyEditor;
};

} // namespace k7
