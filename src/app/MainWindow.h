// The main window: the File, View, Coordination, Alerts, History and About menus, the meter panel
// area, and the three ways of asking to close (Escape, File > Exit, the close box), all handed to
// its controller. It can be resized, maximised and put full screen (F11, again to come back); the
// meter panel scales with it. It owns no port and no timer.
#pragma once

#include "PanelWindowSetting.h"

#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QMenu;

namespace k7 {

class MainWindowController;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowController& controller, QWidget* parent = nullptr);

    // Puts the meter panel widget into the panel area (the window takes ownership).
    void SetMeterPanel(QWidget* panel);
    // Gives the panel area the placement's size, moves the window to the top-left corner of the
    // screen and takes the placement's state (shown so once the window is shown).
    void ApplyPlacement(const WindowPlacement& placement);
    // The panel area's size in the normal state, and the state.
    WindowPlacement placement() const;
    // F11: full screen, or back to the state before it.
    void ToggleFullScreen();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    QWidget* makeAlarmBanner();

    MainWindowController& controller_;
    QWidget* panelArea_ = nullptr;
    QLabel* meterNotice_ = nullptr; // in the menu bar's corner, hidden while there is none
    // The alarm banner: a line of its own above the meter panel, which shrinks to make room for
    // it (it never lies over a cell); hidden while no alarm is unacknowledged.
    QWidget* alarmBanner_ = nullptr;
    QLabel* alarmText_ = nullptr;
    std::array<QAction*, 2> arrangementItems_{}; // View: native, wide (one of them ticked)
    int focusRequestsSeen_ = 0;
    // The menu items (found by their object names in tests).
    QAction* mnuLoad = nullptr;
    QAction* mnuRescan = nullptr; // "Rescan after a USB change"
    QAction* mnuOpen = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuTransfer = nullptr;
    QAction* mnuUpload = nullptr;
    QAction* mnuShowSheet = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuAlerts = nullptr;
    QAction* mnuCheckRack = nullptr;
    QAction* mnuCoordinateRack = nullptr;
    QAction* mnuHistory = nullptr;
    QAction* mnuHistoryExport = nullptr;
    QAction* mnuCrewView = nullptr;
    QAction* mnuLabels = nullptr;
    QAction* mnuAbout = nullptr;
};

} // namespace k7
