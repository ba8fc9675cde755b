// The program itself as a test runs it: on the offscreen platform, with its settings and data in
// a temporary folder and the application folder dir/app.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace k7::test {

// Starts the station with its settings and data inside dir, followed by the given arguments.
inline void StartStation(QProcess& station, const QTemporaryDir& dir,
                         const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    station.setProcessEnvironment(env);
    station.start(QStringLiteral(K7STATION_PATH),
                  QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                              QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app"))} +
                      arguments);
}

// The non-empty lines of a text file.
inline QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace k7::test
