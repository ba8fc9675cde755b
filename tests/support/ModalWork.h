// Work on a modal dialog from a window test: the work runs once the dialog of type T is up,
// while the command that opened it waits in it (exec), even after a station in the same process
// has stopped. Header only; the test links Qt Test and Qt Widgets.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

namespace k7::test {

// A station that stopped earlier in the process asked the application to exit: Qt keeps that
// request until the application's own loop runs, and till then every modal loop ends at once, so
// that loop is run and left first.
template <typename T>
void WhenModalShows(std::function<void(T&)> work) {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QTimer::singleShot(0, [work = std::move(work)] {
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<T*>(QApplication::activeModalWidget()), 10000);
        work(*qobject_cast<T*>(QApplication::activeModalWidget()));
    });
}

} // namespace k7::test
