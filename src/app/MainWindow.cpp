#include "MainWindow.h"

#include "MainWindowController.h"
#include "StartupRules.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace k7 {
namespace {

// The smallest panel area a window may be shrunk to.
constexpr QSize kMinimumPanelArea{200, 175};

} // namespace

MainWindow::MainWindow(MainWindowController& controller, QWidget* parent)
    : QMainWindow(parent), controller_(controller) {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuLoad = mnuFile->addAction(QStringLiteral("&Load last file on Start"));
    mnuLoad->setCheckable(true);
    mnuRescan = mnuFile->addAction(QStringLiteral("&Rescan after a USB change"));
    mnuRescan->setCheckable(true);
    mnuRescan->setObjectName(QStringLiteral("mnuRescan"));
    mnuOpen = mnuFile->addAction(QStringLiteral("&Load"));
    mnuEdit = mnuFile->addAction(QStringLiteral("&Edit"));
    mnuNew = mnuFile->addAction(QStringLiteral("&New"));
    mnuTransfer = mnuFile->addAction(QStringLiteral("&Dowload file to Rx"));
    mnuUpload = mnuFile->addAction(QStringLiteral("&Upload file from Rx"));
    mnuFile->addSeparator();
    mnuShowSheet = mnuFile->addAction(QStringLiteral("&Print show sheet..."));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    // View: the meter cells in the layout's own grid, or in the grid that fills the window.
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    auto* arrangements = new QActionGroup(view);
    for (const auto& [arrangement, text, name] :
         {std::tuple{PanelArrangement::Native, "&Native arrangement", "mnuNativeArrangement"},
          std::tuple{PanelArrangement::Wide, "&Wide arrangement", "mnuWideArrangement"}}) {
        QAction* item = view->addAction(QString::fromLatin1(text));
        arrangementItems_[static_cast<std::size_t>(arrangement)] = item;
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        arrangements->addAction(item);
        // The tick follows the controller, never the click itself: the station decides.
        connect(item, &QAction::triggered, this, [this, chosen = arrangement] {
            controller_.MenuArrangement(chosen);
            refresh();
        });
    }
    QMenu* mnuCoordination = menuBar()->addMenu(QStringLiteral("&Coordination"));
    mnuCoordination->setObjectName(QStringLiteral("mnuCoordination"));
    mnuCheckRack = mnuCoordination->addAction(QStringLiteral("&Check rack"));
    mnuCheckRack->setObjectName(QStringLiteral("mnuCheckRack"));
    mnuCoordinateRack = mnuCoordination->addAction(QStringLiteral("C&oordinate rack..."));
    mnuCoordinateRack->setObjectName(QStringLiteral("mnuCoordinateRack"));
    mnuAlerts = menuBar()->addAction(QStringLiteral("Alerts"));
    QMenu* history = menuBar()->addMenu(QStringLiteral("History"));
    mnuHistory = history->addAction(QStringLiteral("&Meter history"));
    mnuHistoryExport = history->addAction(QStringLiteral("&Export history to CSV..."));
    view->addSeparator();
    mnuCrewView = view->addAction(QStringLiteral("&Crew view..."));
    mnuCrewView->setObjectName(QStringLiteral("mnuCrewView"));
    mnuLabels = view->addAction(QStringLiteral("&Labels..."));
    mnuLabels->setObjectName(QStringLiteral("mnuLabels"));
    mnuAbout = menuBar()->addAction(QStringLiteral("About"));
    mnuLoad->setObjectName(QStringLiteral("mnuLoad"));
    mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuNew->setObjectName(QStringLiteral("mnuNew"));
    mnuTransfer->setObjectName(QStringLiteral("mnuTransfer"));
    mnuUpload->setObjectName(QStringLiteral("mnuUpload"));
    mnuShowSheet->setObjectName(QStringLiteral("mnuShowSheet"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuAlerts->setObjectName(QStringLiteral("mnuAlerts"));
    mnuHistory->setObjectName(QStringLiteral("mnuHistory"));
    mnuHistoryExport->setObjectName(QStringLiteral("mnuHistoryExport"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    // The tick follows the controller, never the click itself: the station decides.
    connect(mnuLoad, &QAction::triggered, this, [this] {
        controller_.MenuLoadLastFile();
        refresh();
    });
    connect(mnuRescan, &QAction::triggered, this, [this] {
        controller_.MenuRescanSetting();
        refresh();
    });
    connect(mnuOpen, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::Open); });
    connect(mnuEdit, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::Edit); });
    connect(mnuNew, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::New); });
    connect(mnuTransfer, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::Transfer); });
    connect(mnuUpload, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::Upload); });
    connect(mnuShowSheet, &QAction::triggered, this,
            [this] { controller_.MenuFileCommand(FileCommand::ShowSheet); });
    connect(mnuExit, &QAction::triggered, this, [this] { controller_.MenuExit(); });
    const auto forward = [this](QAction* action, WindowCommand command) {
        connect(action, &QAction::triggered, this,
                [this, command] { controller_.MenuWindowCommand(command); });
    };
    forward(mnuAlerts, WindowCommand::Alerts);
    forward(mnuCheckRack, WindowCommand::CheckRack);
    forward(mnuCoordinateRack, WindowCommand::CoordinateRack);
    forward(mnuHistory, WindowCommand::History);
    forward(mnuHistoryExport, WindowCommand::HistoryExport);
    forward(mnuCrewView, WindowCommand::CrewView);
    forward(mnuLabels, WindowCommand::Labels);
    connect(mnuAbout, &QAction::triggered, this, [this] { controller_.MenuAbout(); });

    panelArea_ = new QWidget(this);
    panelArea_->setObjectName(QStringLiteral("picVU"));
    panelArea_->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(panelArea_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeAlarmBanner());
    setCentralWidget(panelArea_);
    ApplyPlacement({kMeterPanelDesignSize, WindowMode::Normal});

    // The notice sits in the menu bar's free corner: over the meter panel it would hide names
    // and frequencies in some layout or arrangement, and a line of its own would shrink the
    // panel while it shows. It is no taller than the menu bar, so showing it moves nothing.
    meterNotice_ = new QLabel(menuBar());
    meterNotice_->setObjectName(QStringLiteral("meterNotice"));
    meterNotice_->setAlignment(Qt::AlignCenter);
    meterNotice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    meterNotice_->setStyleSheet(QStringLiteral("QLabel { background: #3a2e00; color: #ffd84a; "
                                               "font-weight: bold; padding: 0px 8px; }"));
    meterNotice_->setMaximumHeight(menuBar()->sizeHint().height());
    meterNotice_->hide();
    menuBar()->setCornerWidget(meterNotice_, Qt::TopRightCorner);

    // The controller outlives the window: a change after the window is gone reaches nobody.
    controller_.AddObserver([self = QPointer<MainWindow>(this)] {
        if (self) {
            self->refresh();
        }
    });
    refresh();
}

