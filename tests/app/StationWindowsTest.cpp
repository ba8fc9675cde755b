// The program's windows over a whole station on the simulated rack, wired by StationWindows:
// menus, cells, settings, the stop, alerts, the rack's coordination and
// the receivers' labels reach the screen.
#include "app/StationWindows.h"
#include "app/LabelsTableModel.h"
#include "app/QtPrompter.h"
#include "display/MeterPanelWidget.h"
#include "editor/CoordinateDialog.h"
#include "monitor/AlertsTableModel.h"
#include "support/FindChild.h"
#include "support/ModalWork.h"
#include "support/StationRig.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

namespace k7 {

class StationWindowsTest : public QObject {
    Q_OBJECT

    static StationWindowsOptions Options(const QString& snapshot = {}) {
        return StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), snapshot};
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void fromStartToTheStopTheWindowsFollowTheStation() {
        test::StationRig rig(test::RackOf(3));
        Station& station = *rig.station;
        const QString snapshot = rig.dir.filePath(QStringLiteral("panel.png"));
        StationWindows windows(station, Options(snapshot));
        QVERIFY(!windows.mainWindow().isVisible());
        QVERIFY(station.Start());
        QVERIFY(windows.mainWindow().isVisible());
        const auto* panelArea = test::Find<QWidget>(windows.mainWindow(), "picVU");
        QCOMPARE(windows.meterPanelWidget().parentWidget(), panelArea);
        // No window remembered for three receivers: the rack's own size.
        QTRY_COMPARE(panelArea->size(), QSize(600, 350));
        QVERIFY(windows.startupDialog().isVisible());
        QVERIFY(windows.meterPanel().IsSetUp());

        QVERIFY(rig.RunToMonitoring());
        QVERIFY(!windows.startupDialog().isVisible());
        rig.clock.advanceMs(1000);            // every cell drawn live: the test of every layout
        QVERIFY(rig.display.draws.isEmpty()); // the real panel took the test's display's place
        QVERIFY(rig.prompter.boxes.empty());

        test::Find(windows.mainWindow(), "mnuAbout")->trigger();
        QVERIFY(windows.aboutBox().isVisible());

        // The windows carry the station's icon (the meter bridge: a lit green segment at the foot
        // of the first column) and the desktop entry's id.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("com.veltora.k7station"));
        for (QWidget* window : {static_cast<QWidget*>(&windows.mainWindow()),
                                static_cast<QWidget*>(&windows.aboutBox())}) {
            const QImage icon = window->windowIcon().pixmap(32).toImage();
            QCOMPARE(icon.size(), QSize(32, 32));
            QCOMPARE(icon.pixelColor(6, 26), QColor(0x2c, 0xd6, 0x54));
            QCOMPARE(icon.pixelColor(6, 5), QColor(0x39, 0x0b, 0x0a)); // a dark red segment
        }

        // Check rack: the conflicts on the cells' tool tips (its box: RackCoordinationTest).
        station.core().settings().Current(1).Frequency = QStringLiteral("610.000");
        station.core().settings().Current(2).Frequency = QStringLiteral("610.100");
        station.core().settings().Current(3).Frequency = QStringLiteral("615.000");
        test::Find(windows.mainWindow(), "mnuCheckRack")->trigger();
        const auto tip = [&](int slot) {
            return windows.meterPanelWidget().toolTipAt(
                windows.meterPanel().CellRect(slot).center());
        };
        QVERIFY2(tip(1).contains(QStringLiteral("spacing: 100 kHz from slot 2")),
                 qPrintable(tip(1)));
        QCOMPARE(tip(3), MeterPanelWidget::toolTipText());

        // The stop saves the panel's snapshot and releases the graphics.
        station.RequestExit(ExitSource::EscapeKey);
        station.CloseNow();
        QVERIFY(station.Stopped());
        QVERIFY(QFileInfo(snapshot).size() > 0);
        QVERIFY(!windows.meterPanel().IsSetUp());
    }

