// What the polling pattern alone costs on this machine, as the floor under bench/cpu_share.sh's
// figures: a window on the screen and a precise timer at the poll interval whose handler blocks
// for as long as reading one meter answer takes (14 bytes at 56000 baud), and nothing else.
// Run for a while; the caller measures its processor time.
//   poll_floor [seconds=60] [interval ms=4] [read us=2500]
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const double seconds = args.size() > 1 ? args[1].toDouble() : 60.0;
    const int intervalMs = args.size() > 2 ? args[2].toInt() : 4;
    const int readMicros = args.size() > 3 ? args[3].toInt() : 2500;

    QWidget window;
    window.resize(800, 700);
    window.show();
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(intervalMs);
    QObject::connect(&poll, &QTimer::timeout, [readMicros] {
        std::this_thread::sleep_for(std::chrono::microseconds(readMicros));
    });
    poll.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    return QApplication::exec();
}
