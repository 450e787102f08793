#pragma once
// Data folder layout and the constants shared by every part of the program.

#include <QString>
#include <QStringList>

namespace pryx {

// The per-user data folder: the generic data location + "/Pryx/"
// (~/.local/share/Pryx/ on Linux). Always ends with "/".
QString dataPath();
QString tmpPath();        // dataPath() + "tmp/"
QString audioTmpPath();   // dataPath() + "tmp/audio/"
QString updatePath();     // dataPath() + "update/"
QString logFilePath();    // dataPath() + "pryx.log"
QString dumpFilePath();   // dataPath() + "pryx.dmp"
QString databasePath();   // dataPath() + "setting"
QString valueKeyPath();   // dataPath() + "setting.key": the key of the encrypted values
QString proxyLogPath();   // dataPath() + "proxy_connect.log"
QString screenInfoLogPath(); // dataPath() + "screen_info.log"

inline const char *const kFontFamily = "Arial";
inline const char *const kFontColor = "#25282c";
// Alphabet for random names.
inline const char *const kRandomAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
// Characters that may not stand in a file name ("?" is listed twice).
QStringList forbiddenFileNameChars();

} // namespace pryx

// Deletes a folder tree; a missing folder counts as removed.
bool removeDir(const QString &dirName);
