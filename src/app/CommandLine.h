// The station's command line: the options for demonstration, unattended runs and diagnosis.
// Without any of them the station runs on the attached receivers, as an operator starts it.
#pragma once

#include "display/PanelArrangement.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace k7 {

// The longest --run-for: the most whole milliseconds a timer holds.
inline constexpr double kMaxRunForSeconds = 2147483.647;

struct CommandLine {
    // --simulate: a scenario file, or a number of receivers (simulatedCount > 0).
    QString scenarioFile;
    int simulatedCount = 0;
    QString wireLog;          // --wire-log FILE
    QString traceFile;        // --trace FILE
    double runForSeconds = 0; // --run-for SECONDS (0: until the operator closes)
    QString appDir;           // --app-dir DIR
    QString snapshot;         // --snapshot FILE.png
    // --arrangement native|wide
    std::optional<PanelArrangement> arrangement;
    // --crew-view [[ADDRESS:]PORT]: serve the crew view for this run (port 0: one the system
    // chooses).
    bool crewView = false;
    QString crewAddress = QStringLiteral("127.0.0.1");
    int crewPort = 8470;
    QString platform; // Qt's -platform, when given
    bool simulated() const { return simulatedCount > 0 || !scenarioFile.isEmpty(); }
};

struct CommandLineResult {
    std::optional<CommandLine> options; // empty when the line is wrong
    QString error;                      // what is wrong, for the operator
    QString information; // --help, --help-all or --version: the text to print, then end
};

// args: the whole argument list, program name first, as the program was started: Qt's own
// options (-platform ...) are known, and read before any window system is touched.
CommandLineResult ParseCommandLine(const QStringList& args);

} // namespace k7
