// The receiver control panel's window: keys, clicks and text reach the controller (what it does:
// ReceiverPanelTest); and the panel inside the whole station with the program's windows.
#include "control/ReceiverPanelWindow.h"
#include "PanelRig.h"
#include "app/StationWindows.h"
#include "display/MeterPanelWidget.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTest>

namespace k7 {
namespace {

QLineEdit* Box(const QWidget& window, const char* name) {
    return test::Find<QLineEdit>(window, name);
}
QLabel* Label(const QWidget& window, const char* name) {
    return test::Find<QLabel>(window, name);
}
QSlider* Slider(const QWidget& window) {
    return test::Find<QSlider>(window, "VSlider1");
}
QLabel* Control(const QWidget& window, int index) {
    const QByteArray name = "lblRxControls" + QByteArray::number(index);
    return test::Find<QLabel>(window, name.constData());
}

} // namespace

class ReceiverPanelWindowTest : public QObject {
    Q_OBJECT

private slots:
    void backupsAreOfferedInTheFrequencyBoxAndCheckedWhenTaken() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        ReceiverPanelWindow window(rig.panel);
        test::RecordingBackups backups;
        rig.panel.SetBackupFrequencies(&backups);
        QVERIFY(rig.panel.Open(2));
        QVERIFY(!window.findChild<QAction*>("actBackups")->isVisible()); // none for slot 2
        QVERIFY(rig.panel.Open(1));
        QVERIFY(window.findChild<QAction*>("actBackups")->isVisible());

