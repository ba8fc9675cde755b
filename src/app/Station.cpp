// The station's construction and its start-up sequence.
#include "Station.h"

#include "AppPaths.h"
#include "LoadFileSetting.h"
#include "SingleInstance.h"
#include "Trace.h"
#include "Version.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QJsonValue>
#include <QLocale>

namespace k7 {
namespace {

const QString kHardwareTitle = QStringLiteral("USB hardware detection");

} // namespace

Station::Station(const StationPorts& ports, const StationOptions& options)
    : ports_(ports), options_(options), dialog_(ports.timerFactory, *this), window_(*this),
      core_(CorePorts{ports.timerFactory, ports.pump, ports.prompter, ports.settings, ports.driver,
                      dialog_, window_, ports.clock, &ports.fileChooser},
            CoreOptions{DataFolder(options.applicationFolder), {}, {}}),
      fileCommands_(FileCommands::Wiring{core_, window_, ports.settings, ports.prompter,
                                         ports.fileChooser,
                                         [this] { return FileCommandsAvailable(); }}),
      crew_(CrewView::Wiring{core_.rack, core_.devices, core_.monitor, ports.settings,
                             ports.timerFactory, ports.clock}) {
    timers_.setObserver(
        [this](int tag, bool enabled, int interval) { timerChanged(tag, enabled, interval); });
    dialog_.AddObserver([this] { ports_.trace.Dialog(dialog_.state()); });
    dialog_.SetTimerObserver([this](bool enabled, int interval) {
        ports_.trace.Timer(QStringLiteral("tmrClose"), enabled, interval);
    });
    window_.AddObserver([this, last = QString()]() mutable {
        if (window_.state().caption != last) {
            last = window_.state().caption;
            ports_.trace.Title(last);
        }
    });
    engine_.AddObserver(activityWatch_);
    watchEditorAndPanel();
    core_.monitor.alerts().AddObserver(*this);
    core_.monitor.AddRackObserver([this](const RackNote& note) { ports_.trace.Rack(note); });
    engine_.AddObserver(crew_);
    crew_.AddObserver([this, serving = false, error = QString(), url = QString()]() mutable {
        const CrewViewState& state = crew_.state();
        if (state.serving == serving && state.error == error && state.url == url) {
            return;
        }
        serving = state.serving;
        error = state.error;
        url = state.url;
        ports_.trace.Crew(serving           ? QStringLiteral("on")
                          : error.isEmpty() ? QStringLiteral("off")
                                            : QStringLiteral("failed"),
                          state.endpoint.address.toString(), state.endpoint.port, url, error);
    });
}

Station::~Station() {
    core_.monitor.alerts().RemoveObserver(*this);
}

void Station::AlertStarted(const Alert& alert) {
    ports_.trace.AlertChanged(alert);
}

void Station::AlertEnded(const Alert& alert) {
    ports_.trace.AlertChanged(alert);
}

bool Station::Start() {
    if (!CheckSingleInstance()) {
        return false;
    }
    view_->InitGraphics();
    // The band tables are built with the frequency checker.
    LoadStartupDialog();
    if (!ConnectDevices()) {
        return false;
    }
    // Read before the default files are written, so that they carry the user's separator.
    ReadDecimalSeparator();
    PrepareForModel();
    SizeWindow();
    ShowStartupProgress();
    CreateTimers();
    FillReceiverCount();
    InitialiseRack();
    PrepareDataFolder();
    FinishRackSetup();
    ShowMainWindow();
    LoadEditor();
    StartDiscovery();
    StartCrewView();
    return true;
}

void Station::StartCrewView() {
    if (options_.crewView) {
        crew_.ServeForRun(*options_.crewView);
    } else {
        crew_.StartFromSettings();
    }
}

bool Station::CheckSingleInstance() {
    instance_ = std::make_unique<SingleInstance>(options_.lockFolder);
    if (instance_->TryAcquire()) {
        return true;
    }
    tell(QStringLiteral("The Monitor application is already running\r\nClick OK to exit"),
         MsgIcon::None, QStringLiteral("Duplicate application"));
    instance_.reset();
    refuse();
    return false;
}

void Station::LoadStartupDialog() {
    dialog_.Load(version::Major, version::Minor, version::Revision);
}

bool Station::ConnectDevices() {
    const int result = identification_.ConnectUSB();
    QString text;
    if (result == kConnectNoDevice) {
        text = QStringLiteral("No Veltora hardware was found \r\nThe application will close.\r\n"
                              "Please check your connections\r\n");
    } else if (result == kConnectNotFamily) {
        text = QStringLiteral("Hardware is not Veltora K7 series.\r\nThe application will close."
                              "\r\nPlease check your equipment\r\n");
    } else if (result == kConnectTooMany || result > kMaxDevices) {
        text = QStringLiteral("More than %1 USB serial devices are attached; the station can "
                              "work with at most %1 receivers.\r\nThe application will close."
                              "\r\nPlease remove the devices that are not K7 receivers\r\n")
                   .arg(kMaxDevices);
    } else {
        return true;
    }
    // Nothing stays open when the station refuses to run.
    for (int index = 0; index < kMaxDevices; ++index) {
        if (link_.DeviceHandles[index] != FT_HANDLE{}) {
            link_.CloseDevice(index);
        }
    }
    MessageBoxSpec box;
    box.text = text;
    box.title = kHardwareTitle;
    box.icon = MsgIcon::Critical;
    box.buttons = MsgButtons::OK;
    box.defaultButton = 1;
    box.foreground = true;
    ports_.prompter.ShowMessage(box);
    refuse();
    return false;
}

void Station::PrepareForModel() {
    if (devices_.ModelVariant == ModelK75) {
        // A missing data folder is left to PrepareDataFolder: it makes the folder with both
        // default files and resets "LastSet" to Default.frq, which a stale name must not survive.
        const bool folderExists = QDir(frq_.dataFolder()).exists();
        for (const QString& name :
             {QStringLiteral("Default.frq"), QStringLiteral("Template.frq")}) {
            if (folderExists && !defaults_.WriteDefaultFile(name)) {
                tell(
                    QStringLiteral("The file %1 could not be written in %2.\r\n%3\r\nCheck that "
                                   "the folder exists and is writable.\r\n")
                        .arg(name, QDir::toNativeSeparators(frq_.dataFolder()), frq_.errorString()),
                    MsgIcon::Exclamation);
            }
        }
        files_.LoadLastFile = ReadLoadLastFile(ports_.settings);
        window_.SetLoadLastFileChecked(files_.LoadLastFile);
    } else {
        files_.LoadLastFile = false; // saved by the orderly stop
        window_.HideFileCommands();
    }
}

void Station::SizeWindow() {
    windowSize_ = SizeForDevices(devices_.DeviceCount);
    view_->SizeWindow(windowSize_, StartPlacement(ReadPanelWindow(ports_.settings),
                                                  devices_.DeviceCount, windowSize_.client));
}

void Station::ShowStartupProgress() {
    dialog_.ShowProgress();
}

void Station::CreateTimers() {
    // The rack engine's handler, counted, so that a stop asked for inside it (a button pressed
    // while the handler lets messages run) waits until the handler has returned.
    timers_.Create(TimerIntervalsAtCreation(devices_.PollInterval), [this](int tag) {
        ++handlerDepth_;
        engine_.ICcrpTimerNotifyEx_Timer(tag);
        --handlerDepth_;
        if (handlerDepth_ == 0 && stopDeferred_) {
            stopDeferred_ = false;
            // This is still the handler of one of the timers: they are stopped now and released
            // with the station.
            stop(false);
        }
    });
}

void Station::FillReceiverCount() {
    dialog_.SetReceiverCount(ReceiverCountLabel(devices_.DeviceCount, devices_.ModelVariant));
    dialog_.SetProgressRange(1, devices_.DeviceCount);
}

void Station::ReadDecimalSeparator() {
    core_.settings.SetDecimalSeparatorCode(DecimalSeparatorCodeFor(QLocale()));
}

void Station::InitialiseRack() {
    engine_.InitialiseRackTables();
}

void Station::PrepareDataFolder() {
    if (!defaults_.PrepareDataFolder()) {
        tell(QStringLiteral("The data folder %1 could not be prepared.\r\n%2\r\nFrequency "
                            "files cannot be loaded or saved until it exists and is writable.\r\n")
                 .arg(QDir::toNativeSeparators(frq_.dataFolder()), defaults_.errorString()),
             MsgIcon::Exclamation);
    }
    view_->BuildScaling();
}

void Station::FinishRackSetup() {
    files_.GlobalMuteLevel = 5;
    window_.FocusMeterPanel();
}

void Station::ShowMainWindow() {
    window_.SetTitleBase(MakeTitleBase(version::Major, version::Minor, version::Revision));
    view_->ShowMainWindow();
    window_.SetExitConfirmed(false);
}

void Station::LoadEditor() {
    core_.frequencyEditor.Load();
}

void Station::StartDiscovery() {
    files_.FileInUse = false;
    started_ = true;
    engine_.StartDiscovery();
}

void Station::ToggleLoadLastFile() {
    files_.LoadLastFile = !files_.LoadLastFile;
    SaveLoadLastFile(ports_.settings, files_.LoadLastFile);
    window_.SetLoadLastFileChecked(files_.LoadLastFile);
}

bool Station::FileCommandsAvailable() const {
    return started_ && !stopping_ && !exitPending_ && devices_.ModelVariant == ModelK75 &&
           engine_.Activity() == RackActivity::Monitoring;
}

void Station::FileCommandChosen(FileCommand command) {
    if (!FileCommandsAvailable()) {
        return;
    }
    switch (command) {
    case FileCommand::Open:
        fileCommands_.mnuOpen();
        return;
    case FileCommand::Edit:
        fileCommands_.mnuEdit();
        return;
    case FileCommand::New:
        fileCommands_.mnuNew();
        return;
    case FileCommand::Transfer:
        fileCommands_.mnuTransfer();
        return;
    case FileCommand::Upload:
        fileCommands_.mnuUpload();
        return;
    }
}

void Station::updateFileCommands() {
    window_.SetFileCommandsEnabled(FileCommandsAvailable());
}

void Station::updateMeterNotice() {
    const bool paused = core_.frequencyEditor.state().visible && !timers_.enabled(PollTimer) &&
                        engine_.Activity() == RackActivity::Monitoring;
    window_.SetMeterNotice(paused ? MeterPausedText() : QString());
}

void Station::watchEditorAndPanel() {
    FrequencyEditor& editor = core_.frequencyEditor;
    editor.AddObserver([this, shown = false, caption = QString()]() mutable {
        const EditorState& state = core_.frequencyEditor.state();
        if (state.visible != shown || (state.visible && state.caption != caption)) {
            shown = state.visible;
            caption = state.caption;
            ports_.trace.Window(QStringLiteral("editor"), caption, shown);
        }
        updateMeterNotice();
    });
    editor.SetStatusListener(
        [this](const QString& text) { ports_.trace.Status(QStringLiteral("editor"), text); });
    panel_.SetShownObserver([this](bool shown) {
        ports_.trace.Window(QStringLiteral("panel"), ReceiverPanel::Caption(), shown);
    });
}

void Station::AboutChosen() {
    view_->ShowAbout();
}

void Station::CrewViewChosen() {
    view_->ShowCrewView();
}

void Station::tell(const QString& text, MsgIcon icon, const QString& title) {
    MessageBoxSpec box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    box.buttons = MsgButtons::OK;
    ports_.prompter.ShowMessage(box);
}

void Station::refuse() {
    exitCode_ = kExitRefused;
    stopped_ = true;
    ports_.trace.Exit(exitCode_);
}

} // namespace k7
