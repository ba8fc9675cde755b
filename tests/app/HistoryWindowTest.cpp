// The History window over a whole station on the simulated rack, as the program wires it. With
// K7_HISTORY_SNAPSHOT=FILE.png the last test saves the window as the README shows it.
#include "app/RescanSetting.h"
#include "app/StationWindows.h"
#include "display/MeterPanelWidget.h"
#include "monitor/HistoryExportDialog.h"
#include "monitor/HistoryTimeline.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace k7 {

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

class HistoryWindowTest : public QObject {
    Q_OBJECT

    static StationWindowsOptions Options() {
        return StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), {}};
    }

    // Receivers whose RF stays over their threshold; receiver 3 loses it from 9 s to 14 s.
    static sim::Scenario Rack() {
        sim::Scenario scenario = test::RackOf(4);
        for (auto& receiver : scenario.receivers) {
            receiver.mute = 3;
            receiver.rf = {150, 230};
            receiver.audio = {30, 200};
        }
        scenario.receivers[2].levels = {{9000, std::array{0, 0}, {}, {}},
                                        {14000, std::array{160, 220}, {}, {}}};
        return scenario;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void aDoubleClickShowsTheReceiverAndTheWindowFollowsItsAnswers() {
        test::StationRig rig(Rack());
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        rig.clock.advanceMs(40000);

        // Slot 2 of the eight-slot layout: the second cell of the first row.
        MeterPanelWidget& panel = windows.meterPanelWidget();
        QTest::mouseDClick(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(300, 175));
        HistoryWindow& history = windows.historyWindow();
        QVERIFY(history.isVisible());
        QCOMPARE(history.windowModality(), Qt::NonModal);
        QCOMPARE(history.view().slot(), 2);
        QCOMPARE(history.receiverChooser()->currentData().toInt(), 2);
        QVERIFY(history.windowTitle().contains(rig.station->core().rack().CurData[2].Name));
        QVERIFY(history.view().live());
        // The span shown is what has been recorded (40 s: a minute), and grows with it.
        QCOMPARE(history.view().spanMicros(), std::int64_t{60'000'000});
        rig.clock.advanceMs(25000);
        QCOMPARE(history.view().spanMicros(), std::int64_t{120'000'000});

        // A new answer of receiver 2 draws the timeline again (what it draws: HistoryViewTest).
        PaintCounter counter(history.timeline());
        const MeterHistory& kept = rig.station->core().monitor().history();
        const std::size_t before = kept.size(2);
        rig.clock.runUntil([&] { return kept.size(2) > before; }, 1000);
        QCoreApplication::processEvents();
        QVERIFY(counter.paints > 0);

        // Held back, the live button is off; End follows again.
        history.view().SetZoom(0);
        history.view().ScrollBy(-5'000'000);
        QVERIFY(!history.liveButton()->isChecked());
        QTest::keyClick(&history, Qt::Key_End);
        QVERIFY(history.view().live());

        // The chooser takes another receiver; the menu opens the window on it again.
        history.receiverChooser()->setCurrentIndex(3);
        emit history.receiverChooser()->activated(3);
        QCOMPARE(history.view().slot(), 4);
        history.hide();
        test::Find(windows.mainWindow(), "mnuHistory")->trigger();
        QVERIFY(history.isVisible());
        QCOMPARE(history.view().slot(), 4);
        rig.station->CloseNow();
    }

    void theExportFromTheWindowOffersItsSpanAndFromTheMenuTheLastMinutes() {
        test::StationRig rig(Rack());
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        rig.clock.advanceMs(5000);
        windows.ShowHistory(1);
        HistoryWindow& history = windows.historyWindow();
        history.exportButton()->click();
        HistoryExportDialog& dialog = *history.exportDialog();
        QVERIFY(dialog.isVisible());
        const auto shown = std::pair{history.view().fromMicros(), history.view().endMicros()};
        QCOMPARE(dialog.chosenSpan(), shown);
        // 1 s by default, the file's size estimated before it is written; every answer is more.
        QCOMPARE(dialog.chosenResolution(), ExportResolution::Second);
        const QString perSecond = dialog.estimate()->text();
        dialog.resolutionChooser()->setCurrentIndex(2);
        QVERIFY2(perSecond.startsWith(QStringLiteral("about ")) &&
                     dialog.estimate()->text() != perSecond,
                 qPrintable(perSecond + QStringLiteral(" / ") + dialog.estimate()->text()));
        dialog.resolutionChooser()->setCurrentIndex(0);

        dialog.nameEdit()->setText(QStringLiteral("show"));
        dialog.exportButton()->click();
        rig.clock.advanceMs(200);
        QVERIFY2(dialog.message()->text().startsWith(QStringLiteral("Written: ")),
                 qPrintable(dialog.message()->text()));
        QVERIFY(QFile::exists(rig.station->core().monitor().historyExport().folder() +
                              QStringLiteral("/show.csv")));

        // A name with a path is refused (nothing written: HistoryExportTest); an existing file is
        // replaced only when the operator says so.
        const QString written =
            rig.station->core().monitor().historyExport().folder() + QStringLiteral("/show.csv");
        const qint64 size = QFileInfo(written).size();
        dialog.nameEdit()->setText(QStringLiteral("../show"));
        dialog.exportButton()->click();
        QVERIFY(dialog.message()->text().startsWith(QStringLiteral("A file name only")));
        dialog.nameEdit()->setText(QStringLiteral("show"));
        rig.prompter.answers.push_back(MsgAnswer::No);
        rig.clock.advanceMs(1000);
        dialog.exportButton()->click();
        QCOMPARE(rig.prompter.boxes.size(), std::size_t{1});
        QVERIFY(
            rig.prompter.boxes.front().text.startsWith(QStringLiteral("show.csv already exists")));
        rig.clock.advanceMs(200);
        QCOMPARE(QFileInfo(written).size(), size);

        dialog.hide();
        test::Find(windows.mainWindow(), "mnuHistoryExport")->trigger();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.spanChooser()->currentText(), QStringLiteral("The last 15 minutes"));
        const std::int64_t now = rig.clock.nowMicros();
        QCOMPARE(dialog.chosenSpan(), (std::pair{now - 900'000'000, now}));
        rig.station->CloseNow();
    }

    void theWindowFollowsItsReceiverAcrossARescanAndKeepsTheOneGone() {
        sim::Scenario scenario = Rack();
        scenario.receivers[0].faults.unplugAtMs = 10000;
        test::StationRig rig(scenario);
        SaveRescanAfterUsbChange(rig.settings, true);
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        const QString first = rig.station->core().rack().CurData[1].Name;
        const QString third = rig.station->core().rack().CurData[3].Name;
        windows.ShowHistory(3);
        HistoryWindow& history = windows.historyWindow();
        QVERIFY(rig.clock.runUntil(
            [&] { return rig.Monitoring() && rig.station->core().devices().DeviceCount == 3; },
            20000));
        rig.clock.advanceMs(1000); // a tick of the window

        QCOMPARE(history.view().slot(), 2);
        QVERIFY(history.windowTitle().endsWith(QStringLiteral("2 ") + third));
        QComboBox* chooser = history.receiverChooser();
        QCOMPARE(chooser->count(), 4);
        QCOMPARE(chooser->itemText(3), first + QStringLiteral(" (disconnected)"));
        chooser->setCurrentIndex(3);
        emit chooser->activated(3);
        QCOMPARE(history.view().slot(), chooser->itemData(3).toInt());
        QVERIFY(history.windowTitle().endsWith(first + QStringLiteral(" (disconnected)")));
        QVERIFY2(history.view().Compose(500).answers > 0, "its hour before the unplug");
        rig.station->CloseNow();
    }

    void anAlertShowsAsASpanOnItsReceiver() {
        test::StationRig rig(Rack());
        StationWindows windows(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(rig.RunToMonitoring());
        rig.clock.advanceMs(100000 - rig.clock.nowMs());
        windows.ShowHistory(3);
        HistoryWindow& history = windows.historyWindow();
        history.view().SetZoom(2); // two minutes: the whole run
        const HistoryPicture picture = history.view().Compose(1000);
        QCOMPARE(picture.alerts.size(), std::size_t{1});
        const HistorySpan& span = picture.alerts.front();
        QCOMPARE(span.kind, AlertKind::RfLost);
        QVERIFY(!span.open);
        // From about 9 s to 14 s of the 120 s shown, which end at 100 s.
        QVERIFY2(std::abs(span.x0 - (9.0 + 20.0) / 120 * 1000) < 10,
                 qPrintable(QString::number(span.x0)));
        QVERIFY2(std::abs(span.x1 - (14.0 + 20.0) / 120 * 1000) < 10,
                 qPrintable(QString::number(span.x1)));
        QVERIFY(picture.threshold.points.size() > 0);

        // RF at the top of the meters' scale (raw 175 and more) is drawn inside the plot, under
        // its top border, not on it.
        history.resize(980, 600);
        QCoreApplication::processEvents();
        const QImage drawn = history.timeline()->grab().toImage();
        const QRect plot = history.timeline()->plotArea();
        int topmost = drawn.height();
        for (int y = plot.top(); y < drawn.height() && topmost == drawn.height(); ++y) {
            for (int x = plot.left(); x <= plot.right(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                if (c.green() > 180 && c.red() < 130 && c.blue() < 150) { // RF A's green
                    topmost = y;
                    break;
                }
            }
        }
        QVERIFY2(topmost > plot.top() + 4 && topmost < plot.top() + plot.height() / 10,
                 qPrintable(QStringLiteral("%1 under %2").arg(topmost).arg(plot.top())));

        const QString file = qEnvironmentVariable("K7_HISTORY_SNAPSHOT");
        if (!file.isEmpty()) {
            QVERIFY(history.grab().save(file));
        }
        rig.station->CloseNow();
    }
};

} // namespace k7

QTEST_MAIN(k7::HistoryWindowTest)
#include "HistoryWindowTest.moc"
