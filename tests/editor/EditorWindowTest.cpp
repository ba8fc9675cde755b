// The editor's real window over the simulated rack: keys, paste and drop in the boxes, the
// buttons, a row clicked in the grid, the frequency box's exit, the close box, and the file on
// disk, the table view and the polling timers that follow. The grid's model is checked by
// QAbstractItemModelTester all along.
#include "editor/EditorWindow.h"
#include "EditorRig.h"
#include "GridClicks.h"
#include "editor/EditorGridModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QWindow>

namespace k7 {

class EditorWindowTest : public QObject {
    Q_OBJECT

    static void paste(QLineEdit* box, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        box->clear();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    static void type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }
    static QString cell(EditorWindow& window, int row, int column) {
        return window.gridModel()->index(row, column).data().toString();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void theWindowEditsTheFileAndGivesPollingBackWhenClosed() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QAbstractItemModelTester tester(window.gridModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.objectName(), QStringLiteral("frmTransferMain"));
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltora frequency File: Show.frq"));
        QVERIFY(rig.pollingStopped());

        // The grid: widths from the twips, the alignments, the first row selected.
        const std::array<int, 4> widths{20, 68, 68, 25};
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(window.flxUser()->columnWidth(c), widths[static_cast<std::size_t>(c)]);
        }
        const auto alignment = [&](int column) {
            return window.gridModel()->index(0, column).data(Qt::TextAlignmentRole).toInt() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(0), int(Qt::AlignRight));
        QCOMPARE(alignment(1), int(Qt::AlignLeft));
        QCOMPARE(alignment(2), int(Qt::AlignHCenter));
        QCOMPARE(alignment(3), int(Qt::AlignHCenter));
        QCOMPARE(window.gridModel()->rowCount(), 3);
        QCOMPARE(cell(window, 1, 1), QStringLiteral("Mic002"));
        QVERIFY(window.flxUser()->selectionModel()->isRowSelected(0, {}));
        QCOMPARE(window.txtName()->text(), QStringLiteral("Mic001"));
        QVERIFY(!window.button(EditorControl::cmdUpload)->isVisible());
        QVERIFY(!window.cmbRxs()->isVisible());
        QVERIFY(window.button(EditorControl::cmdAdd)->isVisible());
        // In normal editing the File menu holds the CSV commands; "Save" keeps its own rule.
        QVERIFY(window.mnuFile()->isEnabled());
        QVERIFY(!window.mnuSave()->isEnabled());
        QVERIFY(window.mnuImportCsv()->isEnabled());

        // Keys and a paste pass the rules; Add writes the row.
        type(window.txtName(), QStringLiteral("a b cdefg"));
        QCOMPARE(window.txtName()->text(), QStringLiteral("a_b_cd"));
        paste(window.txtFreq(), QStringLiteral("6x07.1"));
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("607.1"));
        type(window.txtMute(), QStringLiteral("7x"));
        QCOMPARE(window.txtMute()->text(), QStringLiteral("7"));
        QTest::mouseClick(window.button(EditorControl::cmdAdd), Qt::LeftButton);
        QCOMPARE(window.gridModel()->rowCount(), 4);
        QCOMPARE(cell(window, 3, 1), QStringLiteral("a_b_cd"));
        QCOMPARE(cell(window, 3, 2), QStringLiteral("607.100"));
        QCOMPARE(window.lblStatus()->text(), QStringLiteral("Performer 4 added to Show.frq"));
        QCOMPARE(window.lblNo()->text(), QStringLiteral("4"));
        QCOMPARE(window.txtName()->text(), QString());
        QVERIFY(window.flxUser()->selectionModel()->isRowSelected(3, {}));
        QVERIFY(rig.fileMatchesGrid());
        QVERIFY(rig.prompter.boxes.empty());

