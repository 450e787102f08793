#include "platform/privatedir.h"

#include <QDir>
#include <QFile>

namespace pryx::platform {

bool ensurePrivateDir(const QString &path)
{
    QDir dir(path);
    if (dir.exists())
        return true;
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace pryx::platform
