// Text that reaches the control panel's boxes other than by typed keys (paste by Ctrl+V or
// Shift+Insert, drag and drop, an input method) passes the same rules as typing.
#include "PanelRig.h"
#include "control/ReceiverPanelWindow.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace k7 {

class PanelTextEntryTest : public QObject {
    Q_OBJECT

    static void paste(QLineEdit* box, const QString& text, bool shiftInsert = false) {
        QGuiApplication::clipboard()->setText(text);
        box->clear();
        box->setFocus();
        if (shiftInsert) {
            QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
        } else {
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        }
    }

    static void drop(QLineEdit* box, const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPointF at(2, box->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &dropped);
    }

    static void commit(QLineEdit* box, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(box, &event);
    }

private slots:
    void pastedTextKeepsOnlyWhatTheKeyRulesLetIn() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        ReceiverPanelWindow window(rig.panel);
        QVERIFY(rig.panel.Open(1));

        paste(window.txtFreq(), QStringLiteral("abc 1x"));
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("1"));
        QCOMPARE(rig.panel.txtFreq(), QStringLiteral("1"));
        paste(window.txtFreq(), QStringLiteral("6x07.1.25"), true);
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("607.125"));

        paste(window.txtName(), QStringLiteral("a b"));
        QCOMPARE(window.txtName()->text(), QStringLiteral("a_b"));
        QCOMPARE(rig.panel.txtName(), QStringLiteral("a_b"));
        paste(window.txtName(), QStringLiteral("\u00e9t\u00e9\t2"), true);
        QCOMPARE(window.txtName()->text(), QStringLiteral("t2")); // printable single bytes only
        paste(window.txtName(), QStringLiteral("x y z w v u"));
        QCOMPARE(window.txtName()->text(), QStringLiteral("x_y_z_")); // six at most

        // A paste into the middle keeps the cursor after what was kept of it.
        window.txtFreq()->setText(QStringLiteral("606.600"));
        window.txtFreq()->setCursorPosition(3);
        QGuiApplication::clipboard()->setText(QStringLiteral("9z9"));
        QTest::keyClick(window.txtFreq(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("60699.600"));
        QCOMPARE(window.txtFreq()->cursorPosition(), 5);
    }

    void droppedAndInputMethodTextPassTheSameRules() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        ReceiverPanelWindow window(rig.panel);
        QVERIFY(rig.panel.Open(2));
        window.show();

        window.txtFreq()->clear();
        drop(window.txtFreq(), QStringLiteral("MHz 612,3.4"));
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("6123.4"));
        window.txtName()->clear();
        drop(window.txtName(), QStringLiteral("DJ 2"));
        QCOMPARE(window.txtName()->text(), QStringLiteral("DJ_2"));

        window.txtName()->clear();
        commit(window.txtName(), QStringLiteral("\u00fcB 1"));
        QCOMPARE(window.txtName()->text(), QStringLiteral("B_1"));
        window.txtFreq()->clear();
        commit(window.txtFreq(), QStringLiteral("6o6.5"));
        QCOMPARE(window.txtFreq()->text(), QStringLiteral("66.5"));
    }

    void aCommaLocaleKeepsItsOwnSeparatorOnly() {
        test::PanelRig rig;
        QVERIFY(rig.started);
        rig.rack.DecimalSeparatorCode = ',';
        QCOMPARE(rig.panel.FreqTextAllowed(QStringLiteral("612.5,25,1")),
                 QStringLiteral("6125,251"));
        QCOMPARE(rig.panel.NameTextAllowed(QStringLiteral("~ok ")), QStringLiteral("~ok_"));
    }
};

} // namespace k7

QTEST_MAIN(k7::PanelTextEntryTest)
#include "PanelTextEntryTest.moc"
