// The station's program: builds the ports and the station, then runs the event loop.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Veltora Systems K7.5 Monitor"));
    window.show();
    return app.exec();
}
