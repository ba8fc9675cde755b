#include "StationWindows.h"

#include "QtPrompter.h"
#include "display/AssetDir.h"
#include "display/MeterPanelWidget.h"
#include "editor/CoordinateDialog.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace k7 {

StationWindows::StationWindows(Station& station, const StationWindowsOptions& options,
                               QtPrompter* boxes, QtFileChooser* chooser)
    : station_(station), options_(options),
      meterPanel_(station.rack(), station.devices(), station.prompter()),
      mainWindow_(station.window()),
      panelWidget_(new MeterPanelWidget(meterPanel_, station.core().settings, station.devices(),
                                        station.timerFactory(), station.clock())),
      receiverWindow_(station.receiverPanel()),
      editorWindow_(station.frequencyEditor(), &mainWindow_),
      dialog_(station.dialog(), &mainWindow_, station.devices().DeviceCount),
      about_(station.prompter(), &mainWindow_), alertsWindow_(station.monitor(), &mainWindow_),
      rackCoordination_({station.core(), station.settings(), station.prompter(),
                         [&station] { return station.FileCommandsAvailable(); }}),
      historyWindow_(station.monitor(), station.clock(), station.timerFactory(), station.prompter(),
                     &mainWindow_),
      crewDialog_(station.crewView(), &mainWindow_) {
    station.core().AttachDisplay(meterPanel_);
    mainWindow_.SetMeterPanel(panelWidget_);
    panelWidget_->setOpenPanelCallback(
        [&station](int slot) { station.receiverPanel().Open(slot); });
    panelWidget_->setOpenHistoryCallback([this](int slot) { ShowHistory(slot); });
    station.receiverPanel().SetView(&receiverWindow_);
    if (boxes) {
        boxes->setParent(&mainWindow_);
    }
    if (chooser) {
        chooser->setParent(&mainWindow_);
    }
    station.SetView(this);
    station.monitor().alerts().AddObserver(*this);
    QObject::connect(mainWindow_.mnuAlerts, &QAction::triggered, &alertsWindow_,
                     [this] { ShowAlerts(); });
    panelWidget_->setCellToolTip(
        [this](int slot) { return rackCoordination_.CellConflicts(slot); });
    QObject::connect(mainWindow_.mnuCheckRack, &QAction::triggered, &mainWindow_,
                     [this] { rackCoordination_.Check(); });
    QObject::connect(mainWindow_.mnuCoordinateRack, &QAction::triggered, &mainWindow_,
                     [this] { CoordinateRack(); });
    QObject::connect(mainWindow_.mnuHistory, &QAction::triggered, &historyWindow_,
                     [this] { ShowHistory(); });
    QObject::connect(mainWindow_.mnuHistoryExport, &QAction::triggered, &historyWindow_,
                     [this] { historyWindow_.OpenExport(false); });
}

void StationWindows::CoordinateRack() {
    RunCoordination(rackCoordination_, rackCoordination_.Setup(), &mainWindow_);
}

StationWindows::~StationWindows() {
    station_.monitor().alerts().RemoveObserver(*this);
    station_.SetView(nullptr);
    station_.receiverPanel().SetView(nullptr);
    station_.engine().AttachDisplay(nullptr);
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

std::optional<WindowPlacement> StationWindows::WindowLeft() const {
    return mainWindow_.placement();
}

void StationWindows::ShowMainWindow() {
    mainWindow_.show();
    if (dialog_.isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        dialog_.raise();
    }
}

void StationWindows::ShowAbout() {
    about_.show();
    about_.activateWindow();
}

void StationWindows::ShowCrewView() {
    crewDialog_.show();
    crewDialog_.raise();
    crewDialog_.activateWindow();
}

void StationWindows::ShowAlerts() {
    alertsWindow_.show();
    alertsWindow_.raise();
    alertsWindow_.activateWindow();
}

void StationWindows::ShowHistory(int slot) {
    historyWindow_.ShowReceiver(slot > 0 ? slot : historyWindow_.view().slot());
}

void StationWindows::markCell(int slot) {
    const CellAlerts cell = station_.monitor().alerts().CellOf(slot);
    CellFrame frame;
    if (cell.active) {
        frame.colour = AlertColour(*cell.active);
    } else if (cell.ended) {
        frame.colour = AlertColour(*cell.ended);
        frame.dashed = true;
    }
    meterPanel_.SetCellFrame(slot, frame);
    const int active = station_.monitor().alerts().ActiveCount();
    mainWindow_.mnuAlerts->setText(active > 0 ? QStringLiteral("Alerts (%1)").arg(active)
                                              : QStringLiteral("Alerts"));
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