        // Going to another window and back is an activation: what runs then (metering that a
        // pass restarted, say) is stopped again and the status line is cleared. Leaving
        // restarts nothing.
        rig.timers.setEnabled(PollTimer, true);
        QEvent away(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&window, &away);
        QVERIFY(rig.timers.enabled(PollTimer));
        QEvent back(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &back);
        QVERIFY(rig.pollingStopped());
        QCOMPARE(window.lblStatus()->text(), QString());

        // A row clicked fills the boxes; Update and Delete follow into the file.
        test::ClickGridRow(window, 1);
        QCOMPARE(window.txtName()->text(), QStringLiteral("Mic002"));
        QCOMPARE(window.lblRow()->text(), QStringLiteral("2"));
        type(window.txtMute(), QStringLiteral("3"));
        QTest::mouseClick(window.button(EditorControl::cmdUpdate), Qt::LeftButton);
        QCOMPARE(cell(window, 1, 3), QStringLiteral("3"));
        QCOMPARE(window.lblStatus()->text(), QStringLiteral("Perfomer 2 updated in Show.frq"));
        test::ClickGridRow(window, 0);
        QTest::mouseClick(window.button(EditorControl::cmdDelete), Qt::LeftButton);
        QCOMPARE(window.gridModel()->rowCount(), 3);
        QCOMPARE(cell(window, 0, 1), QStringLiteral("Mic002"));
        QVERIFY(rig.fileMatchesGrid());

        // The close box unloads the editor: polling comes back, and the next show starts from
        // the design state.
        window.windowHandle()->close();
        QVERIFY(!window.isVisible());
        QVERIFY(!rig.editor.loaded());
        QVERIFY(rig.polling());
        rig.editor.Show(QStringLiteral("Next"));
        QCOMPARE(window.gridModel()->rowCount(), 0);
        for (EditorControl control : {EditorControl::cmdUpload, EditorControl::cmdDownload,
                                      EditorControl::cmdAdd, EditorControl::cmdDelete}) {
            QVERIFY(window.button(control)->isVisible());
            QVERIFY(window.button(control)->isEnabled());
        }
        QVERIFY(window.cmbRxs()->isVisible());
        QCOMPARE(window.cmbRxs()->count(), 3);
        QTest::mouseClick(window.cmdFinish(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(rig.polling());
    }

    void droppedTextObeysTheKeyRulesAndLeavingTheFrequencyBoxChecksOnce() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(2)));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(QTest::qWaitForWindowActive(&window));

        window.txtName()->clear();
        QMimeData data;
        data.setText(QStringLiteral("\u00e9 x  y z w"));
        const QPointF at(2, window.txtName()->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.txtName(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.txtName(), &dropped);
        QCOMPARE(window.txtName()->text(), QStringLiteral("_x__y_"));
        QCOMPARE(rig.editor.state().txtName, QStringLiteral("_x__y_"));
        window.txtMute()->clear();
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("9\u00bd1x2"));
        QCoreApplication::sendEvent(window.txtMute(), &composed);
        QCOMPARE(window.txtMute()->text(), QStringLiteral("91"));

        // A frequency outside the band: its box comes up (taking the focus from the window),
        // which is not another exit; the box is cleared and keeps the focus.
        window.txtFreq()->setFocus(Qt::TabFocusReason);
        type(window.txtFreq(), QStringLiteral("650"));
        int boxes = 0;
        rig.prompter.onShow = [&](const MessageBoxSpec&) {
            ++boxes;
            QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(window.txtFreq(), &away);
        };
        window.txtMute()->setFocus(Qt::TabFocusReason);
        QCOMPARE(boxes, 1);
        QCOMPARE(window.txtFreq()->text(), QString());
        QVERIFY(window.txtFreq()->hasFocus());
        rig.prompter.onShow = nullptr;

        type(window.txtFreq(), QStringLiteral("6071"));
        window.txtName()->setFocus(Qt::TabFocusReason);
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("607.100"));
        QCOMPARE(boxes, 1);
    }
};

} // namespace k7

QTEST_MAIN(k7::EditorWindowTest)
#include "EditorWindowTest.moc"
