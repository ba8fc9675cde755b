// The station's windows, built and connected to the station in one place: the meter panel and
// its widget in the main window, the receiver control panel's window, the frequency editor's
// window, the start-up dialog, the About box, the Alerts, History and Labels windows and the
// label dialog, each a view over its controller. Every other window belongs to the main window (a
// window system keeps it above the main window, full screen or not). Built before the station
// starts (the station calls them at its named moments) and dropped before the station is.
#pragma once

#include "AboutBox.h"
#include "LabelDialog.h"
#include "LabelsWindow.h"
#include "MainWindow.h"
#include "StartupDialog.h"
#include "Station.h"
#include "control/ReceiverPanelWindow.h"
#include "crew/CrewDialog.h"
#include "display/MeterPanel.h"
#include "editor/ConflictTableWindow.h"
#include "editor/EditorWindow.h"
#include "monitor/AlertsWindow.h"
#include "monitor/HistoryWindow.h"

#include <QString>

namespace k7 {

class MeterPanelWidget;
class QtFileChooser;
class QtPrompter;

struct StationWindowsOptions {
    QString programFolder; // where the atlas and the fonts are looked for
    QString snapshot;      // PanelBuf is saved there at the stop (none when empty)
};

class StationWindows final : public StationView, private AlertEvents, private AlarmEvents {
public:
    // boxes, chooser: the program's message boxes and file dialogs, parented to the main window
    // (null in tests, whose prompter is scripted).
    StationWindows(Station& station, const StationWindowsOptions& options,
                   QtPrompter* boxes = nullptr, QtFileChooser* chooser = nullptr);
    ~StationWindows() override;
    StationWindows(const StationWindows&) = delete;
    StationWindows& operator=(const StationWindows&) = delete;

    MeterPanel& meterPanel() { return meterPanel_; }
    MainWindow& mainWindow() { return mainWindow_; }
    MeterPanelWidget& meterPanelWidget() { return *panelWidget_; }
    ReceiverPanelWindow& receiverPanelWindow() { return receiverWindow_; }
    EditorWindow& editorWindow() { return editorWindow_; }
    StartupDialog& startupDialog() { return dialog_; }
    AboutBox& aboutBox() { return about_; }
    AlertsWindow& alertsWindow() { return alertsWindow_; }
    HistoryWindow& historyWindow() { return historyWindow_; }
    ConflictTableWindow& rackConflictsWindow() { return rackConflicts_; }
    LabelDialog& labelDialog() { return labelDialog_; }
    LabelsWindow& labelsWindow() { return labelsWindow_; }

    // StationView
    void InitGraphics() override;
    void BuildScaling() override;
    void CloseGraphics() override;
    void SizeWindow(const RackWindowSize& size, const WindowPlacement& start) override;
    std::optional<WindowPlacement> WindowLeft() const override;
    void ArrangePanel(PanelArrangement arrangement) override;
    void ResizePanel(const RackWindowSize& size) override;
    void ShowMainWindow() override;
    void ShowAbout() override;
    void ShowAlerts() override;
    // On the slot's receiver (a double click on its cell), or on the one shown last (the menu).
    void ShowHistory(int slot) override;
    void OpenHistoryExport() override;
    void CoordinateRack() override;
    void ShowCrewView() override;
    void ShowLabels() override;
    void Stopped(int exitCode) override;

private:
    // AlertEvents: the marks on the cells follow the alerts.
    void AlertStarted(const Alert& alert) override { markCell(alert.slot); }
    void AlertEnded(const Alert& alert) override { markCell(alert.slot); }
    void AlertsAcknowledged() override { markAllCells(); }
    void AlertsTrimmed() override { markAllCells(); }
    // AlarmEvents: an alarm's cell flashes until it is acknowledged.
    void AlarmChanged(const AlarmNote& note) override;
    void AlarmsFlashed() override;
    void markCell(int slot);
    void markAllCells();
    // The label colours of the cells, after a change of the labels or of the receivers' slots.
    void showLabelColours();
    // "Label..." of a cell's menu.
    void editLabel(int slot);
    // The cell tool tip's first lines: the receiver's label and group.
    QString labelHeading(int slot) const;

    Station& station_;
    StationWindowsOptions options_;
    MeterPanel meterPanel_;
    MainWindow mainWindow_;
    MeterPanelWidget* panelWidget_; // owned by the main window
    ReceiverPanelWindow receiverWindow_;
    EditorWindow editorWindow_; // a window of its own, kept above the main window
    StartupDialog dialog_;
    AboutBox about_;
    AlertsWindow alertsWindow_;
    HistoryWindow historyWindow_;
    CrewDialog crewDialog_;
    ConflictTableWindow rackConflicts_; // Check rack's table
    LabelDialog labelDialog_;
    LabelsWindow labelsWindow_;
};

} // namespace k7
