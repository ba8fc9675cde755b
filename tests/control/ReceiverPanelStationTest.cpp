// The receiver control panel inside the whole station on the simulated rack, with the program's
// own windows (StationWindows): opened by a right click on the meter panel, programming the
// receiver, reloaded by the receiver's own settings answer, and left alone by a confirmed exit.
#include "app/StationWindows.h"
#include "display/MeterPanelWidget.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QLineEdit>
#include <QTest>

namespace k7 {

class ReceiverPanelStationTest : public QObject {
    Q_OBJECT

private slots:
    void rightClickTypeAndEnterProgramTheReceiver() {
        sim::Scenario scenario = test::RackOf(3);
        for (auto& receiver : scenario.receivers) {
            receiver.muteHighBit = true;
            receiver.settingsEvery = 4;
        }
        sim::ScheduledChange frontPanel;
        frontPanel.atMs = 5000;
        frontPanel.name = std::array<char, 6>{'F', 'R', 'O', 'N', 'T', '2'};
        scenario.receivers[1].changes.push_back(frontPanel);
        test::StationRig rig(scenario);
        Station& station = *rig.station;
        StationWindows windows(station, StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), {}});
        QVERIFY(station.Start());
        QVERIFY(rig.RunToMonitoring());
        MeterPanelWidget& cells = windows.meterPanelWidget();
        ReceiverPanelWindow& window = windows.receiverPanelWindow();
        QLineEdit* name = test::Find<QLineEdit>(window, "txtName");
        QLineEdit* frequency = test::Find<QLineEdit>(window, "txtFreq");

        QTest::mouseRelease(&cells, Qt::RightButton, {}, QPoint(300, 100)); // slot 2
        QVERIFY(window.isVisible());
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("X")); // a full name takes no more
        QCOMPARE(name->text(), QStringLiteral("GTR_2_"));
        QTest::keyClick(name, Qt::Key_Backspace);
        QTest::keyClicks(name, QStringLiteral("STN 2"));
        frequency->selectAll();
        QTest::keyClicks(frequency, QStringLiteral("609"));
        QTest::keyClick(frequency, Qt::Key_Enter);
        QVERIFY(!window.isVisible());
        rig.clock.advanceMs(200);
        sim::SimulatedReceiver& receiver = rig.simRack.receiver(1);
        QCOMPARE(receiver.name(), (std::array<char, 6>{'S', 'T', 'N', '_', '2', '_'}));
        QCOMPARE(receiver.frequency(), (std::array<std::uint8_t, 3>{60, 90, 0}));
        QVERIFY(rig.Monitoring());

        // The receiver's own change comes back in a settings answer and reloads the panel.
        QTest::mouseRelease(&cells, Qt::RightButton, {}, QPoint(300, 100));
        QCOMPARE(name->text(), QStringLiteral("STN_2_"));
        QVERIFY(rig.clock.runUntil([&] { return name->text() == QStringLiteral("FRONT2"); }, 6000));

        // A confirmed exit takes nothing back: the level the operator set stays.
        station.core().panel().SliderValueChanged(9);
        QCOMPARE(receiver.muteLevel(), 9);
        station.RequestExit(ExitSource::EscapeKey);
        station.CloseNow();
        QVERIFY(station.Stopped());
        QVERIFY(!window.isVisible());
        QCOMPARE(station.core().rack().CurData[2].MuteLevel, QStringLiteral("9"));
    }
};

} // namespace k7

QTEST_MAIN(k7::ReceiverPanelStationTest)
#include "ReceiverPanelStationTest.moc"
