// The station's construction and its start-up sequence.
#include "Station.h"

#include "AppPaths.h"
#include "RescanSetting.h"
#include "SingleInstance.h"
#include "Trace.h"
#include "Version.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"
#include "platform/TonePort.h"

#include <QDir>
#include <QJsonValue>
#include <QLocale>

#include <cstdio>

namespace k7 {
namespace {

const QString kHardwareTitle = QStringLiteral("USB hardware detection");

} // namespace

Station::Station(const StationPorts& ports, const StationOptions& options)
    : ports_(ports), options_(options), dialog_(ports.timerFactory, *this), window_(*this),
      core_(CorePorts{ports.timerFactory, ports.pump, ports.prompter, ports.settings, ports.driver,
                      dialog_, window_, ports.clock, &ports.fileChooser, ports.tones},
            CoreOptions{DataFolder(options.applicationFolder), {}, nullptr}),
      fileCommands_(FileCommands::Wiring{core_.rackFile(), core_.frq(), core_.defaults(),
                                         core_.engine(), core_.editor(), core_.panel(), window_,
                                         core_.devices(), ports.settings, ports.prompter,
                                         ports.fileChooser, core_.monitor().actions(),
                                         [this] { return FileCommandsAvailable(); }}),
      rackCoordination_(RackCoordination::Wiring{core_.devices(), core_.settings(), core_.engine(),
                                                 core_.rackFile(), core_.monitor().actions(),
                                                 ports.settings, ports.prompter,
                                                 [this] { return FileCommandsAvailable(); }}),
      showSheet_(ShowSheetCommand::Wiring{
          ShowSheetSources{core_.devices(), core_.rack(), core_.rackFile(), ports.settings,
                           rackCoordination_.backups(),
                           [this](const QString& serial) {
                               return std::pair(core_.labels().LabelOf(serial),
                                                core_.labels().GroupOf(serial));
                           }},
          ports.fileChooser, ports.prompter, core_.engine(), ports.trace, core_.frq().dataFolder(),
          [this] { return FileCommandsAvailable(); }}),
      labelCommands_(LabelCommands::Wiring{core_.labels(), core_.devices(), core_.rack(),
                                           ports.prompter, &ports.fileChooser,
                                           core_.frq().dataFolder()}),
      crew_(CrewView::Wiring{core_.rack(), core_.devices(), core_.monitor(), ports.settings,
                             ports.timerFactory, ports.clock}) {
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
    core_.engine().AddObserver(activityWatch_);
    watchEditorAndPanel();
    core_.panel().SetBackupFrequencies(&rackCoordination_.backups());
    core_.monitor().alerts().AddObserver(*this);
    core_.alarms().AddObserver(*this);
    core_.monitor().AddRackObserver([this](const RackNote& note) { ports_.trace.Rack(note); });
    core_.engine().AddObserver(crew_);
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
    core_.panel().SetBackupFrequencies(nullptr);
    core_.alarms().RemoveObserver(*this);
    core_.monitor().alerts().RemoveObserver(*this);
}

void Station::AlertStarted(const Alert& alert) {
    ports_.trace.AlertChanged(alert);
    countAlerts();
}

void Station::AlertEnded(const Alert& alert) {
    ports_.trace.AlertChanged(alert);
    countAlerts();
}

void Station::AlertsTrimmed() {
    countAlerts();
    // A rescan may have moved the newest alarm's receiver.
    window_.SetAlarmBanner(core_.alarms().BannerText());
}

void Station::AlarmChanged(const AlarmNote& note) {
    ports_.trace.Alarm(note);
    window_.SetAlarmBanner(core_.alarms().BannerText());
}

void Station::TellNoAudioDevice() {
    if (!ports_.tones || ports_.tones->HasDevice()) {
        return;
    }
    const QString text = QStringLiteral(
        "no sound output: alarms flash and show their banner, but their tone is not heard");
    std::fprintf(stderr, "k7station: %s\n", qPrintable(text));
    ports_.trace.NoAudioDevice(text);
}

void Station::countAlerts() {
    window_.SetActiveAlerts(core_.monitor().alerts().ActiveCount());
}

bool Station::Start() {
    if (!CheckSingleInstance()) {
        return false;
    }
    TellNoAudioDevice();
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

QString Station::RefusalText(int connectResult) {
    if (connectResult == kConnectNoDevice) {
        return QStringLiteral("No Veltora hardware was found \r\nThe application will close.\r\n"
                              "Please check your connections\r\n");
    }
    if (connectResult == kConnectNotFamily) {
        return QStringLiteral("Hardware is not Veltora K7 series.\r\nThe application will close."
                              "\r\nPlease check your equipment\r\n");
    }
    if (connectResult == kConnectTooMany || connectResult > kMaxDevices) {
        return QStringLiteral("More than %1 USB serial devices are attached; the station can "
                              "work with at most %1 receivers.\r\nThe application will close."
                              "\r\nPlease remove the devices that are not K7 receivers\r\n")
            .arg(kMaxDevices);
    }
    return {};
}

bool Station::ConnectDevices() {
    const QString text = RefusalText(core_.identification().ConnectUSB());
    if (text.isEmpty()) {
        return true;
    }
    // Nothing stays open when the station refuses to run.
    for (int index = 0; index < kMaxDevices; ++index) {
        if (core_.link().DeviceHandles[index] != FT_HANDLE{}) {
            core_.link().CloseDevice(index);
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
    const bool fileCommands = core_.devices().ModelVariant == ModelK75;
    if (fileCommands) {
        // A missing data folder is left to PrepareDataFolder: it makes the folder with both
        // default files and resets "LastSet" to Default.frq, which a stale name must not survive.
        const QString folder = core_.frq().dataFolder();
        const bool folderExists = QDir(folder).exists();
        for (const QString& name :
             {QStringLiteral("Default.frq"), QStringLiteral("Template.frq")}) {
            if (!folderExists) {
                break;
            }
            if (const FileResult written = core_.defaults().WriteDefaultFile(name); !written) {
                tell(QStringLiteral("The file %1 could not be written in %2.\r\n%3\r\nCheck that "
                                    "the folder exists and is writable.\r\n")
                         .arg(name, QDir::toNativeSeparators(folder), written.why()),
                     MsgIcon::Exclamation);
            }
        }
    }
    // Without the file commands the choice is off, and saved so by the orderly stop.
    core_.rackFile().ReadLoadAtStart(fileCommands);
    if (fileCommands) {
        window_.SetLoadLastFileChecked(core_.rackFile().LoadAtStart());
    } else {
        window_.HideFileCommands();
    }
}

void Station::SizeWindow() {
    windowSize_ = SizeForDevices(core_.devices().DeviceCount);
    view_->SizeWindow(windowSize_, StartPlacement(ReadPanelWindow(ports_.settings),
                                                  core_.devices().DeviceCount, windowSize_.client));
    arrangePanel(options_.arrangement.value_or(
        StartArrangement(ReadArrangement(ports_.settings), core_.devices().DeviceCount)));
}

void Station::ArrangementChosen(PanelArrangement arrangement) {
    SaveArrangement(ports_.settings, {core_.devices().DeviceCount, arrangement});
    arrangePanel(arrangement);
}

void Station::arrangePanel(PanelArrangement arrangement) {
    window_.SetArrangement(arrangement);
    view_->ArrangePanel(arrangement);
}

void Station::ShowStartupProgress() {
    dialog_.ShowProgress();
}

void Station::CreateTimers() {
    core_.engine().CreateTimers([this](int tag, bool enabled, int interval) {
        ports_.trace.Timer(tag, enabled, interval);
        updateMeterNotice();
    });
}

void Station::FillReceiverCount() {
    dialog_.SetReceiverCount(
        ReceiverCountLabel(core_.devices().DeviceCount, core_.devices().ModelVariant));
    dialog_.SetProgressRange(1, core_.devices().DeviceCount);
}

void Station::ReadDecimalSeparator() {
    core_.settings().SetDecimalSeparatorCode(DecimalSeparatorCodeFor(QLocale()));
}

void Station::InitialiseRack() {
    core_.engine().InitialiseRackTables();
}

void Station::PrepareDataFolder() {
    const FileResult prepared = core_.defaults().PrepareDataFolder();
    core_.rackFile().ReadCurrentFile();
    if (!prepared) {
        tell(QStringLiteral("The data folder %1 could not be prepared.\r\n%2\r\nFrequency "
                            "files cannot be loaded or saved until it exists and is writable.\r\n")
                 .arg(QDir::toNativeSeparators(core_.frq().dataFolder()), prepared.why()),
             MsgIcon::Exclamation);
    }
    view_->BuildScaling();
}

void Station::FinishRackSetup() {
    window_.FocusMeterPanel();
}

void Station::ShowMainWindow() {
    window_.SetTitleBase(MakeTitleBase(version::Major, version::Minor, version::Revision));
    view_->ShowMainWindow();
    window_.SetExitConfirmed(false);
}

void Station::LoadEditor() {
    core_.editor().Load();
}

void Station::StartDiscovery() {
    started_ = true;
    const bool rescan = ReadRescanAfterUsbChange(ports_.settings);
    core_.engine().SetRescanAfterUsbChange(rescan);
    window_.SetRescanAfterUsbChangeChecked(rescan);
    core_.engine().StartDiscovery();
}

void Station::ToggleLoadLastFile() {
    core_.rackFile().ToggleLoadAtStart();
    window_.SetLoadLastFileChecked(core_.rackFile().LoadAtStart());
}

void Station::ToggleRescanAfterUsbChange() {
    const bool on = !window_.state().rescanAfterUsbChangeChecked;
    SaveRescanAfterUsbChange(ports_.settings, on);
    core_.engine().SetRescanAfterUsbChange(on);
    window_.SetRescanAfterUsbChangeChecked(on);
}

bool Station::FileCommandsAvailable() const {
    return started_ && !stopping_ && !exitPending_ && core_.devices().ModelVariant == ModelK75 &&
           core_.engine().Activity() == RackActivity::Monitoring;
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
    case FileCommand::ShowSheet:
        showSheet_.Print();
        return;
    }
}

void Station::updateFileCommands() {
    window_.SetFileCommandsEnabled(FileCommandsAvailable());
}

void Station::updateMeterNotice() {
    const RackActivity activity = core_.engine().Activity();
    const bool paused = core_.editor().state().visible && !core_.engine().PollTimerRunning() &&
                        activity == RackActivity::Monitoring;
    window_.SetMeterNotice(activity == RackActivity::Settling ? SettlingText()
                           : paused                           ? MeterPausedText()
                                                              : QString());
}

void Station::watchEditorAndPanel() {
    FrequencyEditor& editor = core_.editor();
    editor.AddObserver([this, shown = false, caption = QString()]() mutable {
        const EditorState& state = core_.editor().state();
        if (state.visible != shown || (state.visible && state.caption != caption)) {
            shown = state.visible;
            caption = state.caption;
            ports_.trace.Window(QStringLiteral("editor"), caption, shown);
        }
        updateMeterNotice();
    });
    editor.SetStatusListener(
        [this](const QString& text) { ports_.trace.Status(QStringLiteral("editor"), text); });
    core_.panel().SetShownObserver([this](bool shown) {
        ports_.trace.Window(QStringLiteral("panel"), ReceiverPanel::Caption(), shown);
    });
}

void Station::WindowCommandChosen(WindowCommand command) {
    switch (command) {
    case WindowCommand::Alerts:
        view_->ShowAlerts();
        return;
    case WindowCommand::History:
        view_->ShowHistory(0);
        return;
    case WindowCommand::HistoryExport:
        view_->OpenHistoryExport();
        return;
    case WindowCommand::CheckRack:
        // Checking needs a settled rack; coordinating programs it, as a file load does.
        if (FileCommandsAvailable()) {
            rackCoordination_.Check();
        }
        return;
    case WindowCommand::CoordinateRack:
        if (FileCommandsAvailable()) {
            view_->CoordinateRack();
        }
        return;
    case WindowCommand::CrewView:
        view_->ShowCrewView();
        return;
    case WindowCommand::Labels:
        view_->ShowLabels();
        return;
    }
}

void Station::AboutChosen() {
    view_->ShowAbout();
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
