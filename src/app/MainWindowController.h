// The main window without its window: the caption, which File menu commands are shown, the
// ticks of "Load last file on Start" and "Rescan after a USB change", the arrangement ticked in the
// View menu, the Alerts menu's count, and the exit request from its three sources. The QMainWindow
// shows this state and forwards keys, every menu command and its close box.
#pragma once

#include "display/PanelArrangement.h"
#include "rack/RackPorts.h"

#include <QString>

#include <functional>
#include <vector>

namespace k7 {

enum class ExitSource { EscapeKey, MenuExit, CloseBox };

// The File menu commands that belong to the file layer and the editor, and the show sheet.
enum class FileCommand { Open, Edit, New, Transfer, Upload, ShowSheet };

// The menu commands that open a window of the monitor or work on the rack as it stands.
enum class WindowCommand {
    Alerts,
    History,
    HistoryExport,
    CheckRack,
    CoordinateRack,
    CrewView,
    Labels
};

class MainWindowActions {
public:
    virtual ~MainWindowActions() = default;
    virtual void ExitRequested(ExitSource source) = 0;
    virtual void LoadLastFileToggled() = 0;
    virtual void RescanSettingToggled() = 0;
    virtual void FileCommandChosen(FileCommand command) = 0;
    virtual void WindowCommandChosen(WindowCommand command) = 0;
    virtual void AboutChosen() = 0;
    virtual void ArrangementChosen(PanelArrangement arrangement) = 0;
    // The banner's Acknowledge or the key A: the newest alarm is acknowledged.
    virtual void AcknowledgeAlarmChosen() = 0;
};

struct MainWindowState {
    QString caption = QStringLiteral("Veltora Systems K7.5 Monitor");
    // mnuLoad, mnuOpen, mnuEdit, mnuNew, mnuTransfer, mnuUpload, mnuShowSheet; mnuExit is
    // always shown.
    bool fileCommandsVisible = true;
    // mnuOpen, mnuEdit, mnuNew, mnuTransfer, mnuUpload, mnuShowSheet: only while the rack is
    // metering and no exit or close dialog is up (a load during discovery would program a
    // half-found rack).
    bool fileCommandsEnabled = false;
    bool loadLastFileChecked = false;
    bool rescanAfterUsbChangeChecked = false;                // "Rescan after a USB change"
    PanelArrangement arrangement = PanelArrangement::Native; // ticked in the View menu
    // A line over the meter panel (why the meters stand still); none when empty.
    QString meterNotice;
    // The Alerts menu, with the count of the alerts up.
    QString alertsCaption = QStringLiteral("Alerts");
    // The banner above the panel: the newest unacknowledged alarm; hidden when empty.
    QString alarmBanner;
    int meterPanelFocusRequests = 0; // each FocusMeterPanel adds one
    bool operator==(const MainWindowState&) const = default;
};

class MainWindowController final : public ShellPort {
public:
    static constexpr int kEscapeKey = 27;
    static constexpr int kAcknowledgeKey = 'A';

    explicit MainWindowController(MainWindowActions& actions) : actions_(actions) {}

    // The caption the window keeps between suffixes; set as the caption at once.
    void SetTitleBase(const QString& titleBase);
    const QString& TitleBase() const { return titleBase_; }
    void HideFileCommands();
    void SetFileCommandsEnabled(bool enabled);
    void SetLoadLastFileChecked(bool checked);
    void SetRescanAfterUsbChangeChecked(bool checked);
    void SetMeterNotice(const QString& text);
    void SetActiveAlerts(int count);
    void SetAlarmBanner(const QString& text);
    void SetArrangement(PanelArrangement arrangement);

    // Escape requests exit like mnuExit; A acknowledges the newest alarm; every other key is
    // ignored.
    void KeyPressed(int key);
    void BannerAcknowledge() { actions_.AcknowledgeAlarmChosen(); }
    void MenuExit() { actions_.ExitRequested(ExitSource::MenuExit); }
    // The close box: true when the window may close (the operator pressed "Close now"),
    // otherwise the close is refused and exit is requested.
    bool CloseRequested();
    void MenuLoadLastFile() { actions_.LoadLastFileToggled(); }
    void MenuRescanSetting() { actions_.RescanSettingToggled(); }
    void MenuFileCommand(FileCommand command) { actions_.FileCommandChosen(command); }
    void MenuWindowCommand(WindowCommand command) { actions_.WindowCommandChosen(command); }
    void MenuAbout() { actions_.AboutChosen(); }
    void MenuArrangement(PanelArrangement arrangement) { actions_.ArrangementChosen(arrangement); }

    bool ExitConfirmed() const { return exitConfirmed_; }
    void SetExitConfirmed(bool confirmed) { exitConfirmed_ = confirmed; }

    const MainWindowState& state() const { return state_; }
    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

    // ShellPort
    void ShowTitleSuffix(const QString& suffix) override;
    void FocusMeterPanel() override;

private:
    void setCaption(const QString& caption);
    void changed();

    MainWindowActions& actions_;
    MainWindowState state_;
    QString titleBase_;
    bool exitConfirmed_ = false;
    std::vector<std::function<void()>> observers_;
};

} // namespace k7
