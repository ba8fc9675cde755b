// The station's program: reads the command line, then hands over to the shell.
#include "CommandLine.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltora"));
    QCoreApplication::setApplicationName(QStringLiteral("K7 Series"));
    const k7::CommandLineResult line = k7::ParseCommandLine(QCoreApplication::arguments());
    if (!line.information.isEmpty()) {
        std::fputs(qPrintable(line.information), stdout);
        return 0;
    }
    if (!line.options) {
        std::fprintf(stderr, "k7station: %s\n", qPrintable(line.error));
        return 2;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Veltora Systems K7.5 Monitor"));
    window.show();
    return app.exec();
}
