#include "network/uploadarchive.h"

#include "core/base/paths.h"
#include "network/networklog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPair>
#include <QSet>
#include <QUrl>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

void collect(const QString &folder, QStringList &list, QSet<QString> &visiting)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &fi : entries) {
        if (fi.isDir()) {
            const QString canonical = fi.canonicalFilePath();
            if (canonical.isEmpty() || visiting.contains(canonical))
                continue;   // a link back into the tree
            list.append(fi.absoluteFilePath());
            visiting.insert(canonical);
            collect(fi.absoluteFilePath(), list, visiting);
            visiting.remove(canonical);
        } else {
            list.append(fi.absoluteFilePath());
        }
    }
}

} // namespace

void collectFiles(const QString &folder, QStringList &list)
{
    QSet<QString> visiting;
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return;
    visiting.insert(root);
    collect(QFileInfo(folder).absoluteFilePath(), list, visiting);
}

QStringList filesBelow(const QString &folder)
{
    QStringList all;
    collectFiles(folder, all);
    QStringList files;
    for (const QString &p : all)
        if (!QFileInfo(p).isDir())
            files.append(p);
    return files;
}

QStringList expandFiles(const QStringList &entries)
{
    QStringList out;
    for (const QString &e : entries) {
        if (QFileInfo(e).isDir())
            out += filesBelow(e);
        else
            out.append(e);
    }
    return out;
}

quint64 batchSize(const QStringList &entries)
{
    quint64 sum = 0;
    for (const QString &f : expandFiles(entries)) {
        const QFileInfo fi(f);
        if (fi.isFile())
            sum += quint64(fi.size());
    }
    return sum;
}

QString archiveFileNameIn(const QStringList &entries, const QString &tmpDir, const QDateTime &now,
                          bool reserve)
{
    if (entries.isEmpty())
        return QString();
    QString dir = tmpDir;
    if (!dir.endsWith('/'))
        dir += '/';
    QDir().mkpath(dir);
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" at ")
        + now.toString(QStringLiteral("hh.mm.ss"));
    const QFileInfo first(entries.first());
    const QString folder = QFileInfo(first.absolutePath()).canonicalFilePath().section('/', -1);
    const QString base = entries.size() == 1 ? first.completeBaseName() : folder;

    auto take = [&](const QString &path) {
        if (!reserve)
            return !QFileInfo::exists(path);
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    };
    QString path = dir + base + ' ' + stamp + QStringLiteral(".zip");
    if (take(path))
        return path;
    if (reserve && !QFileInfo(dir).isWritable())
        return QString();
    for (int n = 1; n < 100000; ++n) {
        path = dir + folder + '_' + QString::number(n) + ' ' + stamp + QStringLiteral(".zip");
        if (take(path))
            return path;
    }
    return QString();
}

QString archiveFileName(const QStringList &entries, const QDateTime &now)
{
    return archiveFileNameIn(entries, pryx::tmpPath(), now, true);
}