QWidget* MainWindow::makeAlarmBanner() {
    // Nothing in it takes the keyboard focus: the panel keeps the keys (A acknowledges too).
    alarmBanner_ = new QWidget(panelArea_);
    alarmBanner_->setObjectName(QStringLiteral("alarmBanner"));
    alarmBanner_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    alarmBanner_->setFocusPolicy(Qt::NoFocus);
    alarmBanner_->setAttribute(Qt::WA_StyledBackground);
    alarmBanner_->setStyleSheet(
        QStringLiteral("#alarmBanner { background: #b00000; } QLabel { color: white; "
                       "font-weight: bold; } QPushButton { padding: 1px 10px; }"));
    alarmText_ = new QLabel(alarmBanner_);
    alarmText_->setObjectName(QStringLiteral("alarmBannerText"));
    alarmText_->setFocusPolicy(Qt::NoFocus);
    auto* acknowledge = new QPushButton(QStringLiteral("Acknowledge"), alarmBanner_);
    acknowledge->setObjectName(QStringLiteral("alarmBannerAcknowledge"));
    acknowledge->setFocusPolicy(Qt::NoFocus);
    acknowledge->setToolTip(QStringLiteral("Acknowledges this alarm (key A)"));
    connect(acknowledge, &QPushButton::clicked, this, [this] { controller_.BannerAcknowledge(); });
    auto* row = new QHBoxLayout(alarmBanner_);
    row->setContentsMargins(8, 2, 8, 2);
    row->addWidget(alarmText_, 1);
    row->addWidget(acknowledge);
    alarmBanner_->hide();
    return alarmBanner_;
}

