#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace pryx {

QString dataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Pryx/";
}
QString tmpPath() { return dataPath() + "tmp/"; }
QString audioTmpPath() { return dataPath() + "tmp/audio/"; }
QString updatePath() { return dataPath() + "update/"; }
QString logFilePath() { return dataPath() + "pryx.log"; }
QString dumpFilePath() { return dataPath() + "pryx.dmp"; }
QString databasePath() { return dataPath() + "setting"; }
QString proxyLogPath() { return dataPath() + "proxy_connect.log"; }
QString screenInfoLogPath() { return dataPath() + "screen_info.log"; }

QStringList forbiddenFileNameChars()
{
    return {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "+", "%", "!", "@", "?", "\t", "\n"};
}

bool ensurePrivateDir(const QString &path)
{
    QDir dir(path);
    if (dir.exists())
        return true;
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace pryx
