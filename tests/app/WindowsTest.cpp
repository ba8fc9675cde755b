// The windows' wiring on the offscreen platform: keys, menus and the close box reach the main
// window's controller; the start-up dialog shows its controller's state and hands on its clicks;
// the About box's texts and its system information button.
#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/MainWindowController.h"
#include "app/StartupDialog.h"
#include "app/StartupDialogController.h"
#include "app/StartupRules.h"
#include "support/FindChild.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompter.h"
#include "support/ShellDoubles.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace k7 {

using test::RecordingDialogActions;
using test::RecordingWindowActions;

class WindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void mainWindowRoutesTheThreeExitSources() {
        RecordingWindowActions actions;
        MainWindowController controller(actions);
        MainWindow window(controller);
        window.show();
        QTest::keyClick(&window, Qt::Key_A);
        QTest::keyClick(&window, Qt::Key_Escape);
        test::Find(window, "mnuExit")->trigger();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(actions.exits,
                 (std::vector<ExitSource>{ExitSource::EscapeKey, ExitSource::MenuExit,
                                          ExitSource::CloseBox}));
        controller.SetExitConfirmed(true);
        QVERIFY(window.close());
        QCOMPARE(actions.exits.size(), std::size_t{3});
    }

    void mainWindowShowsCaptionMenusAndTick() {
        RecordingWindowActions actions;
        MainWindowController controller(actions);
        MainWindow window(controller);
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltora Systems K7.5 Monitor"));
        QCOMPARE(test::Find(window, "mnuLoad")->text(), QStringLiteral("&Load last file on Start"));
        QCOMPARE(test::Find(window, "mnuTransfer")->text(), QStringLiteral("&Dowload file to Rx"));
        QCOMPARE(test::Find(window, "mnuShowSheet")->text(),
                 QStringLiteral("&Print show sheet..."));
        QCOMPARE(test::Find(window, "mnuExit")->text(), QStringLiteral("E&xit"));
        controller.SetTitleBase(QStringLiteral("Base "));
        controller.ShowTitleSuffix(QStringLiteral("FILE: Band1"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Base FILE: Band1"));

        test::Find(window, "mnuLoad")->trigger();
        QCOMPARE(actions.toggles, 1);
        QVERIFY2(!test::Find(window, "mnuLoad")->isChecked(),
                 "the tick follows the station, not the click");
        controller.SetLoadLastFileChecked(true);
        QVERIFY(test::Find(window, "mnuLoad")->isChecked());
        // "Rescan after a USB change" sits below it and ticks the same way.
        QAction* rescan = test::Find(window, "mnuRescan");
        auto* menu = qobject_cast<QWidget*>(rescan->parent());
        QVERIFY(menu != nullptr);
        const QList<QAction*> file = menu->actions();
        QCOMPARE(file.indexOf(rescan), file.indexOf(test::Find(window, "mnuLoad")) + 1);
        QCOMPARE(rescan->text(), QStringLiteral("&Rescan after a USB change"));
        QVERIFY(rescan->isCheckable());
        rescan->trigger();
        QCOMPARE(actions.rescanToggles, 1);
        QVERIFY(!rescan->isChecked());
        controller.SetRescanAfterUsbChangeChecked(true);
        QVERIFY(rescan->isChecked());
        test::Find(window, "mnuOpen")->trigger(); // greyed until the station says the rack meters
        QVERIFY(actions.commands.empty());
        QVERIFY(test::Find(window, "mnuLoad")->isEnabled());
        controller.SetFileCommandsEnabled(true);
        test::Find(window, "mnuOpen")->trigger();
        test::Find(window, "mnuUpload")->trigger();
        test::Find(window, "mnuShowSheet")->trigger();
        QCOMPARE(actions.commands, (std::vector<FileCommand>{FileCommand::Open, FileCommand::Upload,
                                                             FileCommand::ShowSheet}));
        controller.SetFileCommandsEnabled(false);
        QVERIFY(!test::Find(window, "mnuEdit")->isEnabled());
        QVERIFY(!test::Find(window, "mnuTransfer")->isEnabled());

        controller.HideFileCommands();
        for (const char* name : {"mnuLoad", "mnuOpen", "mnuEdit", "mnuNew", "mnuTransfer",
                                 "mnuUpload", "mnuShowSheet"}) {
            QVERIFY(!test::Find(window, name)->isVisible());
        }
        QVERIFY(test::Find(window, "mnuExit")->isVisible());
        QVERIFY(test::Find(window, "mnuAbout")->isVisible());

        // The monitor's and the rack's menus reach the controller too (the Alerts menu's count:
        // StationWindowsTest).
        controller.SetFileCommandsEnabled(true); // Check rack needs the metering rack
        for (const char* name : {"mnuAlerts", "mnuHistory", "mnuHistoryExport", "mnuCheckRack"}) {
            test::Find(window, name)->trigger();
        }
        QCOMPARE(actions.windows, (std::vector<WindowCommand>{
                                      WindowCommand::Alerts, WindowCommand::History,
                                      WindowCommand::HistoryExport, WindowCommand::CheckRack}));

        // View: the arrangement asked for, the tick where the station puts it.
        QAction* native = test::Find(window, "mnuNativeArrangement");
        QAction* wide = test::Find(window, "mnuWideArrangement");
        QVERIFY(native->isChecked());
        wide->trigger();
        QCOMPARE(actions.arrangements, std::vector<PanelArrangement>{PanelArrangement::Wide});
        QVERIFY(native->isChecked() && !wide->isChecked());
        controller.SetArrangement(PanelArrangement::Wide);
        QVERIFY(wide->isChecked() && !native->isChecked());
    }

    void mainWindowTakesItsPlacementResizesAndGoesFullScreenAndBack() {
        RecordingWindowActions actions;
        MainWindowController controller(actions);
        MainWindow window(controller);
        auto* panel = new QWidget;
        window.SetMeterPanel(panel);
        window.ApplyPlacement({SizeForDevices(1).client, WindowMode::Normal});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* area = test::Find<QWidget>(window, "picVU");
        QCOMPARE(area->size(), QSize(200, 350));
        QCOMPARE(panel->size(), QSize(200, 350));
        QCOMPARE(window.pos(), QPoint(0, 0));
        // Nothing holds the window at the rack's size: the panel grows with it.
        window.resize(window.size() + QSize(300, 150));
        QTRY_COMPARE(area->size(), QSize(500, 500));
        QCOMPARE(panel->size(), QSize(500, 500));
        QCOMPARE(window.placement(), (WindowPlacement{{500, 500}, WindowMode::Normal}));
        const QRect normal = window.geometry();

        QTest::keyClick(&window, Qt::Key_F11);
        QTRY_VERIFY(window.isFullScreen());
        QTRY_COMPARE(window.geometry(), window.screen()->geometry());
        QCOMPARE(window.placement(), (WindowPlacement{{500, 500}, WindowMode::FullScreen}));
        // Escape keeps its meaning: the exit request, full screen or not.
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(actions.exits, std::vector<ExitSource>{ExitSource::EscapeKey});
        QVERIFY(window.isFullScreen());

        QTest::keyClick(&window, Qt::Key_F11);
        QTRY_VERIFY(!window.isFullScreen());
        QTRY_COMPARE(window.geometry(), normal);
        QCOMPARE(area->size(), QSize(500, 500));

        // A maximised window goes full screen and comes back maximised.
        window.showMaximized();
        QTRY_VERIFY(window.isMaximized());
        window.ToggleFullScreen();
        QTRY_VERIFY(window.isFullScreen());
        window.ToggleFullScreen();
        QTRY_VERIFY(!window.isFullScreen());
        QVERIFY(window.isMaximized());
        QCOMPARE(window.placement(), (WindowPlacement{{500, 500}, WindowMode::Maximized}));
    }

    void startupDialogShowsItsControllerAndForwardsClicks() {
        test::ManualClock clock;
        RecordingDialogActions actions;
        StartupDialogController controller(clock, actions);
        controller.Load(1, 0, 0);
        QWidget main;
        // Inside the screen with its frame: the dialog belongs to it, and a window system keeps
        // a window that belongs to another on the screen.
        main.setGeometry(100, 80, 601, 372);
        int devices = 3;
        StartupDialog dialog(controller, &main, devices);
        const auto text = [&](const char* name) {
            return test::Find<QLabel>(dialog, name)->text();
        };
        const auto shown = [&](const char* name) {
            return test::Find<QWidget>(dialog, name)->isVisible();
        };
        const auto click = [&](const char* name) {
            QTest::mouseClick(test::Find<QPushButton>(dialog, name), Qt::LeftButton);
        };
        QVERIFY(!dialog.isVisible());
        QCOMPARE(text("lblV"), QStringLiteral("Ver: 1.0.0"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Veltora K7 Series monitoring "));

        controller.ShowProgress();
        QVERIFY(dialog.isVisible());
        QVERIFY(shown("picture"));
        QVERIFY(!shown("cmdContinue") && !shown("cmdClose"));
        // Three devices: the dialog sits on the main window's corner (give or take the frame,
        // which the platform draws around a window that belongs to another).
        const QPoint corner = dialog.pos() - main.frameGeometry().topLeft();
        QVERIFY2(std::abs(corner.x()) <= 2 && std::abs(corner.y()) <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(corner.x()).arg(corner.y())));

        controller.SetReceiverCount(QStringLiteral("3 K7.5s"));
        controller.SetActivity(QStringLiteral("Opening Rx: "));
        controller.SetReceiverNumber(QStringLiteral("2"));
        QCOMPARE(text("receiverCount"), QStringLiteral("3 K7.5s"));
        QCOMPARE(text("lblRx"), QStringLiteral("Opening Rx: "));
        QCOMPARE(text("lblRxNo"), QStringLiteral("2"));

        controller.ShowQuery();
        QVERIFY(shown("frQuery") && !shown("picture"));
        clock.advanceMs(1000);
        QCOMPARE(text("lblFSec"), QStringLiteral("10 Seconds"));
        click("cmdYes");
        QCOMPARE(actions.answers, std::vector<bool>{true});

        controller.ShowExitConfirmation();
        QVERIFY(shown("cmdContinue") && shown("cmdClose"));
        click("cmdContinue");
        QCOMPARE(actions.continues, 1);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY2(dialog.isVisible(), "Escape does not hide the dialog behind its controller");

        controller.ShowCloseCountdown();
        QVERIFY(shown("frClose") && !shown("cmdContinue"));
        QVERIFY(shown("cmdRescan"));
        const auto labels = test::Find<QGroupBox>(dialog, "frClose")->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->isVisible() &&
                   label->text() == QStringLiteral("Or check the connections and choose Rescan.");
        }));
        click("cmdRescan");
        QCOMPARE(actions.rescans, 1);
        controller.ShowCloseCountdown();
        click("cmdClose");
        QCOMPARE(actions.closes, 1);
        controller.HideDialog();
        QVERIFY(!dialog.isVisible());
    }

    void aboutBoxTextsAndSystemInformation() {
        test::ScriptedPrompter prompter;
        AboutBox about(prompter);
        const auto text = [&](const char* name) { return test::Find<QLabel>(about, name)->text(); };
        const auto click = [&](const char* name) {
            QTest::mouseClick(test::Find<QPushButton>(about, name), Qt::LeftButton);
        };
        QCOMPARE(about.windowTitle(), QStringLiteral("About K7"));
        QVERIFY(text("lblVersion").startsWith(QStringLiteral("Version ")));
        QCOMPARE(text("lblDescription"),
                 QStringLiteral("Veltora K7 series\nRadio microphone monitoring"));
        QVERIFY(!text("lblDisclaimer").isEmpty());
        about.show();
        click("cmdSysInfo");
        QCOMPARE(prompter.boxes.size(), std::size_t{1});
        QCOMPARE(prompter.boxes[0].text,
                 QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(prompter.boxes[0].icon, MsgIcon::None);
        QCOMPARE(prompter.boxes[0].buttons, MsgButtons::OK);
        QVERIFY2(about.isVisible(), "the About box stays open");
        click("cmdOK");
        QVERIFY(!about.isVisible());
    }
};

} // namespace k7

QTEST_MAIN(k7::WindowsTest)
#include "WindowsTest.moc"
