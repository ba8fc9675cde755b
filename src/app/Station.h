// The station: one plain object, made before any window, that owns the core (StationCore: the
// rack's tables, the link, the timers, the rack engine, the file layer and the control panel's
// controller) and the controllers of the windows, and runs the start-up sequence (each step a
// named operation), the exit request and the orderly stop.
#pragma once

#include "FileCommands.h"
#include "LabelCommands.h"
#include "MainWindowController.h"
#include "PanelWindowSetting.h"
#include "RackCoordination.h"
#include "ShowSheetCommand.h"
#include "StartupDialogController.h"
#include "StartupRules.h"
#include "StationCore.h"
#include "crew/CrewView.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace k7 {

class Clock;
class EventPump;
class FileChooser;
class Ftd2xx;
class Prompter;
class SettingsStore;
class SingleInstance;
class Trace;
class TonePort;

struct StationPorts {
    Clock& clock;
    TimerFactory& timerFactory;
    EventPump& pump;
    Prompter& prompter;
    FileChooser& fileChooser;
    SettingsStore& settings;
    Ftd2xx& driver;
    Trace& trace;
    // The alarms' tone; none: no sound in this run (and nothing said about it).
    TonePort* tones;
};

struct StationOptions {
    QString applicationFolder; // holds the data folder "USB Files"
    QString lockFolder;        // empty: the per-user runtime folder
    // --arrangement: the meter cells' arrangement for this run, over the one chosen last.
    std::optional<PanelArrangement> arrangement = std::nullopt;
    // Serve the crew view on this endpoint for the run (the command line); none: as the
    // settings say.
    std::optional<CrewEndpoint> crewView;
};

// What the windows do at the station's named moments (StationWindows, in k7_app_ui). The
// station runs without them in tests: then nothing is drawn or shown, and a test's view may
// take only the moments it watches.
class StationView {
public:
    virtual ~StationView() = default;
    virtual void InitGraphics() {}
    virtual void BuildScaling() {}
    virtual void CloseGraphics() {}
    // The rack's sizes and the window to start with (the remembered one, or the rack's own);
    // then to the screen's corner.
    virtual void SizeWindow(const RackWindowSize& /*size*/, const WindowPlacement& /*start*/) {}
    // The window as the operator leaves it, remembered at the orderly stop; none: nothing is.
    virtual std::optional<WindowPlacement> WindowLeft() const { return std::nullopt; }
    virtual void ArrangePanel(PanelArrangement /*arrangement*/) {}
    // A rescan found a rack of another size: the meter panel takes the new size in the window
    // as it stands.
    virtual void ResizePanel(const RackWindowSize& /*size*/) {}
    virtual void ShowMainWindow() {}
    virtual void ShowAbout() {}
    virtual void ShowAlerts() {}
    // The History window on the slot's receiver, or (0) on the one it showed last.
    virtual void ShowHistory(int /*slot*/) {}
    virtual void OpenHistoryExport() {}
    // Coordinate rack...: the dialog over the receivers in use, then the set programmed.
    virtual void CoordinateRack() {}
    virtual void ShowCrewView() {}
    virtual void ShowLabels() {}
    virtual void Stopped(int /*exitCode*/) {} // the program ends with this code
};

