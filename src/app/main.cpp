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
#include "platform/SettingsStore.h"
#include "sim/Scenario.h"
#include "sim/SimulatedRack.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <memory>

namespace {

int Refuse(const QString& text) {
    std::fprintf(stderr, "k7station: %s\n", qPrintable(text));
    return k7::Station::kExitRefused;
}

// --help and --version are answered without a display.
bool WantsInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--version" || arg == "-v") {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (k7::WantsCoordination(argc, argv)) {
        return k7::RunCoordinateCommand({argv + 1, argv + argc}, std::cout, std::cerr);
    }
    if (WantsInformation(argc, argv)) {
        QCoreApplication info(argc, argv);
        const k7::CommandLineResult parsed = k7::ParseCommandLine(QCoreApplication::arguments());
        if (!parsed.information.isEmpty()) {
            std::fputs(qPrintable(parsed.information), stdout);
            return 0;
        }
        return Refuse(parsed.error);
    }
    // The one time origin of the run: the wire log, the trace and every timer read it.
    k7::MonotonicClock clock;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltora"));
    QCoreApplication::setApplicationName(QStringLiteral("K7 Series"));

    const k7::CommandLineResult parsed = k7::ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.information.isEmpty()) {
        std::fputs(qPrintable(parsed.information), stdout);
        return 0;
    }
    if (!parsed.options) {
        return Refuse(parsed.error + QStringLiteral(" (see --help)"));
    }
    const k7::CommandLine& line = *parsed.options;

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

    const QString programFolder = QCoreApplication::applicationDirPath();
    k7::StationOptions options{k7::ApplicationFolder(programFolder, line.appDir), QString(),
                               line.arrangement, std::nullopt};
    if (line.crewView) {
        options.crewView =
            k7::CrewEndpoint{QHostAddress(line.crewAddress), static_cast<quint16>(line.crewPort)};
    }
    k7::Station station(
        k7::StationPorts{clock, timerFactory, pump, prompter, chooser, settings, *driver, trace},
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
