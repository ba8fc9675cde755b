// Where the station's files live: the assets beside the program (else ../share/k7station), and
// the application folder holding the data folder "USB Files" (the program's folder when it is
// writable, else the per-user data folder; --app-dir chooses it).
#pragma once

#include <QString>

namespace k7 {

inline constexpr const char* kDataFolderName = "USB Files";

// The folder that holds Graphics.tof and fonts/ for a program in programFolder.
QString AssetFolder(const QString& programFolder);
// The application folder: chosen (when not empty), else the program's folder when writable,
// else QStandardPaths::AppDataLocation. The folder is made when missing.
QString ApplicationFolder(const QString& programFolder, const QString& chosen);
QString DataFolder(const QString& applicationFolder);

} // namespace k7
