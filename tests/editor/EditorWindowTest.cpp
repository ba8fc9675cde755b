// The editor's real window over the simulated rack: that a key, a click or a menu command
// reaches the controller and that its state reaches the screen, for editing, a transfer and
// coordination. What the commands do, and the files they write, is proven on the controller
// (FrequencyEditorTest, TransferTest, EditorCoordinationTest); widgets are found by their names.
#include "editor/EditorWindow.h"
#include "EditorRig.h"
#include "editor/ConflictTableWindow.h"
#include "editor/CoordinateDialog.h"
#include "support/FindChild.h"
#include "support/ModalWork.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include <functional>

namespace k7 {

class EditorWindowTest : public QObject {
    Q_OBJECT

    // The editor's window over the rig's editor, with the rig's CSV and coordination commands.
    struct Shown {
        explicit Shown(test::EditorRig& rig)
            : window(rig.editor, rig.harness.core.editorCsv(),
                     rig.harness.core.editorCoordination()) {}
        template <typename T>
        T* find(const char* name) {
            return test::Find<T>(window, name);
        }
        QLineEdit* box(const char* name) { return find<QLineEdit>(name); }
        QPushButton* button(const char* name) { return find<QPushButton>(name); }
        QString status() { return find<QLabel>("lblStatus")->text(); }
        QTableView* grid() { return find<QTableView>("flxUser"); }
        QString cell(int row, int column) {
            return grid()->model()->index(row, column).data().toString();
        }
        void clickRow(int row, Qt::KeyboardModifiers keys = {}) {
            const QRect cellRect = grid()->visualRect(grid()->model()->index(row, 1));
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, keys, cellRect.center());
        }
        EditorWindow window;
    };

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void keysClicksAndTheCloseBoxReachTheEditor() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        Shown shown(rig);
        QAbstractItemModelTester tester(shown.grid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        QCOMPARE(shown.window.windowTitle(), QStringLiteral("Veltora frequency File: Show.frq"));
        QCOMPARE(shown.grid()->model()->rowCount(), 3);
        QVERIFY(!shown.button("cmdUpload")->isVisible());

        // Typing, a drop and an input method all pass the box's rules.
        shown.box("txtName")->clear();
        QTest::keyClicks(shown.box("txtName"), QStringLiteral("a b cdefg"));
        QCOMPARE(rig.editor.state().txtName, QStringLiteral("a_b_cd"));
        shown.box("txtName")->selectAll(); // typed over: the six characters are no bar
        QTest::keyClicks(shown.box("txtName"), QStringLiteral("x y"));
        QCOMPARE(rig.editor.state().txtName, QStringLiteral("x_y"));
        QMimeData data;
        data.setText(QStringLiteral("6x07.1"));
        shown.box("txtFreq")->clear();
        QDragEnterEvent enter(QPoint(2, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(shown.box("txtFreq"), &enter);
        QDropEvent dropped(QPointF(2, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(shown.box("txtFreq"), &dropped);
        QCOMPARE(rig.editor.state().txtFreq, QStringLiteral("607.1"));
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("7x"));
        shown.box("txtMute")->clear();
        QCoreApplication::sendEvent(shown.box("txtMute"), &composed);
        QCOMPARE(rig.editor.state().txtMute, QStringLiteral("7"));

        QTest::mouseClick(shown.button("cmdAdd"), Qt::LeftButton);
        QCOMPARE(shown.cell(3, 1), QStringLiteral("x_y"));
        QCOMPARE(shown.status(), QStringLiteral("Performer 4 added to Show.frq"));

        // A row clicked is the editor's selection; leaving the frequency box is its check.
        shown.clickRow(1);
        QCOMPARE(shown.box("txtName")->text(), QStringLiteral("Mic002"));
        shown.box("txtFreq")->setFocus(Qt::TabFocusReason);
        shown.box("txtFreq")->setText(QStringLiteral("6071"));
        shown.box("txtMute")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(shown.box("txtFreq")->text(), QStringLiteral("607.100"));

        // The close box unloads the editor and polling comes back.
        shown.window.windowHandle()->close();
        QVERIFY(!shown.window.isVisible());
        QVERIFY(!rig.editor.loaded());
        QVERIFY(rig.polling());
    }

    // The check runs on every exit from the frequency box (Tab, Shift+Tab, a click), also after
    // its own message box has sent the focus back; the box is a real modal one, as the
    // station's, and its end gives the editor back the activation, as a window manager does.
    void theFrequencyCheckRunsOnEveryExitFromItsBox() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        Shown shown(rig);
        rig.prompter.onShow = [&shown](const MessageBoxSpec& asked) {
            QMessageBox box(QMessageBox::Warning, asked.title, asked.text);
            QTimer::singleShot(0, &box, &QMessageBox::accept);
            box.exec();
            QApplication::setActiveWindow(&shown.window);
        };
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        QLineEdit* freq = shown.box("txtFreq");
        const auto typeAndLeave = [&](const QString& text, const std::function<void()>& leave) {
            freq->setFocus(Qt::MouseFocusReason);
            freq->selectAll();
            QTest::keyClicks(freq, text);
            leave();
        };
        const auto tab = [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
        const auto backTab = [&] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        };
        const auto click = [&] {
            QTest::mouseClick(shown.box("txtName"), Qt::LeftButton);
            shown.box("txtName")->setFocus(Qt::MouseFocusReason);
        };
        const struct {
            const char* typed;
            std::function<void()> leave;
            const char* shown;
            std::size_t boxes;
        } exits[] = {{"700", tab, "", 1},   {"612", tab, "612.000", 1},
                     {"7", backTab, "", 2}, {"6125", backTab, "612.500", 2},
                     {"700", click, "", 3}, {"6131", click, "613.100", 3}};
        for (const auto& exit : exits) {
            typeAndLeave(QString::fromLatin1(exit.typed), exit.leave);
            QTRY_COMPARE(freq->text(), QString::fromLatin1(exit.shown));
            QTRY_COMPARE(rig.prompter.boxes.size(), exit.boxes);
            QTRY_VERIFY2((QApplication::focusWidget() == freq) == (exit.shown[0] == '\0'),
                         exit.typed);
        }
    }

    // Every use the editor is put in sets every control of that use: File > New over an open
    // transfer has its Add button, and after a good upload no longer offers File > Save.
    void aNewFileOverAnotherUseGetsTheControlsOfANewFile() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        Shown shown(rig);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        EditorDocument fresh = rig.readBack("Show.frq");
        fresh.EditFile = QStringLiteral("NewX.frq");
        const auto expectNewFile = [&] {
            for (const char* shownEnabled : {"cmdAdd", "cmdUpdate"}) {
                QVERIFY2(shown.button(shownEnabled)->isVisible(), shownEnabled);
                QVERIFY2(shown.button(shownEnabled)->isEnabled(), shownEnabled);
            }
            for (const char* shownDisabled : {"cmdInsert", "cmdDelete"}) {
                QVERIFY2(shown.button(shownDisabled)->isVisible(), shownDisabled);
                QVERIFY2(!shown.button(shownDisabled)->isEnabled(), shownDisabled);
            }
            for (const char* hidden : {"cmdDownload", "cmdUpload"}) {
                QVERIFY2(!shown.button(hidden)->isVisible(), hidden);
            }
            QVERIFY(!shown.find<QComboBox>("cmbRxs")->isVisible());
            QVERIFY(shown.box("txtName")->isEnabled());
            QVERIFY(!shown.find<QAction>("mnuSave")->isEnabled());
        };

        QVERIFY(rig.open("Show.frq", EditorMode::Transfer));
        QVERIFY(QTest::qWaitForWindowExposed(&shown.window));
        rig.editor.OpenNewFile(fresh);
        expectNewFile();
        shown.box("txtFreq")->setText(QStringLiteral("610.000"));
        QTest::mouseClick(shown.button("cmdAdd"), Qt::LeftButton);
        QCOMPARE(shown.grid()->model()->rowCount(), 2);

        rig.editor.OpenForUpload();
        QTest::mouseClick(shown.button("cmdUpload"), Qt::LeftButton);
        QCOMPARE(shown.status(), QStringLiteral("Data Received"));
        QVERIFY(shown.find<QAction>("mnuSave")->isEnabled());
        rig.editor.OpenNewFile(fresh);
        expectNewFile();
    }

    void aTransferRunsFromTheWindowsButtons() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        Shown shown(rig);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        QVERIFY(rig.open("Show.frq", EditorMode::Transfer));
        QVERIFY(QTest::qWaitForWindowExposed(&shown.window));
        auto* receivers = shown.find<QComboBox>("cmbRxs");
        QCOMPARE(receivers->count(), test::EditorRig::kReceivers);
        receivers->setCurrentIndex(1);
        QTest::mouseClick(shown.button("cmdDownload"), Qt::LeftButton);
        QCOMPARE(shown.status(), QStringLiteral("3 Frequencies written"));
        QTest::mouseClick(shown.button("cmdFinish"), Qt::LeftButton);
        QVERIFY(!shown.window.isVisible());

        rig.editor.OpenForUpload();
        receivers->setCurrentIndex(1);
        QTest::mouseClick(shown.button("cmdUpload"), Qt::LeftButton);
        QCOMPARE(shown.status(), QStringLiteral("Data Received"));
        QCOMPARE(shown.cell(1, 1), QStringLiteral("Mic002"));
        rig.chooser.choices = {rig.path(QStringLiteral("Back.frq"))};
        shown.find<QAction>("mnuSave")->trigger();
        QCOMPARE(shown.window.windowTitle(), QStringLiteral("Veltora frequency File: Back.frq"));
        QTest::mouseClick(shown.button("cmdFinish"), Qt::LeftButton);
        QVERIFY(rig.polling());
    }