    // File > New opens the editor's window over the paused meters, its Finish closes it, and
    // File > Load takes the file into the rack (what the commands do: FileCommandsTest; the
    // notice shown and hidden: the test of every layout).
    void theFileMenuOpensTheEditorOverThePausedMetersAndLoadsItsFile() {
        test::StationRig rig(test::RackOf(3));
        StationWindows windows(*rig.station, Options());
        MainWindow& main = windows.mainWindow();
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        const QString show = QDir(rig.station->core().frq().dataFolder()).filePath("Show.frq");
        rig.chooser.choices = {show};
        test::Find(main, "mnuNew")->trigger();
        EditorWindow& editor = windows.editorWindow();
        QVERIFY(editor.isVisible());
        QCOMPARE(test::Find<QLabel>(main, "meterNotice")->text(), Station::MeterPausedText());
        QTest::mouseClick(test::Find<QPushButton>(editor, "cmdFinish"), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QVERIFY(rig.Monitoring());

        rig.chooser.choices = {show};
        test::Find(main, "mnuOpen")->trigger();
        QVERIFY(rig.RunToMonitoring());
        QVERIFY(main.windowTitle().endsWith(QStringLiteral("FILE: Show")));
        QCOMPARE(QByteArray(rig.simRack.receiver(0).name().data(), 6), QByteArray("User_1"));
        rig.station->CloseNow();
    }

    void theWindowLeftLastTimeIsTakenAndRememberedAgain() {
        const QString section = QStringLiteral("Settings");
        const QString key = QStringLiteral("PanelWindow");
        test::StationRig rig(test::RackOf(8));
        rig.settings.SaveSetting(section, key, QStringLiteral("8 1000x875 fullscreen"));
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        MainWindow& window = windows.mainWindow();
        QTRY_VERIFY(window.isFullScreen());
        QVERIFY(rig.RunToMonitoring());

        // Back from full screen: the size left last time, the panel at 1.25 times its own.
        QTest::keyClick(&window, Qt::Key_F11);
        QTRY_VERIFY(!window.isFullScreen());
        QTRY_COMPARE(test::Find<QWidget>(window, "picVU")->size(), QSize(1000, 875));
        MeterPanelWidget& cells = windows.meterPanelWidget();
        QCOMPARE(cells.scale().factor(), 1.25);
        // Slot 6 (panel pixel 250, 400); the control panel keeps its place on the screen.
        const QPointF cell6(313, 500);
        QMouseEvent click(QEvent::MouseButtonRelease, cell6, cells.mapToGlobal(cell6),
                          Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&cells, &click);
        QCOMPARE(rig.station->core().rack().SelectedSlot, 6);
        QVERIFY(windows.receiverPanelWindow().isVisible());
        QCOMPARE(windows.receiverPanelWindow().pos(), QPoint(5, 389));

        rig.station->RequestExit(ExitSource::EscapeKey);
        rig.station->CloseNow();
        QCOMPARE(rig.Setting(section, key), QStringLiteral("8 1000x875 normal"));
        // Another rack size gets its own size instead (PanelWindowSettingTest; the rack's own
        // size on the screen: the first test).
    }

    void theArrangementIsChosenInTheViewMenuAndKeptForTheRackSize() {
        // Five receivers wide in a 1920 x 1080 window: one row of five cells.
        test::StationRig rig(test::RackOf(5));
        const QString section = QStringLiteral("Settings");
        rig.settings.SaveSetting(section, QStringLiteral("Arrangement"), QStringLiteral("5 wide"));
        rig.settings.SaveSetting(section, QStringLiteral("PanelWindow"),
                                 QStringLiteral("5 1920x1080 normal"));
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        QTRY_COMPARE(windows.meterPanelWidget().panelSize(), QSize(1000, 350));
        QVERIFY(windows.mainWindow().findChild<QAction*>("mnuWideArrangement")->isChecked());
        windows.mainWindow().findChild<QAction*>("mnuNativeArrangement")->trigger();
        QCOMPARE(rig.Setting(section, QStringLiteral("Arrangement")), QStringLiteral("5 native"));
        QCOMPARE(windows.meterPanelWidget().panelSize(), QSize(800, 700));
        QCOMPARE(windows.meterPanel().CellRect(5), QRect(0, 350, 200, 350));
        rig.station->CloseNow();
    }

    // In every layout every cell is drawn live, and nothing covers a cell: the alarm banner takes
    // a line of its own above the meter panel and no keyboard focus, the alarmed cell's frame
    // flashes, and the banner goes when the key A and its Acknowledge have acknowledged the
    // alarms; "Metering paused while the editor is open", native and wide, lies outside the
    // panel, whole, and showing it moves nothing.
    void everyCellIsLiveAndNeitherTheAlarmBannerNorTheEditorsNoticeCoversOne() {
        for (const int receivers : {8, 16, 24, 40}) {
            sim::Scenario scenario = test::RackOf(receivers);
            for (auto& receiver : scenario.receivers) {
                receiver.mute = 1; // RF always over the threshold: no cell is drawn muted
                receiver.rf = {200, 250};
            }
            test::StationRig rig(scenario);
            Station& station = *rig.station;
            StationWindows windows(station, Options());
            QVERIFY(station.Start());
            QVERIFY(rig.RunToMonitoring());
            rig.clock.advanceMs(1000);
            for (int slot = 1; slot <= receivers; ++slot) {
                QVERIFY2(windows.meterPanel().LiveDrawn(slot),
                         qPrintable(QStringLiteral("%1 of %2").arg(slot).arg(receivers)));
            }
            MainWindow& main = windows.mainWindow();
            const MeterPanelWidget& cells = windows.meterPanelWidget();
            const auto rectOf = [&main](const QWidget* widget) {
                return QRect(widget->mapTo(&main, QPoint(0, 0)), widget->size());
            };

            auto* banner = test::Find<QWidget>(main, "alarmBanner");
            QVERIFY(!banner->isVisible());
            for (const auto& [kind, slot] :
                 {std::pair{AlertKind::RfLost, 1}, std::pair{AlertKind::Battery, receivers}}) {
                const std::int64_t now = rig.clock.nowMicros();
                station.core().monitor().alerts().Start(kind, slot,
                                                        station.core().monitor().nameOf(slot), now,
                                                        now, QDateTime::currentDateTime(), {});
            }
            test::Find<QWidget>(main, "picVU")->layout()->activate();
            QCoreApplication::processEvents();
            QVERIFY(banner->isVisible());
            QCOMPARE(test::Find<QLabel>(main, "alarmBannerText")->text(),
                     QStringLiteral("Battery low: %1 (slot %2) and 1 more alarm -")
                         .arg(station.core().monitor().nameOf(receivers))
                         .arg(receivers));
            QVERIFY2(!rectOf(banner).intersects(rectOf(&cells)),
                     qPrintable(QString::number(receivers)));
            QList<QWidget*> parts = banner->findChildren<QWidget*>();
            parts << banner;
            for (QWidget* part : parts) {
                QCOMPARE(part->focusPolicy(), Qt::NoFocus);
            }
            const bool lit = windows.meterPanel().cellFrame(receivers).shown();
            rig.clock.advanceMs(250);
            QCOMPARE(windows.meterPanel().cellFrame(receivers).shown(), !lit);
            QVERIFY(windows.meterPanel().cellFrame(1).shown() == !lit);
            QTest::keyClick(&main, Qt::Key_A);
            QCOMPARE(station.core().alarms().unacknowledged().size(), std::size_t{1});
            test::Find<QPushButton>(main, "alarmBannerAcknowledge")->click();
            QVERIFY(station.core().alarms().unacknowledged().empty());
            QVERIFY(!banner->isVisible());
            QVERIFY2(windows.meterPanel().cellFrame(receivers).shown(), "a steady frame stays");

            auto* notice = test::Find<QLabel>(main, "meterNotice");
            for (const auto& [arrangement, size] :
                 {std::pair{"mnuNativeArrangement", QSize()},
                  std::pair{"mnuWideArrangement", QSize(1600, 620)}}) {
                const QString where = QStringLiteral("%1 receivers, %2")
                                          .arg(receivers)
                                          .arg(QLatin1String(arrangement));
                test::Find(main, arrangement)->trigger();
                if (size.isValid()) {
                    main.resize(size);
                }
                QTest::qWait(20);
                const QRect panel = rectOf(&cells);
                station.window().MenuFileCommand(FileCommand::Upload);
                QVERIFY2(notice->isVisible(), qPrintable(where));
                QTest::qWait(20);
                QVERIFY2(!rectOf(notice).intersects(panel), qPrintable(where));
                QVERIFY2(notice->width() >= notice->sizeHint().width(), qPrintable(where));
                QCOMPARE(rectOf(&cells), panel);
                station.core().editor().Finish();
                QVERIFY2(!notice->isVisible(), qPrintable(where));
            }
            station.CloseNow();
        }
    }

    void alertsMarkTheirCellsAndListInTheAlertsWindowNewestFirst() {
        sim::Scenario scenario = test::RackOf(3);
        for (auto& receiver : scenario.receivers) {
            receiver.mute = 1;
            receiver.rf = {200, 250};
        }
        scenario.receivers[1].levels = {{5000, std::array{0, 0}, {}, {}},
                                        {7000, std::array{200, 250}, {}, {}}};
        scenario.receivers[2].levels = {{6000, std::array{0, 0}, {}, {}}};
        test::StationRig rig(scenario);
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        rig.clock.advanceMs(9000 - rig.clock.nowMs());
        // RF lost is an alarm: acknowledged, its frames stop flashing and stay steady.
        rig.station->core().alarms().AcknowledgeAll();

        const QColor red = AlertColour(AlertKind::RfLost);
        QCOMPARE(windows.meterPanel().cellFrame(3), (CellFrame{red, false}));
        QCOMPARE(windows.meterPanel().cellFrame(2), (CellFrame{red, true}));
        QVERIFY(!windows.meterPanel().cellFrame(1).shown());
        QCOMPARE(test::Find(windows.mainWindow(), "mnuAlerts")->text(),
                 QStringLiteral("Alerts (1)"));

        test::Find(windows.mainWindow(), "mnuAlerts")->trigger();
        AlertsWindow& alerts = windows.alertsWindow();
        QVERIFY(alerts.isVisible());
        QCOMPARE(alerts.windowModality(), Qt::NonModal);
        const AlertsTableModel& model = alerts.model();
        QCOMPARE(model.rowCount(), 2);
        const auto cell = [&model](int row, int column) {
            return model.data(model.index(row, column)).toString();
        };
        QCOMPARE(cell(0, AlertsTableModel::SlotColumn), QStringLiteral("3"));
        QCOMPARE(cell(0, AlertsTableModel::KindColumn), QStringLiteral("RF lost"));
        QCOMPARE(cell(0, AlertsTableModel::DurationColumn), QStringLiteral("active"));
        QCOMPARE(cell(1, AlertsTableModel::SlotColumn), QStringLiteral("2"));
        QCOMPARE(cell(1, AlertsTableModel::NameColumn), rig.station->core().rack().CurData[2].Name);
        QVERIFY(cell(1, AlertsTableModel::DurationColumn).endsWith(QStringLiteral(" s")));
        QCOMPARE(cell(1, AlertsTableModel::TimeColumn).size(), 8); // HH:mm:ss

        alerts.acknowledgeButton()->click();
        QVERIFY(!windows.meterPanel().cellFrame(2).shown());
        QCOMPARE(windows.meterPanel().cellFrame(3), (CellFrame{red, false}));
        QCOMPARE(model.rowCount(), 2); // the list keeps them
        rig.station->CloseNow();
        QCOMPARE(test::Find(windows.mainWindow(), "mnuAlerts")->text(), QStringLiteral("Alerts"));
    }

    // 20 receivers of band 34 and 20 of band 36, all crowded around 640 MHz, coordinated from
    // the menu under spacing and IM3 alone: with all four default rules the two bands hold
    // only about 29 clean carriers between them, under these 40 fit.
    void coordinateRackProgramsARackOfTwoBandsClean() {
        sim::Scenario scenario = test::RackOf(40);
        for (int i = 0; i < 40; ++i) {
            sim::ReceiverSetup& receiver = scenario.receivers[static_cast<std::size_t>(i)];
            if (i < 20) {
                receiver.serial.replace(0, 2, QStringLiteral("5I"));
            }
            receiver.frequency = {64, 0, static_cast<std::uint8_t>(i % 4 * 25)}; // 640.000 ...
        }
        test::StationRig rig(scenario);
        Station& station = *rig.station;
        StationWindows windows(station, Options());
        QVERIFY(station.Start());
        QVERIFY(rig.RunToMonitoring());
        // Checked as it stands: every receiver hit, the message cut, the table on "Yes".
        rig.prompter.answers = {MsgAnswer::Yes};
        test::Find(windows.mainWindow(), "mnuCheckRack")->trigger();
        const QString checked = rig.prompter.boxes.back().text;
        QVERIFY2(checked.startsWith(QStringLiteral("40 of 40 receivers in conflict; ")) &&
                     checked.contains(QStringLiteral("... and 30 more in the table.")),
                 qPrintable(checked));
        QVERIFY(windows.rackConflictsWindow().isVisible());
        QCOMPARE(windows.rackConflictsWindow().model().rowCount(), 40);
        windows.rackConflictsWindow().close();

        bool seen = false;
        test::WhenModalShows<CoordinateDialog>([&seen](CoordinateDialog& dialog) {
            auto* rows = dialog.findChild<QListWidget*>(QStringLiteral("locked"));
            QCOMPARE(rows->count(), 40);
            QVERIFY(rows->item(0)->text().endsWith(QStringLiteral("band 34")));
            QVERIFY(rows->item(39)->text().endsWith(QStringLiteral("band 36")));
            for (int i = 0; i < rows->count(); ++i) {
                rows->item(i)->setCheckState(Qt::Unchecked);
            }
            dialog.findChild<QSpinBox*>(QStringLiteral("im3x3"))->setValue(0);
            dialog.findChild<QSpinBox*>(QStringLiteral("im5"))->setValue(0);
            dialog.findChild<QSpinBox*>(QStringLiteral("budget"))->setValue(20);
            seen = true;
            dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
        rig.prompter.answers = {MsgAnswer::Yes};
        test::Find(windows.mainWindow(), "mnuCoordinateRack")->trigger();
        QVERIFY2(seen, rig.prompter.boxes.empty() ? "no box"
                                                  : qPrintable(rig.prompter.boxes.back().text));
        QVERIFY(!rig.prompter.boxes.empty());
        const MessageBoxSpec& asked = rig.prompter.boxes.back();
        QCOMPARE(asked.title, QStringLiteral("Coordinate the rack"));
        QVERIFY2(asked.text.contains(QStringLiteral("The set is clean.")), qPrintable(asked.text));
        QVERIFY(rig.RunToMonitoring());

        // The rack as programmed is clean (each receiver in its own band: RackCoordinationTest).
        test::Find(windows.mainWindow(), "mnuCheckRack")->trigger();
        QVERIFY2(rig.prompter.boxes.back().text.startsWith(
                     QStringLiteral("No conflicts among the 40 receivers' frequencies.")),
                 qPrintable(rig.prompter.boxes.back().text));
        rig.station->CloseNow();
    }

    // "Label..." in a cell's menu (Shift with the right button on a K7.5 set-up) edits the
    // receiver's label: shown in the tool tip and as a bar in the margin, never in the frame; the
    // Labels window lists it and edits it in place.
    void aLabelFromTheCellMenuAndTheLabelsWindow() {
        test::StationRig rig(test::RackOf(8));
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        rig.clock.advanceMs(1000);
        MeterPanelWidget& widget = windows.meterPanelWidget();
        const QRect cell = windows.meterPanel().CellRect(3);
        const QPoint at = widget.scale().toWidget(cell).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget.mapToGlobal(at),
                                Qt::ShiftModifier);
        QApplication::sendEvent(&widget, &click);
        test::Find(widget, "mnuLabel")->trigger();
        LabelDialog& dialog = windows.labelDialog();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.serial(), rig.station->core().monitor().serialOf(3));
        auto* label = test::Find<QLineEdit>(dialog, "txtLabel");
        label->setText(QString(QStringLiteral("ж")).repeated(41));
        dialog.accept();
        QVERIFY(dialog.isVisible()); // refused: the fault is told in the dialog
        QVERIFY(test::Find<QLabel>(dialog, "lblLabelFault")->text().contains(QStringLiteral("41")));
        label->setText(QStringLiteral("Anna - Lead vocal"));
        test::Find<QLineEdit>(dialog, "txtGroup")->setText(QStringLiteral("Band"));
        auto* colour = test::Find<QComboBox>(dialog, "cmbColour");
        colour->setCurrentIndex(colour->findData(QStringLiteral("green")));
        dialog.accept();
        QVERIFY(!dialog.isVisible());

        const QPoint inPanel = cell.center();
        QVERIFY(
            widget.toolTipAt(inPanel).startsWith(QStringLiteral("Anna - Lead vocal\nGroup: Band")));
        const QImage& panel = windows.meterPanel().PanelBuf();
        const QRect bar = MeterPanel::LabelBarRect(LayoutId::Slots8).translated(cell.topLeft());
        QCOMPARE(panel.pixelColor(bar.center()),
                 QColor::fromRgb(LabelColourRgb(LabelColour::Green)));
        QVERIFY(panel.pixelColor(cell.topLeft()) != panel.pixelColor(bar.center()));

        test::Find(windows.mainWindow(), "mnuLabels")->trigger();
        QVERIFY(windows.labelsWindow().isVisible());
        LabelsTableModel& model = windows.labelsWindow().model();
        QCOMPARE(model.rowCount(), 8);
        QCOMPARE(model.index(2, LabelsTableModel::LabelColumn).data().toString(),
                 QStringLiteral("Anna - Lead vocal"));
        QVERIFY(!(model.flags(model.index(2, LabelsTableModel::NameColumn)) & Qt::ItemIsEditable));
        QVERIFY(
            model.setData(model.index(2, LabelsTableModel::ColourColumn), QStringLiteral("red")));
        QCOMPARE(panel.pixelColor(bar.center()), QColor::fromRgb(LabelColourRgb(LabelColour::Red)));
        QVERIFY(model.setData(model.index(2, LabelsTableModel::LabelColumn), QString()));
        QVERIFY(model.setData(model.index(2, LabelsTableModel::GroupColumn), QString()));
        QVERIFY(model.setData(model.index(2, LabelsTableModel::ColourColumn), QString()));
        QVERIFY(rig.station->core().labels().all().empty());
        QVERIFY(panel.pixelColor(bar.center()) !=
                QColor::fromRgb(LabelColourRgb(LabelColour::Red)));
        QVERIFY(!widget.toolTipAt(inPanel).contains(QStringLiteral("Anna")));
        rig.station->CloseNow();
    }

    // The station meters on without its windows, and the message boxes and file dialogs let go
    // of the main window when it goes.
    void theStationGoesOnWithoutItsWindows() {
        test::StationRig rig(test::RackOf(2));
        QtPrompter boxes;
        QtFileChooser chooser;
        auto windows = std::make_unique<StationWindows>(*rig.station, Options(), &boxes, &chooser);
        QVERIFY(boxes.parent() == &windows->mainWindow());
        QVERIFY(rig.station->Start());
        windows.reset();
        // A box or a file dialog asked for from now on (the orderly stop) has no parent.
        QVERIFY(boxes.parent() == nullptr);
        QVERIFY(chooser.parent() == nullptr);
        QVERIFY(rig.RunToMonitoring());
        const int queries = rig.simRack.receiver(0).countOf('D');
        rig.clock.advanceMs(1000);
        QVERIFY(rig.simRack.receiver(0).countOf('D') > queries + 10);
        rig.station->CloseNow();
        QVERIFY(rig.station->Stopped());
    }
};

} // namespace k7

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    k7::StationWindowsTest windows;
    return QTest::qExec(&windows, argc, argv);
}
#include "StationWindowsTest.moc"
