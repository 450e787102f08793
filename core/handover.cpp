#include "core/handover.h"
#include "core/corelog.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace pryx {

namespace {
QByteArray sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

bool removeTree(const QString &path) { return QDir(path).removeRecursively(); }
} // namespace

QString copyToPrivateFolder(const QString &source)
{
    const QFileInfo info(source);
    if (!info.isFile()) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "not a file:" << source;
        return QString();
    }
    const QString base = QDir::tempPath();
    if (base.isEmpty() || base == "/" || !QFileInfo(base).isDir()) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no usable temporary folder:" << base;
        return QString();
    }
    QByteArray templ = QFile::encodeName(base + "/pryx-update-XXXXXX");
    if (!mkdtemp(templ.data())) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "cannot create a private folder in" << QDir::tempPath();
        return QString();
    }
    const QString folder = QFile::decodeName(templ);
    const QString target = folder + "/" + info.fileName();

    const QByteArray sourceHash = sha256(source);
    if (sourceHash.isEmpty() || !QFile::copy(source, target)
        || QFileInfo(target).size() != info.size() || sha256(target) != sourceHash) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "copy failed or differs:" << source << "->" << target;
        removeTree(folder);
        return QString();
    }
    const QFile::Permissions perms = QFile::permissions(source) | QFile::ReadOwner
        | QFile::WriteOwner | QFile::ExeOwner;
    if (!QFile::setPermissions(target, perms)) {
        removeTree(folder);
        return QString();
    }
    return target;
}

} // namespace pryx
