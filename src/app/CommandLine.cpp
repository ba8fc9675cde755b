#include "CommandLine.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QHostAddress>

#include <array>

namespace k7 {
namespace {

const QString kCrewView = QStringLiteral("--crew-view");

// --crew-view takes its value only when one follows ([[ADDRESS:]PORT], not an option), which
// the parser cannot express: it is taken out of the arguments first. Returns an error, or none.
QString TakeCrewView(QStringList& args, CommandLine& line) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString value;
        if (args[i] == kCrewView) {
            if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1Char('-'))) {
                value = args.takeAt(i + 1);
            }
        } else if (args[i].startsWith(kCrewView + QLatin1Char('='))) {
            value = args[i].mid(kCrewView.size() + 1);
        } else {
            continue;
        }
        args.removeAt(i);
        if (line.crewView) {
            return QStringLiteral("--crew-view is given twice.");
        }
        line.crewView = true;
        if (value.isEmpty()) {
            return {};
        }
        QString address = line.crewAddress;
        QString port = value;
        const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0) {
            address = value.left(colon);
            if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']'))) {
                address = address.mid(1, address.size() - 2);
            }
            port = value.mid(colon + 1);
        }
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number < 0 || number > 65535 || QHostAddress(address).isNull()) {
            return QStringLiteral("--crew-view takes [[ADDRESS:]PORT]: an IP address of this "
                                  "computer and a port 0 to 65535 (0: one the system chooses), "
                                  "not %1.")
                .arg(value);
        }
        line.crewAddress = QHostAddress(address).toString();
        line.crewPort = number;
        --i;
    }
    return {};
}

// Qt's own options, which the application object takes out of the line once it exists: the
// line is read before that (so that a wrong line or --help needs no display), so they are known
// here, hidden from --help and listed by --help-all. Qt accepts them with one dash or two.
struct QtOption {
    const char* name;
    const char* value; // nullptr: a switch
    const char* description;
};
constexpr std::array<QtOption, 21> kQtOptions{{
    {"platform", "name[:options]",
     "The window system: xcb, wayland, or offscreen (no display; every message box answers "
     "itself)."},
    {"platformpluginpath", "path", "Where the window system plugins are."},
    {"platformtheme", "theme", "The platform theme."},
    {"plugin", "plugin", "An additional plugin to load."},
    {"qwindowgeometry", "geometry", "The main window's geometry, as 100x100+50+50."},
    {"qwindowicon", "icon", "The default window icon."},
    {"qwindowtitle", "title", "The first window's title."},
    {"reverse", nullptr, "Right-to-left layout (a debugging help)."},
    {"session", "session", "Restores an earlier session."},
    {"display", "display", "The X display, instead of $DISPLAY."},
    {"name", "name", "The X instance name."},
    {"nograb", nullptr, "No mouse grabbing (in a debugger)."},
    {"dograb", nullptr, "Mouse grabbing even in a debugger."},
    {"visual", "id", "The X visual to use."},
    {"geometry", "geometry", "As -qwindowgeometry (X)."},
    {"icon", "icon", "As -qwindowicon (X)."},
    {"title", "title", "As -qwindowtitle (X)."},
    {"style", "style", "The widget style."},
    {"stylesheet", "file", "A style sheet for the widgets."},
    {"widgetcount", nullptr, "Counts the widgets left at the end (a debugging help)."},
    {"qmljsdebugger", "port:PORT[,block]", "The QML debugger."},
}};

void AddQtOptions(QCommandLineParser& parser, bool shown) {
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString::fromLatin1(qt.description),
                                  qt.value ? QString::fromLatin1(qt.value) : QString());
        if (!shown) {
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        }
        parser.addOption(option);
    }
}

// --help-all: the station's options, then Qt's, each in the parser's own layout.
QString HelpAll(const QCommandLineParser& station) {
    QCommandLineParser qt;
    AddQtOptions(qt, true);
    const QString text = qt.helpText();
    const qsizetype options = text.indexOf(QStringLiteral("Options:\n"));
    return station.helpText() + QStringLiteral("\nQt's options, with one dash or two:\n") +
           text.mid(options < 0 ? 0 : options + 9);
}

} // namespace