void MainWindow::SetMeterPanel(QWidget* panel) {
    // The panel takes all the height the banner leaves.
    static_cast<QBoxLayout*>(panelArea_->layout())->addWidget(panel, 1);
}

void MainWindow::ApplyPlacement(const WindowPlacement& placement) {
    // The window is measured around a panel area of the wanted size, then left free to resize.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    panelArea_->setFixedSize(placement.client);
    adjustSize();
    const QSize window = size();
    panelArea_->setMinimumSize(kMinimumPanelArea);
    panelArea_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The window's limits are settled now, before a window system's window exists (the start-up
    // dialog, shown next, makes it): set later, they are sent to the window system again.
    layout()->activate();
    resize(window);
    move(0, 0);
    if (placement.mode == WindowMode::Maximized) {
        setWindowState(Qt::WindowMaximized);
    } else if (placement.mode == WindowMode::FullScreen) {
        setWindowState(Qt::WindowFullScreen);
    }
}

WindowPlacement MainWindow::placement() const {
    WindowPlacement left;
    const Qt::WindowStates state = windowState();
    left.mode = state & Qt::WindowFullScreen  ? WindowMode::FullScreen
                : state & Qt::WindowMaximized ? WindowMode::Maximized
                                              : WindowMode::Normal;
    // The menu bar's share is the same in every state.
    const QSize around = size() - panelArea_->size();
    left.client =
        left.mode == WindowMode::Normal ? panelArea_->size() : normalGeometry().size() - around;
    return left;
}

void MainWindow::ToggleFullScreen() {
    // A maximised window comes back maximised.
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        controller_.KeyPressed(MainWindowController::kEscapeKey);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_A && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        controller_.KeyPressed(MainWindowController::kAcknowledgeKey);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F11 || event->matches(QKeySequence::FullScreen)) {
        ToggleFullScreen();
        event->accept();
        return;
    }
    event->ignore();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (controller_.CloseRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::refresh() {
    const MainWindowState& state = controller_.state();
    setWindowTitle(state.caption);
    for (QAction* action :
         {mnuLoad, mnuOpen, mnuEdit, mnuNew, mnuTransfer, mnuUpload, mnuShowSheet}) {
        action->setVisible(state.fileCommandsVisible);
    }
    for (QAction* action : {mnuOpen, mnuEdit, mnuNew, mnuTransfer, mnuUpload, mnuShowSheet}) {
        action->setEnabled(state.fileCommandsEnabled);
    }
    // Checking needs a settled rack; coordinating programs it, as a file load does.
    mnuCheckRack->setEnabled(state.fileCommandsEnabled);
    mnuCoordinateRack->setVisible(state.fileCommandsVisible);
    mnuCoordinateRack->setEnabled(state.fileCommandsEnabled);
    if (meterNotice_->text() != state.meterNotice) {
        meterNotice_->setText(state.meterNotice);
    }
    meterNotice_->setVisible(!state.meterNotice.isEmpty());
    mnuLoad->setChecked(state.loadLastFileChecked);
    mnuRescan->setChecked(state.rescanAfterUsbChangeChecked);
    mnuAlerts->setText(state.alertsCaption);
    if (!state.alarmBanner.isEmpty()) {
        alarmText_->setText(state.alarmBanner + QStringLiteral(" -"));
    }
    alarmBanner_->setVisible(!state.alarmBanner.isEmpty());
    arrangementItems_[static_cast<std::size_t>(state.arrangement)]->setChecked(true);
    if (state.meterPanelFocusRequests != focusRequestsSeen_) {
        focusRequestsSeen_ = state.meterPanelFocusRequests;
        panelArea_->setFocus();
    }
}

} // namespace k7
