// The File menu through the program's own windows (StationWindows) on a whole station over the
// simulated rack: a file made with File > New and the editor's buttons, loaded into the rack
// with File > Load, and the load-at-start tick kept over a restart.
#include "app/StationWindows.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

namespace k7 {

class FileMenuWindowsTest : public QObject {
    Q_OBJECT

    static StationWindowsOptions Options() {
        return StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), QString()};
    }
    static void enter(EditorWindow& editor, const QString& name, const QString& frequency,
                      const QString& mute) {
        for (const auto& [box, text] : {std::pair{"txtName", name}, std::pair{"txtFreq", frequency},
                                        std::pair{"txtMute", mute}}) {
            test::Find<QLineEdit>(editor, box)->clear();
            QTest::keyClicks(test::Find<QLineEdit>(editor, box), text);
        }
        QTest::mouseClick(test::Find<QPushButton>(editor, "cmdAdd"), Qt::LeftButton);
    }
    static int rows(EditorWindow& editor) {
        return test::Find<QTableView>(editor, "flxUser")->model()->rowCount();
    }
    static QString NameAt(sim::SimulatedRack& rack, int index) {
        return QString::fromLatin1(rack.receiver(index).name().data(), 6);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void aNewFileMadeInTheEditorIsLoadedIntoTheRack() {
        test::StationRig rig(test::RackOf(3));
        auto windows = std::make_unique<StationWindows>(*rig.station, Options());
        MainWindow& main = windows->mainWindow();
        QVERIFY(rig.station->Start());
        QVERIFY(!test::Find(main, "mnuNew")->isEnabled()); // not during discovery
        QVERIFY(rig.RunToMonitoring());
        QVERIFY(test::Find(main, "mnuNew")->isEnabled());

        const QString show =
            QDir(rig.station->core().frq().dataFolder()).filePath(QStringLiteral("Show.frq"));
        rig.chooser.choices = {show};
        test::Find(main, "mnuNew")->trigger();
        EditorWindow& editor = windows->editorWindow();
        QVERIFY(editor.isVisible());
        QCOMPARE(rows(editor), 1);
        QVERIFY(main.meterNotice()->isVisible());
        QCOMPARE(main.meterNotice()->text(), Station::MeterPausedText());
        enter(editor, QStringLiteral("Vox 2"), QStringLiteral("6101"), QStringLiteral("4"));
        enter(editor, QStringLiteral("Gtr 3"), QStringLiteral("610.2"), QStringLiteral("6"));
        QCOMPARE(rows(editor), 3);
        QCOMPARE(test::Find<QLabel>(editor, "lblStatus")->text(),
                 QStringLiteral("Performer 3 added to Show.frq"));
        QTest::mouseClick(test::Find<QPushButton>(editor, "cmdFinish"), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QVERIFY(!main.meterNotice()->isVisible());
        QVERIFY(rig.Monitoring());

        rig.chooser.choices = {show};
        test::Find(main, "mnuOpen")->trigger();
        QVERIFY(!test::Find(main, "mnuOpen")->isEnabled()); // the pass runs
        QVERIFY(rig.RunToMonitoring());
        QCOMPARE(NameAt(rig.simRack, 0), QStringLiteral("User_1"));
        QCOMPARE(NameAt(rig.simRack, 1), QStringLiteral("Vox_2_"));
        QCOMPARE(NameAt(rig.simRack, 2), QStringLiteral("Gtr_3_"));
        QCOMPARE(rig.simRack.receiver(0).frequency(), (std::array<std::uint8_t, 3>{63, 55, 0}));
        QCOMPARE(rig.simRack.receiver(1).frequency(), (std::array<std::uint8_t, 3>{61, 1, 0}));
        QCOMPARE(rig.simRack.receiver(2).frequency(), (std::array<std::uint8_t, 3>{61, 2, 0}));
        QCOMPARE(rig.simRack.receiver(1).muteLevel(), 4);
        QVERIFY(main.windowTitle().endsWith(QStringLiteral("FILE: Show")));
        QVERIFY(rig.prompter.boxes.empty());

        // The load-at-start tick, and the file, are there after a restart.
        test::Find(main, "mnuLoad")->trigger();
        QVERIFY(test::Find(main, "mnuLoad")->isChecked());
        rig.station->CloseNow();
        QVERIFY(rig.station->Stopped());
        windows.reset();
        rig.station = std::make_unique<Station>(
            StationPorts{rig.clock, rig.clock, rig.clock, rig.prompter, rig.chooser, rig.settings,
                         rig.wire, rig.trace},
            StationOptions{rig.dir.filePath(QStringLiteral("app")),
                           rig.dir.filePath(QStringLiteral("run")), std::nullopt, std::nullopt});
        rig.station->core().AttachDisplay(rig.display);
        windows = std::make_unique<StationWindows>(*rig.station, Options());
        QVERIFY(rig.station->Start());
        QVERIFY(test::Find(windows->mainWindow(), "mnuLoad")->isChecked());
        QVERIFY(rig.RunToMonitoring());
        QVERIFY(windows->mainWindow().windowTitle().endsWith(QStringLiteral("FILE: Show")));
        QCOMPARE(NameAt(rig.simRack, 1), QStringLiteral("Vox_2_"));
    }
};

} // namespace k7

QTEST_MAIN(k7::FileMenuWindowsTest)
#include "FileMenuWindowsTest.moc"