class Station final : private StartupDialogActions,
                      private MainWindowActions,
                      private AlertEvents,
                      private AlarmEvents {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitRefused = 2;

    Station(const StationPorts& ports, const StationOptions& options);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // The windows (or a test's view); none: the station runs without windows.
    void SetView(StationView* view) { view_ = view ? view : &noView_; }

    // The whole start-up sequence. False when start-up refused to run (the program ends with
    // kExitRefused; nothing is left open).
    bool Start();

    // The File menu's commands on frequency files (and the rack's coordination) run only while
    // this holds: the rack meters (no discovery, question or pass) and no exit or close dialog
    // is up.
    bool FileCommandsAvailable() const;
    static QString MeterPausedText() {
        return QStringLiteral("Metering paused while the editor is open");
    }

    // The exit request (Escape, File > Exit, the close box): polling pauses and the dialog
    // asks. "Continue" resumes what the request interrupted.
    void RequestExit(ExitSource source);
    void ContinueAfterExitRequest();
    // "Close now" as the operator (or an unattended run's end) presses it.
    void CloseNow() { dialog_.PressCloseNow(); }
    bool Stopped() const { return stopped_; }
    int ExitCode() const { return exitCode_; }

    // mnuLoad: toggles the choice and saves it at once.
    void ToggleLoadLastFile();
    // "Rescan after a USB change": toggles the setting and saves it at once.
    void ToggleRescanAfterUsbChange();
    static QString SettlingText() {
        return QStringLiteral("USB change: waiting for the devices to settle");
    }
    // "Rescan" in the closing form, or the devices settled after a USB change: every device
    // closed and the rack found again as at start; monitoring resumes with the receivers' own
    // settings. A rack it cannot monitor is told and goes to the close countdown.
    void Rescan();

    // The core: tables, link, timers, engine, files, monitor and the controllers. The meter
    // display attaches to it (core().AttachDisplay) before Start().
    StationCore& core() { return core_; }
    const StationPorts& ports() const { return ports_; }
    CrewView& crewView() { return crew_; }
    StartupDialogController& dialog() { return dialog_; }
    MainWindowController& window() { return window_; }
    RackCoordination& rackCoordination() { return rackCoordination_; }
    // File > "Print show sheet...". Labels and groups come from the
    // receivers' label store.
    ShowSheetCommand& showSheet() { return showSheet_; }
    // The receivers' labels: the Labels window's rows, CSV import and export.
    LabelCommands& labelCommands() { return labelCommands_; }
    const RackWindowSize& windowSize() const { return windowSize_; }

private:
    // The start-up steps, in their order.
    bool CheckSingleInstance();
    void LoadStartupDialog();
    // ConnectUSB and its result: false (after the operator was told) when there is no device,
    // a device outside the family, or more devices than the station can hold.
    bool ConnectDevices();
    void PrepareForModel();
    void SizeWindow();
    void ShowStartupProgress();
    void CreateTimers();
    void FillReceiverCount();
    void ReadDecimalSeparator();
    void InitialiseRack();
    void PrepareDataFolder();
    void FinishRackSetup();
    void ShowMainWindow();
    void LoadEditor();
    void StartDiscovery();
    // The crew view served for the run, or as the operator left it.
    void StartCrewView();

    // The orderly stop; ends with the Stopped hook (exit code 0). Asked for inside a timer's
    // handler, everything stops at once and the rest follows when the handler returns.
    void CloseApplication();

    // StartupDialogActions
    void QueryAnswered(bool loadLastFile) override;
    void ContinuePressed() override { ContinueAfterExitRequest(); }
    void CloseNowPressed() override;
    void RescanPressed() override { Rescan(); }
    // MainWindowActions
    void ExitRequested(ExitSource source) override { RequestExit(source); }
    void LoadLastFileToggled() override { ToggleLoadLastFile(); }
    void RescanSettingToggled() override { ToggleRescanAfterUsbChange(); }
    void FileCommandChosen(FileCommand command) override;
    void WindowCommandChosen(WindowCommand command) override;
    void AboutChosen() override;
    // Kept for the rack's size at once, and the panel arranged.
    void ArrangementChosen(PanelArrangement arrangement) override;
    void AcknowledgeAlarmChosen() override { core_.alarms().AcknowledgeNewest(); }
    void arrangePanel(PanelArrangement arrangement);
    // AlertEvents: into the trace, and the count in the Alerts menu
    void AlertStarted(const Alert& alert) override;
    void AlertEnded(const Alert& alert) override;
    void AlertsAcknowledged() override { countAlerts(); }
    void AlertsTrimmed() override;
    void countAlerts();
    // AlarmEvents: into the trace, and the banner
    void AlarmChanged(const AlarmNote& note) override;
    // Said once at the start of a run whose tone port finds no sound output.
    void TellNoAudioDevice();

    // The orderly stop, outside any timer handler.
    void stop();
    // The File commands' availability and the meter panel's notice follow the rack, the exit
    // request and the editor.
    void updateFileCommands();
    void updateMeterNotice();
    void watchEditorAndPanel();

    // Tells the station when the rack's activity changes, and when the devices have settled
    // after a USB change.
    class ActivityWatch final : public RackEvents {
    public:
        ActivityWatch(std::function<void()> changed, std::function<void()> settled)
            : changed_(std::move(changed)), settled_(std::move(settled)) {}
        void ActivityChanged(RackActivity) override { changed_(); }
        void DevicesSettled() override { settled_(); }

    private:
        std::function<void()> changed_;
        std::function<void()> settled_;
    };
    void refuse();
    // The refusal's message of a ConnectUSB result, or none when the devices can be used.
    static QString RefusalText(int connectResult);
    void tell(const QString& text, MsgIcon icon, const QString& title = {});

    StationPorts ports_;
    StationOptions options_;
    StationView noView_;
    StationView* view_ = &noView_;
    std::unique_ptr<SingleInstance> instance_;

    StartupDialogController dialog_;
    MainWindowController window_;
    StationCore core_;
    FileCommands fileCommands_;
    RackCoordination rackCoordination_;
    ShowSheetCommand showSheet_;
    LabelCommands labelCommands_;
    ActivityWatch activityWatch_{
        [this] {
            updateFileCommands();
            updateMeterNotice();
        },
        // The rescan runs once the watchdog's handler has returned.
        [this] { core_.engine().WhenHandlerReturns([this] { Rescan(); }); }};
    CrewView crew_;

    RackWindowSize windowSize_{kMeterPanelDesignSize, kMeterPanelDesignSize};
    bool started_ = false;
    bool exitPending_ = false;
    bool stopping_ = false;
    bool stopped_ = false;
    int exitCode_ = kExitOk;
};

} // namespace k7
