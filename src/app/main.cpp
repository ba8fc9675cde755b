// The station's program: the command line, the ports (real or simulated), the station and its
// windows, then the event loop. Exit code 0 after an orderly stop, 2 when start-up refused.
#include "AppPaths.h"
#include "CommandLine.h"
#include "CoordinateCommand.h"
#include "QtPrompter.h"
#include "RecordingPrompter.h"
#include "Station.h"
#include "StationWindows.h"
#include "Trace.h"
#include "link/SerialPortDriver.h"
#include "link/WireLog.h"
#include "platform/EventPump.h"
#include "platform/MonotonicClock.h"
#include "platform/QtTimerFactory.h"
#include "platform/QtTonePort.h"
#include "platform/SettingsStore.h"
#include "sim/Scenario.h"
#include "sim/SimulatedRack.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

namespace {

int Refuse(const QString& text) {
    std::fprintf(stderr, "k7station: %s\n", qPrintable(text));
    return k7::Station::kExitRefused;
}

// The command line as the program was started, before Qt takes its own options out of it.
QStringList Arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    return args;
}

// Where the windows would have no window system to open on, Qt would end the program inside its
// own start-up: say so instead. A platform chosen explicitly is Qt's to judge.
bool NoDisplay(const k7::CommandLine& line) {
#if defined(Q_OS_LINUX)
    return line.platform.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(line);
    return false;
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (k7::WantsCoordination(argc, argv)) {
        return k7::RunCoordinateCommand({argv + 1, argv + argc}, std::cout, std::cerr);
    }
#ifdef SIGXFSZ
    // A file-size limit makes a write fail (and the writer say so) instead of ending the station.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The line is read before any window system is touched: a wrong option, --help, --help-all
    // and --version need no display.
    const k7::CommandLineResult parsed = k7::ParseCommandLine(Arguments(argc, argv));
    if (!parsed.information.isEmpty()) {
        std::fputs(qPrintable(parsed.information), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!parsed.options) {
        return Refuse(parsed.error + QStringLiteral(" (see --help)"));
    }
    const k7::CommandLine& line = *parsed.options;
    if (NoDisplay(line)) {
        return Refuse(
            QStringLiteral("no display to show the station on (DISPLAY is not set): start "
                           "it in a desktop session, or run it without a display with "
                           "-platform offscreen"));
    }

    // The one time origin of the run: the wire log, the trace and every timer read it.
    k7::MonotonicClock clock;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltora"));
    QCoreApplication::setApplicationName(QStringLiteral("K7 Series"));

    // The application folder first: the trace and the wire log may be asked for inside it.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString applicationFolder = k7::ApplicationFolder(programFolder, line.appDir);

    k7::Trace trace(clock);
    if (!line.traceFile.isEmpty() && !trace.open(line.traceFile)) {
        return Refuse(QStringLiteral("cannot write the trace %1: %2")
                          .arg(line.traceFile, trace.errorString()));
    }
    const auto refuseTraced = [&trace](const QString& text) {
        trace.Exit(k7::Station::kExitRefused);
        return Refuse(text);
    };

    std::unique_ptr<k7::Ftd2xx> device;
    if (line.simulated()) {
        std::optional<k7::sim::Scenario> scenario;
        if (line.simulatedCount > 0) {
            scenario = k7::sim::Scenario::simulated(line.simulatedCount);
        } else {
            QString error;
            scenario = k7::sim::Scenario::fromFile(line.scenarioFile, &error);
            if (!scenario) {
                return refuseTraced(error);
            }
        }
        device = std::make_unique<k7::sim::SimulatedRack>(*scenario, clock);
    } else {
        device = std::make_unique<k7::SerialPortDriver>();
    }
    k7::Ftd2xx* driver = device.get();
    k7::WireLog wireLog(*device, clock);
    if (!line.wireLog.isEmpty()) {
        if (!wireLog.open(line.wireLog)) {
            return refuseTraced(QStringLiteral("cannot write the wire log %1: %2")
                                    .arg(line.wireLog, wireLog.errorString()));
        }
        driver = &wireLog;
    }

    // Nobody answers message boxes in an unattended run or on the offscreen platform.
    const bool unattended =
        line.runForSeconds > 0 || QGuiApplication::platformName() == QLatin1String("offscreen");
    k7::QtPrompter boxes;
    k7::RecordingPrompter prompter(&boxes, trace, unattended);
    k7::QtFileChooser chooser;
    k7::QtTimerFactory timerFactory;
    k7::QtEventPump pump;
    k7::QtSettingsStore settings;
    k7::QtTonePort tones;

    k7::StationOptions options{applicationFolder, QString(), line.arrangement, std::nullopt};
    if (line.crewView) {
        options.crewView =
            k7::CrewEndpoint{QHostAddress(line.crewAddress), static_cast<quint16>(line.crewPort)};
    }
    k7::Station station(k7::StationPorts{clock, timerFactory, pump, prompter, chooser, settings,
                                         *driver, trace, &tones},
                        options);

    k7::StationWindows windows(station, k7::StationWindowsOptions{programFolder, line.snapshot},
                               &boxes, &chooser);

    if (!station.Start()) {
        return station.ExitCode();
    }
    if (line.crewView) {
        // The address with its key, for a person or a script to open; a view that cannot
        // serve says why, and the station meters on without it.
        const k7::CrewViewState& crew = station.crewView().state();
        if (crew.serving) {
            std::fprintf(stdout, "Crew view: %s\n", qPrintable(crew.url));
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "k7station: %s\n", qPrintable(crew.error));
        }
    }
    if (line.runForSeconds > 0) {
        QTimer::singleShot(static_cast<int>(line.runForSeconds * 1000), Qt::PreciseTimer, &app,
                           [&station] { station.CloseNow(); });
    }
    const int code = QApplication::exec();
    return station.Stopped() ? station.ExitCode() : code;
}
