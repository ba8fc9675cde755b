// Where the station's own files live: the application folder holding the data folder
// "USB Files" (the program's folder when it is writable, else the per-user data folder;
// --app-dir chooses it). The assets are found by the display (FindAssetDir).
#pragma once

#include <QString>

namespace k7 {

inline constexpr const char* kDataFolderName = "USB Files";

// The application folder: chosen (when not empty), else the program's folder when writable,
// else QStandardPaths::AppDataLocation. The folder is made when missing.
QString ApplicationFolder(const QString& programFolder, const QString& chosen);
QString DataFolder(const QString& applicationFolder);

} // namespace k7
