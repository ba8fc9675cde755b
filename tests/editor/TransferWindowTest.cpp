// The editor's real window through a transfer: a file sent to a receiver with "Send data to
// Rx", the receiver's set fetched back with "Upload from Rx" into the grid, and File > Save
// that keeps it as a new file, after which the window edits that file.
#include "EditorRig.h"
#include "editor/EditorGridModel.h"
#include "editor/EditorWindow.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

namespace k7 {

// The texts a label showed as it was painted.
class PaintedTexts final : public QObject {
public:
    explicit PaintedTexts(QLabel* label) : label_(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == label_ && event->type() == QEvent::Paint) {
            texts << label_->text();
        }
        return false;
    }
    QStringList texts;

private:
    QLabel* label_;
};

class TransferWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void aSetGoesToAReceiverComesBackAndIsSavedAsANewFile() {
        test::EditorRig rig;
        QVERIFY(rig.started);
        EditorWindow window(rig.editor);
        QAbstractItemModelTester tester(window.gridModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(rig.write("Show.frq", test::EditorRig::Document(3)));
        EditorDocument document = rig.readBack("Show.frq");
        document.EditFile = QStringLiteral("Show.frq");
        rig.editor.Open(document, EditorMode::Transfer);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.cmbRxs()->isVisible());
        QCOMPARE(window.cmbRxs()->count(), test::EditorRig::kReceivers);
        QVERIFY(!window.button(EditorControl::cmdAdd)->isVisible());
        QVERIFY(!window.button(EditorControl::cmdUpload)->isEnabled());
        QVERIFY(!window.txtName()->isEnabled());

        window.cmbRxs()->setCurrentIndex(1);
        QTest::mouseClick(window.button(EditorControl::cmdDownload), Qt::LeftButton);
        QCOMPARE(window.lblStatus()->text(), QStringLiteral("3 Frequencies written"));
        const int position = rig.harness.devices.SlotDevice[2];
        QCOMPARE(rig.harness.receiver(position).presetCount(), 3);
        QTest::mouseClick(window.cmdFinish(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(rig.polling());

        rig.editor.OpenForUpload();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltora frequency File: "));
        QCOMPARE(window.gridModel()->rowCount(), 0);
        QVERIFY(!window.mnuFile()->isEnabled());
        QVERIFY(!window.button(EditorControl::cmdDownload)->isEnabled());
        window.cmbRxs()->setCurrentIndex(1);
        // The status shows "Written 2  " while the answer is awaited: painted there and then,
        // with nothing else let run (so nothing else is painted).
        QTest::qWait(50); // the window's first paint
        PaintedTexts painted(window.lblStatus());
        QTest::mouseClick(window.button(EditorControl::cmdUpload), Qt::LeftButton);
        QCOMPARE(painted.texts, QStringList{QStringLiteral("Written 2  ")});
        QCOMPARE(window.lblStatus()->text(), QStringLiteral("Data Received"));
        QCOMPARE(window.gridModel()->rowCount(), 3);
        QCOMPARE(window.gridModel()->index(1, 1).data().toString(), QStringLiteral("Mic002"));
        QCOMPARE(window.gridModel()->index(2, 2).data().toString(), QStringLiteral("606.650"));
        QVERIFY(window.mnuFile()->isEnabled());
        QVERIFY(window.button(EditorControl::cmdDownload)->isEnabled());
        QVERIFY(!window.button(EditorControl::cmdUpdate)->isEnabled());
        QCOMPARE(window.focusWidget(), window.cmdFinish());

        rig.chooser.choices = {rig.path(QStringLiteral("Back.frq"))};
        window.mnuSave()->trigger();
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltora frequency File: Back.frq"));
        // A normal editor of the new file: "Save" is off, the CSV commands keep the menu on.
        QVERIFY(!window.mnuSave()->isEnabled());
        QVERIFY(window.mnuExportCsv()->isEnabled());
        QVERIFY(window.button(EditorControl::cmdAdd)->isVisible());
        QVERIFY(window.txtName()->isEnabled());
        QVERIFY(!window.cmbRxs()->isVisible());
        QVERIFY(static_cast<bool>(rig.fileMatchesGrid()));
        const EditorDocument back = rig.readBack(QStringLiteral("Back.frq"));
        for (int e = 1; e <= 3; ++e) {
            QCOMPARE(back.EditData[e].Name, document.EditData[e].Name);
            QCOMPARE(back.EditData[e].Frequency, document.EditData[e].Frequency);
        }
        QTest::mouseClick(window.cmdFinish(), Qt::LeftButton);
        QVERIFY(rig.polling());
    }
};

} // namespace k7

QTEST_MAIN(k7::TransferWindowTest)
#include "TransferWindowTest.moc"
