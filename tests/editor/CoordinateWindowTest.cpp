// Check and Coordinate through the editor's real window over the simulated rack (band 36): the
// marks in the grid, the dialog with the selected rows locked and the set it writes, and Cancel
// while the search runs, which leaves the file as it was.
#include "EditorRig.h"
#include "GridClicks.h"
#include "editor/CoordinateDialog.h"
#include "editor/EditorGridModel.h"
#include "editor/EditorWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace k7 {

class CoordinateWindowTest : public QObject {
    Q_OBJECT

    // Runs work on the Coordinate dialog once it is up, while the menu command waits in it.
    static void whenDialogShows(std::function<void(CoordinateDialog&)> work) {
        QTimer::singleShot(0, [work = std::move(work)] {
            QElapsedTimer clock;
            clock.start();
            while (qobject_cast<CoordinateDialog*>(QApplication::activeModalWidget()) == nullptr &&
                   clock.elapsed() < 10000) {
                QTest::qWait(10);
            }
            auto* dialog = qobject_cast<CoordinateDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            work(*dialog);
            // A check that failed in work leaves the dialog up: close it, so the test ends.
            if (dialog->isVisible() && !dialog->searching()) {
                dialog->reject();
            }
        });
    }
    static std::vector<int> fileKHz(test::EditorRig& rig, int count) {
        const EditorDocument file = rig.readBack(QStringLiteral("Show.frq"));
        std::vector<int> kHz;
        for (int i = 1; i <= count; ++i) {
            kHz.push_back(
                FrequencyKHz(file.EditData[static_cast<std::size_t>(i)].Frequency).value_or(-1));
        }
        return kHz;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void checkMarksBothRowsOfAConflictingPair() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QVERIFY(
            rig.write("Show.frq", test::EditorRig::Document({"610.000", "615.000", "610.100"})));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(window.mnuCoordination()->isEnabled());
        window.mnuCheck()->trigger();
        const auto tip = [&](int row, int column) {
            return window.gridModel()->index(row, column).data(Qt::ToolTipRole).toString();
        };
        QCOMPARE(tip(0, 1), QStringLiteral("spacing: 100 kHz from row 3 (Mic003)"));
        QCOMPARE(tip(2, 2), QStringLiteral("spacing: 100 kHz from row 1 (Mic001)"));
        QCOMPARE(tip(1, 1), QString());
        QVERIFY(window.gridModel()->index(0, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(!window.gridModel()->index(1, 0).data(Qt::BackgroundRole).isValid());
        QCOMPARE(window.lblStatus()->text(), QStringLiteral("1 conflict: 1 \u00D7 spacing"));
    }

    void coordinateKeepsTheSelectedRowsAndWritesACleanSet() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document({"610.000", "610.025", "620.000",
                                                                 "620.050", "620.075"})));
        QVERIFY(rig.open("Show.frq"));
        test::ClickGridRow(window, 0);
        test::ClickGridRow(window, 2, Qt::ControlModifier);
        bool seen = false;
        whenDialogShows([&](CoordinateDialog& dialog) {
            QListWidget* rows = dialog.rowList();
            QCOMPARE(rows->count(), 5);
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(rows->item(i)->checkState() == Qt::Checked, i == 0 || i == 2);
            }
            QCOMPARE(dialog.spacingBox()->value(), 350);
            dialog.budgetBox()->setValue(5);
            seen = true;
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        window.mnuCoordinate()->trigger();
        QVERIFY(seen);
        const std::vector<int> kHz = fileKHz(rig, 5);
        QCOMPARE(kHz[0], 610000);
        QCOMPARE(kHz[2], 620000);
        QVERIFY(IsClean(kHz, CoordinationRules{}));
        QVERIFY(rig.fileMatchesGrid());
        QCOMPARE(window.lblStatus()->text(),
                 QStringLiteral("Coordinated: 3 rows filled; the set is clean"));
        // The rules are remembered for the next time.
        QCOMPARE(LoadCoordinationSetup(rig.harness.settings).budgetSeconds, 5);
    }

    void cancelWhileTheSearchRunsLeavesTheFileUntouched() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(24)));
        QVERIFY(rig.open("Show.frq"));
        const QByteArray before = rig.bytes("Show.frq");
        QElapsedTimer clock;
        bool cancelled = false;
        whenDialogShows([&](CoordinateDialog& dialog) {
            // 8 MHz left cannot hold 24 clean carriers: only the budget or Cancel ends it.
            dialog.exclusionsBox()->setPlainText(QStringLiteral("606.000-630.000"));
            dialog.budgetBox()->setValue(600);
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            QVERIFY(dialog.searching());
            QTRY_VERIFY_WITH_TIMEOUT(dialog.messageLabel()->text().contains("best set so far"),
                                     10000);
            QVERIFY(!dialog.rowList()->isEnabled());
            clock.start();
            cancelled = true;
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        window.mnuCoordinate()->trigger();
        QVERIFY(cancelled);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(rig.bytes("Show.frq"), before);
        QCOMPARE(window.lblStatus()->text(),
                 QStringLiteral("Coordination cancelled; Show.frq is unchanged"));
        QCOMPARE(window.gridModel()->index(0, 2).data().toString(), QStringLiteral("606.600"));
    }
};

} // namespace k7

QTEST_MAIN(k7::CoordinateWindowTest)
#include "CoordinateWindowTest.moc"
