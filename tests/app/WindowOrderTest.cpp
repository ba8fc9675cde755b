// The station's windows under a real X server (tests/app/under-xvfb.sh), the main window full
// screen: the control panel a right click opens, and every other dialog and tool window of the
// station, belongs to the main window (WM_TRANSIENT_FOR, which a window manager keeps above it,
// full screen or not) and is mapped above it; the History and Alerts windows too.
#include "app/StationWindows.h"
#include "display/MeterPanelWidget.h"
#include "support/FindChild.h"
#include "support/StationRig.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace k7 {
namespace {

xcb_connection_t* Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The window the X property WM_TRANSIENT_FOR of a window names (0 when it has none).
xcb_window_t TransientFor(xcb_window_t window) {
    xcb_connection_t* x = Connection();
    const auto cookie =
        xcb_get_property(x, 0, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(x, cookie, nullptr);
    xcb_window_t owner = 0;
    if (reply && xcb_get_property_value_length(reply) == 4) {
        owner = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return owner;
}

// The root's children, bottom to top: the order in which the X server stacks them.
std::vector<xcb_window_t> Stacking(xcb_window_t any) {
    xcb_connection_t* x = Connection();
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, any), nullptr);
    std::vector<xcb_window_t> order;
    if (tree) {
        xcb_query_tree_reply_t* top =
            xcb_query_tree_reply(x, xcb_query_tree(x, tree->root), nullptr);
        if (top) {
            const xcb_window_t* children = xcb_query_tree_children(top);
            order.assign(children, children + xcb_query_tree_children_length(top));
        }
        std::free(top);
    }
    std::free(tree);
    return order;
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

    void everyWindowOpensAboveTheFullScreenMainWindow() {
        test::StationRig rig(test::RackOf(8));
        rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("PanelWindow"),
                                 QStringLiteral("8 800x700 fullscreen"));
        StationWindows windows(*rig.station,
                               StationWindowsOptions{QStringLiteral(K7_ASSET_DIR), {}});
        MainWindow& main = windows.mainWindow();
        QVERIFY(rig.station->Start());
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_VERIFY(main.isFullScreen());
        const auto belongsToMain = [&main](QWidget& window) {
            return window.windowHandle() && window.windowHandle()->transientParent() &&
                   window.windowHandle()->transientParent() == main.windowHandle();
        };
        QVERIFY(windows.startupDialog().isVisible());
        QVERIFY(belongsToMain(windows.startupDialog()));
        QVERIFY(rig.RunToMonitoring());

        // A right click on slot 2: the control panel, mapped above the full-screen window.
        MeterPanelWidget& cells = windows.meterPanelWidget();
        const QPoint cell2 = cells.scale().toWidget(windows.meterPanel().CellRect(2)).center();
        QTest::mouseMove(&cells, cell2);
        QTest::mouseClick(&cells, Qt::RightButton, {}, cell2);
        ReceiverPanelWindow& panel = windows.receiverPanelWindow();
        QTRY_VERIFY(panel.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(belongsToMain(panel));
        const auto mainId = static_cast<xcb_window_t>(main.winId());
        const auto panelId = static_cast<xcb_window_t>(panel.winId());
        QCOMPARE(TransientFor(panelId), mainId);
        const std::vector<xcb_window_t> order = Stacking(mainId);
        const auto at = [&order](xcb_window_t window) {
            return std::find(order.begin(), order.end(), window) - order.begin();
        };
        QVERIFY(at(mainId) < static_cast<std::ptrdiff_t>(order.size()));
        QVERIFY2(at(panelId) > at(mainId), "the panel is stacked above the main window");

        // The other windows of the menus belong to the main window as well: the dialogs and tool
        // windows for the window manager (WM_TRANSIENT_FOR, which keeps them above it), the
        // History and Alerts windows (normal windows, raised and activated when opened) in
        // Qt's window tree; each is mapped above the main window.
        for (const char* action : {"mnuAbout", "mnuAlerts", "mnuHistory"}) {
            test::Find(main, action)->trigger();
        }
        int dialogs = 0, normal = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window == &main || !window->isVisible()) {
                continue;
            }
            const QString name = window->objectName();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QWindow* parent = window->windowHandle()->transientParent();
            QVERIFY2(parent == main.windowHandle() ||
                         (parent && parent->transientParent() == main.windowHandle()),
                     qPrintable(name));
            const auto id = static_cast<xcb_window_t>(window->winId());
            const Qt::WindowType type = window->windowType();
            if (type == Qt::Dialog || type == Qt::Tool) {
                ++dialogs;
                QVERIFY2(TransientFor(id) != 0, qPrintable(name));
            } else {
                ++normal;
            }
            const std::vector<xcb_window_t> now = Stacking(mainId);
            QVERIFY2(std::find(now.begin(), now.end(), id) >
                         std::find(now.begin(), now.end(), mainId),
                     qPrintable(name));
        }
        QVERIFY(dialogs >= 2); // the panel, the About box
        QCOMPARE(normal, 2);   // Alerts, History
        rig.station->CloseNow();
    }
};

} // namespace k7

QTEST_MAIN(k7::WindowOrderTest)
#include "WindowOrderTest.moc"