    void checkAndCoordinateRunFromTheMenu() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        Shown shown(rig);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document({"610.000", "610.025", "620.000",
                                                                 "620.050", "620.075"})));
        QVERIFY(rig.open("Show.frq"));
        QVERIFY(!shown.button("cmdConflicts")->isVisible());
        shown.find<QAction>("mnuCheck")->trigger();
        QCOMPARE(shown.status(), rig.editor.state().lblStatus);
        QVERIFY2(shown.status().startsWith(QStringLiteral("5 of 5 rows in conflict; ")),
                 qPrintable(shown.status()));
        QVERIFY(!shown.grid()->model()->index(0, 1).data(Qt::ToolTipRole).toString().isEmpty());

        // The status line opens the table; it sorts by any column; Export writes it.
        QVERIFY(shown.button("cmdConflicts")->isVisible());
        QTest::mouseClick(shown.button("cmdConflicts"), Qt::LeftButton);
        auto* table = shown.find<ConflictTableWindow>("frmConflicts");
        QVERIFY(table->isVisible());
        auto* view = table->findChild<QTableView*>(QStringLiteral("conflictTable"));
        QCOMPARE(view->model()->rowCount(), 5);
        view->sortByColumn(ConflictTableModel::Frequency, Qt::DescendingOrder);
        const auto place = [&](int r) { return view->model()->index(r, 0).data().toString(); };
        QCOMPARE(place(0) + place(4), QStringLiteral("51"));
        QVERIFY(!view->model()->index(0, 0).data(Qt::ToolTipRole).toString().isEmpty());
        const QString csv = rig.harness.dataFolder() + QStringLiteral("/conflicts.csv");
        rig.chooser.choices = {csv};
        QTest::mouseClick(table->findChild<QPushButton*>(QStringLiteral("cmdExportConflicts")),
                          Qt::LeftButton);
        QFile exported(csv);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll().count('\n'), 6);
        table->close();

        // The selected rows are the dialog's locked rows; its set is written to the file.
        shown.clickRow(0);
        shown.clickRow(2, Qt::ControlModifier);
        bool seen = false;
        test::WhenModalShows<CoordinateDialog>([&](CoordinateDialog& dialog) {
            auto* rows = dialog.findChild<QListWidget*>(QStringLiteral("locked"));
            QVERIFY(rows != nullptr);
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(rows->item(i)->checkState() == Qt::Checked, i == 0 || i == 2);
            }
            dialog.findChild<QSpinBox*>(QStringLiteral("budget"))->setValue(5);
            seen = true;
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))
                                  ->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        shown.find<QAction>("mnuCoordinate")->trigger();
        QVERIFY(seen);
        QCOMPARE(shown.status(), QStringLiteral("Coordinated: 3 rows filled; the set is clean"));
        QCOMPARE(LoadCoordinationSetup(rig.harness.settings).budgetSeconds, 5);
    }
};

} // namespace k7

QTEST_MAIN(k7::EditorWindowTest)
#include "EditorWindowTest.moc"