CommandLineResult ParseCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    // "-platform offscreen" is Qt's option "platform", not the letters p, l, a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Monitors and programs a rack of K7 wireless-microphone receivers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run on a simulated rack: a scenario file, or a number of receivers."),
        QStringLiteral("FILE|N"));
    const QCommandLineOption wireLog(QStringLiteral("wire-log"),
                                     QStringLiteral("Log every device call to FILE."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Write what the operator is shown to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption runFor(
        QStringLiteral("run-for"),
        QStringLiteral("Stop in order after SECONDS; message boxes answer themselves."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption appDir(
        QStringLiteral("app-dir"),
        QStringLiteral("The application folder that holds the data folder \"USB Files\"."),
        QStringLiteral("DIR"));
    const QCommandLineOption snapshot(
        QStringLiteral("snapshot"),
        QStringLiteral("At the end of a --run-for run, save the meter panel as a PNG image."),
        QStringLiteral("FILE.png"));
    // Answered before this parser runs (CoordinateCommand); listed here for --help.
    const QCommandLineOption coordinate(
        QStringLiteral("coordinate"),
        QStringLiteral("Print the largest clean set of up to COUNT carriers of BAND as CSV, "
                       "then end; --coordinate --help tells more."),
        QStringLiteral("BAND COUNT"));
    // Taken out before this parser runs (TakeCrewView); listed here for --help.
    const QCommandLineOption crewView(
        QStringLiteral("crew-view"),
        QStringLiteral("Serve the crew view for this run on [[ADDRESS:]PORT] (default "
                       "127.0.0.1:8470) and print its address with its key."),
        QStringLiteral("[[ADDRESS:]PORT]"));
    parser.addOptions({simulate, wireLog, trace, runFor, appDir, snapshot, coordinate, crewView});
    const QCommandLineOption arrangement(
        QStringLiteral("arrangement"),
        QStringLiteral("Arrange the meter cells: native (the layout's grid) or wide (the grid "
                       "that fills the window)."),
        QStringLiteral("native|wide"));
    parser.addOption(arrangement);
    AddQtOptions(parser, false);

    CommandLineResult result;
    CommandLine line;
    QStringList rest = args;
    const QString crewError = TakeCrewView(rest, line);
    if (!parser.parse(rest)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        result.information = HelpAll(parser);
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.information = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.information = QStringLiteral("k7station %1.%2.%3\n")
                                 .arg(version::Major)
                                 .arg(version::Minor)
                                 .arg(version::Revision);
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return result;
    }
    if (!crewError.isEmpty()) {
        result.error = crewError;
        return result;
    }
    if (parser.isSet(simulate)) {
        const QString value = parser.value(simulate);
        bool isNumber = false;
        const int count = value.toInt(&isNumber);
        if (isNumber) {
            if (count < 1 || count > 40) {
                result.error =
                    QStringLiteral("--simulate N takes 1 to 40 receivers, not %1.").arg(value);
                return result;
            }
            line.simulatedCount = count;
        } else {
            line.scenarioFile = value;
        }
    }
    if (parser.isSet(runFor)) {
        bool ok = false;
        line.runForSeconds = parser.value(runFor).toDouble(&ok);
        // The stop is a timer of whole milliseconds in an int: "nan", "inf" or a value past
        // about 24.8 days would never fire, and the run would never end by itself.
        if (!ok || !(line.runForSeconds > 0) || !(line.runForSeconds <= kMaxRunForSeconds)) {
            result.error = QStringLiteral("--run-for takes a number of seconds above 0 and at "
                                          "most %1 (about 24.8 days), not %2.")
                               .arg(kMaxRunForSeconds, 0, 'f', 3)
                               .arg(parser.value(runFor));
            return result;
        }
    }
    line.platform = parser.value(QStringLiteral("platform"));
    line.wireLog = parser.value(wireLog);
    line.traceFile = parser.value(trace);
    line.appDir = parser.value(appDir);
    line.snapshot = parser.value(snapshot);
    if (!line.snapshot.isEmpty() && line.runForSeconds <= 0) {
        result.error = QStringLiteral("--snapshot needs --run-for.");
        return result;
    }
    if (parser.isSet(arrangement)) {
        line.arrangement = ParseArrangement(parser.value(arrangement));
        if (!line.arrangement) {
            result.error = QStringLiteral("--arrangement takes native or wide, not %1.")
                               .arg(parser.value(arrangement));
            return result;
        }
    }
    result.options = line;
    return result;
}

} // namespace k7
