#include "StationWindows.h"

#include "QtPrompter.h"
#include "StationIcon.h"
#include "Version.h"
#include "display/AssetDir.h"
#include "display/MeterPanelWidget.h"
#include "editor/CoordinateDialog.h"
#include "platform/WindowOrder.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>

#include <cstdio>

namespace k7 {

StationWindows::StationWindows(Station& station, const StationWindowsOptions& options,
                               QtPrompter* boxes, QtFileChooser* chooser)
    : station_(station), options_(options),
      meterPanel_(station.core().rack(), station.core().devices(), station.ports().prompter),
      mainWindow_(station.window()),
      panelWidget_(new MeterPanelWidget(meterPanel_, station.core().settings(),
                                        station.core().devices(), station.ports().timerFactory,
                                        station.ports().clock)),
      receiverWindow_(station.core().panel(), &mainWindow_),
      editorWindow_(station.core().editor(), station.core().editorCsv(),
                    station.core().editorCoordination(), &mainWindow_),
      dialog_(station.dialog(), &mainWindow_, station.core().devices().DeviceCount),
      about_(station.ports().prompter, &mainWindow_),
      alertsWindow_(station.core().monitor(), station.core().alarms(), &mainWindow_),
      historyWindow_(station.core().monitor(), station.ports().clock, station.ports().timerFactory,
                     station.ports().prompter, &mainWindow_),
      crewDialog_(station.crewView(), &mainWindow_),
      rackConflicts_(
          [&station](const ConflictTable& table) {
              return ExportConflictTable(table, &station.ports().fileChooser,
                                         station.ports().prompter,
                                         station.core().frq().dataFolder());
          },
          &mainWindow_),
      labelDialog_(station.core().labels(), &mainWindow_),
      labelsWindow_(station.labelCommands(), &mainWindow_) {
    // Every window carries the station's icon; the desktop entry's id lets the desktop match
    // the windows with their entry.
    QApplication::setWindowIcon(StationIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(version::DesktopId));
    station.core().AttachDisplay(meterPanel_);
    mainWindow_.SetMeterPanel(panelWidget_);
    panelWidget_->setOpenPanelCallback([&station](int slot) { station.core().panel().Open(slot); });
    panelWidget_->setOpenHistoryCallback([this](int slot) { ShowHistory(slot); });
    station.core().panel().SetView(&receiverWindow_);
    if (boxes) {
        boxes->setParent(&mainWindow_);
    }
    if (chooser) {
        chooser->setParent(&mainWindow_);
    }
    station.SetView(this);
    station.core().monitor().alerts().AddObserver(*this);
    station.core().alarms().AddObserver(*this);
    panelWidget_->setCellToolTip(
        [&station](int slot) { return station.rackCoordination().CellConflicts(slot); });
    panelWidget_->setCellHeading([this](int slot) { return labelHeading(slot); });
    panelWidget_->setLabelCallback([this](int slot) { editLabel(slot); });
    // The labels and the windows go together: a change after the windows are gone reaches
    // nobody.
    station.core().labels().AddObserver([self = QPointer<MainWindow>(&mainWindow_), this] {
        if (self) {
            showLabelColours();
        }
    });
    station.core().monitor().AddRackObserver(
        [self = QPointer<MainWindow>(&mainWindow_), this](const RackNote& note) {
            if (self &&
                (note.kind == RackNote::MonitoringStarted || note.kind == RackNote::RescanEnded)) {
                showLabelColours();
                labelsWindow_.Refresh();
            }
        });
    station.rackCoordination().SetTableView([this](const ConflictTable& table) {
        rackConflicts_.ShowTable(table, QStringLiteral("the rack"));
    });
}

void StationWindows::CoordinateRack() {
    RackCoordination& rack = station_.rackCoordination();
    RunCoordination(rack, rack.Setup(), &mainWindow_);
}

StationWindows::~StationWindows() {
    station_.rackCoordination().SetTableView(nullptr);
    station_.core().alarms().RemoveObserver(*this);
    station_.core().monitor().alerts().RemoveObserver(*this);
    station_.SetView(nullptr);
    station_.core().panel().SetView(nullptr);
    station_.core().engine().AttachDisplay(nullptr);
}

void StationWindows::InitGraphics() {
    const QString assetDir = FindAssetDir(options_.programFolder);
    meterPanel_.InitGraphics(assetDir, kMeterPanelDesignSize);
    if (!meterPanel_.FontsFound()) {
        std::fprintf(stderr,
                     "k7station: no font for the meter panel: Liberation Sans is neither in "
                     "%s/fonts nor on the system, so names, frequencies and scales are not "
                     "drawn properly; install the package fonts-liberation2\n",
                     qPrintable(assetDir));
    }
}

void StationWindows::BuildScaling() {
    meterPanel_.BuildScaling();
}

void StationWindows::CloseGraphics() {
    if (!options_.snapshot.isEmpty() && !meterPanel_.SaveSnapshot(options_.snapshot)) {
        std::fprintf(stderr, "k7station: cannot save the snapshot %s\n",
                     qPrintable(options_.snapshot));
    }
    meterPanel_.CloseGraphics();
}

void StationWindows::SizeWindow(const RackWindowSize& size, const WindowPlacement& start) {
    panelWidget_->setPanelSize(size.panel);
    mainWindow_.ApplyPlacement(start);
}

void StationWindows::ArrangePanel(PanelArrangement arrangement) {
    panelWidget_->setArrangement(arrangement);
}

void StationWindows::ResizePanel(const RackWindowSize& size) {
    // The window stays as the operator has it (full screen at a show); the panel scales in it.
    panelWidget_->setPanelSize(size.panel);
    panelWidget_->setArrangement(station_.window().state().arrangement);
}

std::optional<WindowPlacement> StationWindows::WindowLeft() const {
    return mainWindow_.placement();
}

void StationWindows::ShowMainWindow() {
    mainWindow_.show();
    if (dialog_.isVisible()) {
        RaiseWindow(dialog_);
    }
}

void StationWindows::ShowAbout() {
    about_.show();
    about_.activateWindow();
}

void StationWindows::ShowCrewView() {
    crewDialog_.show();
    RaiseWindow(crewDialog_);
    crewDialog_.activateWindow();
}

void StationWindows::ShowLabels() {
    labelsWindow_.show();
    RaiseWindow(labelsWindow_);
    labelsWindow_.activateWindow();
}

void StationWindows::editLabel(int slot) {
    const Monitor& monitor = station_.core().monitor();
    const QString serial = monitor.serialOf(slot);
    if (!serial.isEmpty()) {
        labelDialog_.Edit(serial, slot, monitor.nameOf(slot));
    }
}

QString StationWindows::labelHeading(int slot) const {
    const Monitor& monitor = station_.core().monitor();
    QStringList lines;
    if (const QString label = monitor.labelOf(slot); !label.isEmpty()) {
        lines << label;
    }
    if (const QString group = monitor.groupOf(slot); !group.isEmpty()) {
        lines << QStringLiteral("Group: ") + group;
    }
    return lines.join(QLatin1Char('\n'));
}

void StationWindows::showLabelColours() {
    const Monitor& monitor = station_.core().monitor();
    const ReceiverLabels& labels = station_.core().labels();
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        const QString serial = slot <= monitor.receivers() ? monitor.serialOf(slot) : QString();
        const LabelColour colour = serial.isEmpty() ? LabelColour::None : labels.Of(serial).colour;
        meterPanel_.SetCellLabelColour(
            slot, colour == LabelColour::None ? QColor() : QColor::fromRgb(LabelColourRgb(colour)));
    }
}