namespace {

// Every (name in the archive, source path or empty for a folder entry).
QList<QPair<QString, QString>> archiveItems(const QStringList &entries)
{
    QList<QPair<QString, QString>> items;
    for (const QString &e : entries) {
        const QFileInfo fi(e);
        if (fi.isDir()) {
            QString prefix = QDir(fi.absoluteFilePath() + QStringLiteral("/..")).absolutePath();
            if (!prefix.endsWith('/'))
                prefix += '/';
            // The folder itself is an entry too, so an empty one survives.
            QStringList below{fi.absoluteFilePath()};
            collectFiles(fi.absoluteFilePath(), below);
            for (const QString &p : below) {
                const QString name = p.startsWith(prefix) ? p.mid(prefix.size()) : QFileInfo(p).fileName();
                if (QFileInfo(p).isDir())
                    items.append({name + '/', QString()});
                else
                    items.append({name, p});
            }
        } else {
            // A missing entry is kept so that the writer reports it.
            items.append({fi.fileName(), fi.absoluteFilePath()});
        }
    }
    return items;
}

bool writeItems(QuaZip &zip, const QString &zipPath, const QList<QPair<QString, QString>> &items,
                qint64 total, const std::function<void(qint64, qint64)> &progress,
                const std::function<bool()> &stop, QString *error)
{
    QByteArray buf(1 << 16, Qt::Uninitialized);
    qint64 copied = 0;
    for (const auto &it : items) {
        if (stop && stop()) {
            *error = QStringLiteral("stopped");
            return false;
        }
        QuaZipFile out(&zip);
        if (it.second.isEmpty()) {
            if (!out.open(QIODevice::WriteOnly, QuaZipNewInfo(it.first))) {
                *error = QStringLiteral("cannot add %1 (zip error %2)").arg(it.first).arg(out.getZipError());
                return false;
            }
            out.close();
            continue;
        }
        QFile in(it.second);
        if (!in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(it.second, in.errorString());
            return false;
        }
        if (!out.open(QIODevice::WriteOnly, QuaZipNewInfo(it.first, it.second), nullptr, 0, Z_DEFLATED,
                      Z_DEFAULT_COMPRESSION)) {
            *error = QStringLiteral("cannot add %1 (zip error %2)").arg(it.first).arg(out.getZipError());
            return false;
        }
        qint64 sinceReport = 0;
        for (;;) {
            if (stop && stop()) {
                out.close();
                *error = QStringLiteral("stopped");
                return false;
            }
            const qint64 n = in.read(buf.data(), buf.size());
            if (n < 0) {
                *error = QStringLiteral("cannot read %1: %2").arg(it.second, in.errorString());
                out.close();
                return false;
            }
            if (n == 0)
                break;
            if (out.write(buf.constData(), n) != n) {
                *error = QStringLiteral("cannot write %1 (zip error %2)").arg(zipPath).arg(out.getZipError());
                out.close();
                return false;
            }
            copied += n;
            sinceReport += n;
            if (sinceReport >= 1048576) {
                sinceReport = 0;
                if (progress)
                    progress(copied, total);
            }
        }
        out.close();
        if (out.getZipError() != UNZ_OK) {
            *error = QStringLiteral("cannot write %1 (zip error %2)").arg(zipPath).arg(out.getZipError());
            return false;
        }
    }
    return true;
}

} // namespace

bool writeZipArchive(const QString &zipPath, const QStringList &entries,
                     const std::function<void(qint64, qint64)> &progress,
                     const std::function<bool()> &stop, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QList<QPair<QString, QString>> items = archiveItems(entries);
    qint64 total = 0;
    for (const auto &it : items)
        if (!it.second.isEmpty())
            total += QFileInfo(it.second).size();

    QDir().mkpath(QFileInfo(zipPath).absolutePath());
    QuaZip zip(zipPath);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate)) {
        *error = QStringLiteral("cannot create %1 (zip error %2)").arg(zipPath).arg(zip.getZipError());
        return false;
    }
    if (progress)
        progress(0, total);
    bool ok = writeItems(zip, zipPath, items, total, progress, stop, error);
    zip.close();
    if (ok && zip.getZipError() != UNZ_OK) {
        *error = QStringLiteral("cannot close %1 (zip error %2)").arg(zipPath).arg(zip.getZipError());
        ok = false;
    }
    if (!ok) {
        qCDebug(pryx::lcNetwork) << "writeZipArchive" << *error;
        QFile::remove(zipPath);
        return false;
    }
    if (progress)
        progress(total, total);
    return true;
}

bool writeZipArchive(const QString &zipPath, const QStringList &entries, ArchiveTask &task)
{
    task.percent = 0;
    return writeZipArchive(
        zipPath, entries,
        [&task](qint64 done, qint64 total) {
            task.percent = int(double(done) / ((1.0 + double(total)) / 100.0));
        },
        [&task] { return task.stop.load(); }, &task.error);
}

QString shareUrlFor(int afterAction, const QString &link)
{
    const QString l = QString::fromLatin1(QUrl::toPercentEncoding(link));
    switch (afterAction) {
    case 1: return QStringLiteral("https://www.facebook.com/sharer/sharer.php?src=pluso&u=") + l;
    case 2: return QStringLiteral("https://connect.ok.ru/dk?st.cmd=addShare&st._surl=") + l;
    case 3: return QStringLiteral("https://vk.com/share.php?url=") + l;
    case 4: return QStringLiteral("https://twitter.com/intent/tweet?url=") + l;
    case 5: return QStringLiteral("mailto:?body=") + l;
    default: return QString();
    }
}
