#include "core/base/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
QString valueKeyPath() { return dataPath() + "setting.key"; }
QString proxyLogPath() { return dataPath() + "proxy_connect.log"; }
QString screenInfoLogPath() { return dataPath() + "screen_info.log"; }

QStringList forbiddenFileNameChars()
{
    return {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "+", "%", "!", "@", "?", "\t", "\n"};
}

} // namespace pryx

bool removeDir(const QString &dirName)
{
    QDir dir(dirName);
    if (!dir.exists())
        return true;
    const QFileInfoList entries = dir.entryInfoList(
        QDir::NoDotAndDotDot | QDir::System | QDir::Hidden | QDir::AllDirs | QDir::Files,
        QDir::DirsFirst);
    for (const QFileInfo &info : entries) {
        const bool ok = (info.isDir() && !info.isSymLink()) ? removeDir(info.absoluteFilePath())
                                                             : QFile::remove(info.absoluteFilePath());
        if (!ok)
            return false;
    }
    return dir.rmdir(dir.absolutePath());
}
