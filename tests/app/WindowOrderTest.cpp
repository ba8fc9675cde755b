// The station's windows under a real X server (tests/app/under-xvfb.sh), the main window full
// screen: the control panel a right click opens, and every other dialog and tool window, is
// transient for the main window (WM_TRANSIENT_FOR: a window manager keeps it above the main
// window, full screen or not); the History and Alerts windows belong to it in Qt's tree.
#include "app/StationWindows.h"
#include "display/MeterPanelWidget.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QAction>
#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace k7 {
namespace {

xcb_connection_t* Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The window the X property WM_TRANSIENT_FOR of a window names (0 when it has none).
xcb_window_t TransientFor(const QWidget& window) {
    xcb_connection_t* x = Connection();
    const auto cookie = xcb_get_property(x, 0, static_cast<xcb_window_t>(window.winId()),
                                         XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(x, cookie, nullptr);
    xcb_window_t owner = 0;
    if (reply && xcb_get_property_value_length(reply) == 4) {
        owner = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return owner;
}

} // namespace

class WindowOrderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb") && Connection(),
                 "run under an X server, on Qt's xcb platform (tests/app/under-xvfb.sh)");
    }

    void everyWindowBelongsToTheFullScreenMainWindow() {
        test::StationRig rig(test::RackOf(8));
        rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("PanelWindow"),
                                 QStringLiteral("8 800x700 fullscreen"));
        StationWindows windows(*rig.station,
                               StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), {}});
        MainWindow& main = windows.mainWindow();
        QVERIFY(rig.station->Start());
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_VERIFY(main.isFullScreen());
        const auto mainId = static_cast<xcb_window_t>(main.winId());
        QCOMPARE(TransientFor(windows.startupDialog()), mainId);
        QVERIFY(rig.RunToMonitoring());

        // A right click on slot 2: the control panel.
        MeterPanelWidget& cells = windows.meterPanelWidget();
        const QPoint cell2 = cells.scale().toWidget(windows.meterPanel().CellRect(2)).center();
        QTest::mouseClick(&cells, Qt::RightButton, {}, cell2);
        ReceiverPanelWindow& panel = windows.receiverPanelWindow();
        QTRY_VERIFY(panel.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(TransientFor(panel), mainId);

        // The windows of the menus.
        for (const char* action : {"mnuAbout", "mnuAlerts", "mnuHistory"}) {
            test::Find(main, action)->trigger();
        }
        int normal = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window == &main || !window->isVisible()) {
                continue;
            }
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QByteArray name = window->objectName().toUtf8();
            if (window->windowType() == Qt::Window) {
                ++normal; // X gives a normal window no WM_TRANSIENT_FOR
                QVERIFY2(window->windowHandle()->transientParent() == main.windowHandle(),
                         name.constData());
            } else {
                QVERIFY2(TransientFor(*window) != 0, name.constData());
            }
        }
        QCOMPARE(normal, 2); // Alerts, History
        rig.station->CloseNow();
    }
};

} // namespace k7

QTEST_MAIN(k7::WindowOrderTest)
#include "WindowOrderTest.moc"