void StationWindows::ShowAlerts() {
    alertsWindow_.show();
    RaiseWindow(alertsWindow_);
    alertsWindow_.activateWindow();
}

void StationWindows::ShowHistory(int slot) {
    historyWindow_.ShowReceiver(slot > 0 ? slot : historyWindow_.view().slot());
}

void StationWindows::OpenHistoryExport() {
    historyWindow_.OpenExport(false);
}

void StationWindows::markCell(int slot) {
    // The kinds set to "silent" leave no mark; an alarm's frame is off on the flash's dark ticks.
    const CellMark mark = station_.core().alarms().MarkOf(slot);
    CellFrame frame;
    if (mark.drawn) {
        frame.colour = AlertColour(*mark.kind);
        frame.dashed = mark.dashed;
    }
    meterPanel_.SetCellFrame(slot, frame);
}

void StationWindows::AlarmChanged(const AlarmNote& note) {
    if (note.change == AlarmNote::Raised || note.change == AlarmNote::Acknowledged) {
        markCell(note.alarm.slot);
    }
}

void StationWindows::AlarmsFlashed() {
    for (const Alarm& alarm : station_.core().alarms().unacknowledged()) {
        markCell(alarm.slot);
    }
}

void StationWindows::markAllCells() {
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        markCell(slot);
    }
}

void StationWindows::Stopped(int exitCode) {
    QCoreApplication::exit(exitCode);
}

} // namespace k7