        QTest::keyClick(Box(window, "txtFreq"), Qt::Key_F4);
        auto* list = test::Find<QMenu>(window, "mnuBackups");
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->title(), QStringLiteral("Backups"));
        QCOMPARE(list->actions().size(), 3); // the "Backups" section, then the two
        QCOMPARE(list->actions().at(1)->text(), QStringLiteral("612.400"));
        list->actions().at(1)->trigger();
        QCOMPARE(Box(window, "txtFreq")->text(), QStringLiteral("612.400"));
        QVERIFY(Label(window, "lblBackup")->isVisible());
        QCOMPARE(Label(window, "lblBackup")->text(), QStringLiteral("slot 1: 612.400"));
        QTest::keyClick(Box(window, "txtFreq"), Qt::Key_Backspace);
        QVERIFY(!Label(window, "lblBackup")->isVisible());
        rig.panel.SetBackupFrequencies(nullptr);
    }

    void typedNameAndFrequencyAreSaved() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        ReceiverPanelWindow window(rig.panel);
        QVERIFY(rig.panel.Open(2));
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Receiver Parameters"));
        QCOMPARE(window.pos(), QPoint(5, 389));
        QCOMPARE(Box(window, "txtName")->text(), QStringLiteral("VOCAL2"));

        // Typed over the whole name: the six characters it has are no bar.
        Box(window, "txtName")->setFocus();
        Box(window, "txtName")->selectAll();
        QTest::keyClicks(Box(window, "txtName"), QStringLiteral("GT R1XY")); // "Y" is the seventh
        QCOMPARE(Box(window, "txtName")->text(), QStringLiteral("GT_R1X"));
        Box(window, "txtFreq")->selectAll();
        QTest::keyClicks(Box(window, "txtFreq"), QStringLiteral("6x31.2.5"));
        QCOMPARE(Box(window, "txtFreq")->text(), QStringLiteral("631.25"));
        QTest::keyClick(Box(window, "txtName"), Qt::Key_Enter); // the keypad's Enter, in the name
        QVERIFY(!window.isVisible());
        rig.clock.advanceMs(150); // the frequency follows the name
        QCOMPARE(rig.rack.CurData[2].Name, QStringLiteral("GT_R1X"));
        QCOMPARE(rig.rack.CurData[2].Frequency, QStringLiteral("631.250"));
    }

    void labelsAndSliderDriveTheController() {
        test::PanelRig rig;
        rig.rack.CurData[1].MuteLevel = QStringLiteral("7");
        ReceiverPanelWindow window(rig.panel);
        QVERIFY(rig.panel.Open(1));
        QCOMPARE(Slider(window)->value(), 7);
        QCOMPARE(Label(window, "lblMute")->text(), QStringLiteral("7"));
        QCOMPARE(Label(window, "lblSet")->text(), QStringLiteral("Show.frq"));
        QCOMPARE(Label(window, "lblBand")->text(), QStringLiteral("K7.5 606-638"));
        QCOMPARE(Control(window, 2)->toolTip(), QStringLiteral("Switch Audio mute"));

        QTest::mouseClick(Control(window, ReceiverPanel::kUserMute), Qt::LeftButton);
        QCOMPARE(Label(window, "lblOnOff")->text(), QStringLiteral("ON"));
        QCOMPARE(Label(window, "lblOnOff")->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));

        QTest::mousePress(Slider(window), Qt::LeftButton);
        QCOMPARE(rig.timers.interval(PollTimer), 12);
        QTest::mouseRelease(Slider(window), Qt::LeftButton);
        QCOMPARE(rig.timers.interval(PollTimer), rig.devices.PollInterval);
        QVERIFY(rig.polling());
        Slider(window)->setValue(3);
        QCOMPARE(Label(window, "lblMute")->text(), QStringLiteral("3"));
        QCOMPARE(rig.frames(1).back().bytes[6], std::uint8_t{3});

        QTest::mouseClick(Control(window, ReceiverPanel::kCancel), Qt::LeftButton);
        QVERIFY(!window.isVisible()); // what Cancel sends: ReceiverPanelTest
    }

    // Text that reaches a box other than by typed keys passes the same rules (which the
    // controller's tests prove): a paste and a drop end in them (an input method's text takes
    // the same way, the box's validator: EditorWindowTest).
    void pastedAndDroppedTextPassTheKeyRules() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        ReceiverPanelWindow window(rig.panel);
        QVERIFY(rig.panel.Open(2));
        QLineEdit* name = Box(window, "txtName");
        QLineEdit* frequency = Box(window, "txtFreq");

        QGuiApplication::clipboard()->setText(QStringLiteral("abc 6x07.1.25"));
        frequency->clear();
        frequency->setFocus();
        QTest::keyClick(frequency, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(frequency->text(), QStringLiteral("607.125"));
        QCOMPARE(rig.panel.txtFreq(), QStringLiteral("607.125"));

        QMimeData data;
        data.setText(QStringLiteral("DJ 2 x y"));
        name->clear();
        QDragEnterEvent enter(QPoint(2, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(name, &enter);
        QDropEvent dropped(QPointF(2, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(name, &dropped);
        QCOMPARE(name->text(), QStringLiteral("DJ_2_x"));
        QCOMPARE(rig.panel.txtName(), QStringLiteral("DJ_2_x"));
    }

    void insideTheStationARightClickOpensItAndItsReceiverReloadsIt() {
        sim::Scenario scenario = test::RackOf(3);
        sim::ScheduledChange frontPanel;
        frontPanel.atMs = 5000;
        frontPanel.name = std::array<char, 6>{'F', 'R', 'O', 'N', 'T', '2'};
        scenario.receivers[1].changes.push_back(frontPanel);
        scenario.receivers[1].settingsEvery = 4;
        test::StationRig rig(scenario);
        Station& station = *rig.station;
        StationWindows windows(station, StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), {}});
        QVERIFY(station.Start());
        QVERIFY(rig.RunToMonitoring());
        ReceiverPanelWindow& window = windows.receiverPanelWindow();
        QLineEdit* name = Box(window, "txtName");
        QTest::mouseRelease(&windows.meterPanelWidget(), Qt::RightButton, {}, QPoint(300, 100));
        QVERIFY(window.isVisible());
        QCOMPARE(name->text(), QStringLiteral("GTR_2_"));
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(!window.isVisible());
        QTest::mouseRelease(&windows.meterPanelWidget(), Qt::RightButton, {}, QPoint(300, 100));
        QVERIFY(rig.clock.runUntil([&] { return name->text() == QStringLiteral("FRONT2"); }, 6000));

        // A confirmed exit takes nothing back: the level the operator set stays.
        station.core().panel().SliderValueChanged(9);
        QCOMPARE(rig.simRack.receiver(1).muteLevel(), 9);
        station.RequestExit(ExitSource::EscapeKey);
        station.CloseNow();
        QVERIFY(station.Stopped());
        QVERIFY(!window.isVisible());
        QCOMPARE(station.core().rack().CurData[2].MuteLevel, QStringLiteral("9"));
    }
};

} // namespace k7

QTEST_MAIN(k7::ReceiverPanelWindowTest)
#include "ReceiverPanelWindowTest.moc"
