// What the polling pattern alone costs on this machine, as the floor under bench/cpu_share.sh's
// figures: a window on the screen and a precise timer at the poll interval whose handler blocks
// for as long as reading one meter answer takes (14 bytes at 56000 baud), and nothing else.
// Given a repaint pace, the window also repaints five cell-sized rectangles at that pace, on the
// first tick at least that long after the last repaint, as the meter window does when every
// answer changes it: what any window polling and showing its changes at the screen's pace costs.
// Run for a while; the caller measures its processor time.
//   poll_floor [seconds=60] [interval ms=4] [read us=2500] [repaint pace ms=0: none]
#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

namespace {

// Fills what it is asked to repaint, in one colour a repaint, so every repaint changes pixels.
class PacedWindow final : public QWidget {
public:
    PacedWindow() { setAttribute(Qt::WA_OpaquePaintEvent); }

    // Five rectangles the size of a meter cell's changes, in another place each time.
    void repaintCells() {
        ++repaints_;
        QRegion cells;
        for (int i = 0; i < 5; ++i) {
            const int column = (repaints_ * 5 + i) % 8;
            cells += QRect(10 + column * 98, 40 + i * 120, 90, 100);
        }
        repaint(cells);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QColor colour = (repaints_ % 2) != 0 ? QColor(0, 160, 0) : QColor(0, 90, 0);
        for (const QRect& rect : event->region()) {
            painter.fillRect(rect, colour);
        }
    }

private:
    int repaints_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const double seconds = args.size() > 1 ? args[1].toDouble() : 60.0;
    const int intervalMs = args.size() > 2 ? args[2].toInt() : 4;
    const int readMicros = args.size() > 3 ? args[3].toInt() : 2500;
    const int paceMs = args.size() > 4 ? args[4].toInt() : 0;

    PacedWindow window;
    window.resize(800, 700);
    window.show();
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(intervalMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (readMicros > 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(readMicros));
        }
        if (paceMs > 0 && sinceRepaint.elapsed() >= paceMs) {
            sinceRepaint.restart();
            window.repaintCells();
        }
    });
    poll.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    return QApplication::exec();
}
