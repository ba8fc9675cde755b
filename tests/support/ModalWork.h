// Work on a modal dialog from a window test: the work runs once the dialog of type T is up,
// while the command that opened it waits in it (exec), even after a station in the same process
// has stopped. Header only; the test links Qt Test and Qt Widgets.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace k7::test {

// A station that stopped earlier in the process asked the application to exit; Qt keeps that
// request until the application's own loop runs, and until then every modal loop ends at once.
// The application's loop, run and left at once, clears it.
inline void ClearExitRequest() {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

template <typename T>
void WhenModalShows(std::function<void(T&)> work) {
    ClearExitRequest();
    QTimer::singleShot(0, [work = std::move(work)] {
        QElapsedTimer clock;
        clock.start();
        while (qobject_cast<T*>(QApplication::activeModalWidget()) == nullptr &&
               clock.elapsed() < 10000) {
            QTest::qWait(10);
        }
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        work(*dialog);
    });
}

} // namespace k7::test
