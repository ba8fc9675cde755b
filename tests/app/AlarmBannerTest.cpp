// The alarm banner in the program's windows: a line of its own above the meter panel that covers
// no cell's name or frequency rows in any layout (8, 16, 24 and 40 receivers), takes no keyboard
// focus, and goes when the key A and its Acknowledge have acknowledged the alarms; the alarmed
// cell's frame is lit and dark on the flash's ticks.
#include "app/StationWindows.h"
#include "display/Layout40.h"
#include "display/Layouts.h"
#include "display/MeterPanelWidget.h"
#include "rack/LayoutProfiles.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTest>

namespace k7 {

class AlarmBannerTest : public QObject {
    Q_OBJECT

    // The last row of a cell's text box (its name and frequency) from the cell's top.
    static int TextBottom(LayoutId id) {
        switch (id) {
        case LayoutId::Slots8:
            return kCell8Positions.textBox.y();
        case LayoutId::Slots16:
            return kCell16Positions.textBox.y();
        case LayoutId::Slots24:
            return kCell24Positions.textBox.y();
        case LayoutId::Slots40:
            return Cell40::TextBottom;
        }
        return 0;
    }

    static void Raise(Station& station, AlertKind kind, int slot) {
        const std::int64_t now = station.ports().clock.nowMicros();
        station.core().monitor().alerts().Start(kind, slot, station.core().monitor().nameOf(slot),
                                                now, now, QDateTime::currentDateTime(), {});
    }

private slots:
    void theBannerCoversNoNameOrFrequencyAndTakesNoFocus_data() {
        QTest::addColumn<int>("receivers");
        for (int receivers : {8, 16, 24, 40}) {
            QTest::addRow("%d", receivers) << receivers;
        }
    }

    void theBannerCoversNoNameOrFrequencyAndTakesNoFocus() {
        QFETCH(int, receivers);
        test::StationRig rig(test::RackOf(receivers));
        Station& station = *rig.station;
        StationWindows windows(station, {QStringLiteral(K7_ASSET_DIR), {}});
        QVERIFY(station.Start());
        QVERIFY(rig.RunToMonitoring());
        MainWindow& main = windows.mainWindow();
        QWidget* banner = main.alarmBanner();
        QVERIFY(!banner->isVisible());

        Raise(station, AlertKind::RfLost, 1);
        Raise(station, AlertKind::Battery, receivers);
        main.panelArea()->layout()->activate();
        QCoreApplication::processEvents();
        QVERIFY(banner->isVisible());
        QCOMPARE(test::Find<QLabel>(main, "alarmBannerText")->text(),
                 QStringLiteral("Battery low: %1 (slot %2) and 1 more alarm -")
                     .arg(station.core().monitor().nameOf(receivers))
                     .arg(receivers));

        const QRect bannerRect(banner->mapTo(&main, QPoint(0, 0)), banner->size());
        const MeterPanelWidget& panel = windows.meterPanelWidget();
        const QPoint panelAt = panel.mapTo(&main, QPoint(0, 0));
        const LayoutProfile& layout = LayoutProfileOf(station.core().devices().RackLayout);
        QCOMPARE(layout.slotCount, receivers);
        for (int slot = 1; slot <= receivers; ++slot) {
            const QRect cell = layout.CellRect(slot);
            // The rows inside the cell's frame, down to the text box's last.
            const int frame = CellFrame::kFrameWidth;
            const QRect text(cell.left(), cell.top() + frame, cell.width(),
                             TextBottom(layout.id) + 1 - frame);
            const QRect shown = panel.scale().toWidget(text).translated(panelAt);
            QVERIFY2(!shown.intersects(bannerRect),
                     qPrintable(QStringLiteral("slot %1").arg(slot)));
        }

        QList<QWidget*> parts = banner->findChildren<QWidget*>();
        parts << banner;
        for (QWidget* part : parts) {
            QCOMPARE(part->focusPolicy(), Qt::NoFocus);
        }

        // The alarmed cell's frame flashes.
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
        station.CloseNow();
    }
};

} // namespace k7

int RunAlarmBannerTest(int argc, char** argv) {
    k7::AlarmBannerTest banner;
    return QTest::qExec(&banner, argc, argv);
}

#include "AlarmBannerTest.moc"
