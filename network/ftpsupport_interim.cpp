#include "network/ftpsupport_interim.h"

#include "core/paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

void collectFiles(const QString &folder, QStringList &list)
{
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : entries) {
        list << info.absoluteFilePath();
        if (info.isDir() && !info.isSymLink())
            collectFiles(info.absoluteFilePath(), list);
    }
}

QString archiveFileName(const QStringList &files, const QDateTime &now)
{
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" at ")
                          + now.toString(QStringLiteral("hh.mm.ss"));
    const QString dir = pryx::tmpPath();
    const QString first = files.value(0);
    const QString holder = QFileInfo(QFileInfo(first).absolutePath()).canonicalFilePath();
    const QString holderName = QFileInfo(holder).fileName();
    const QString base = files.size() == 1 ? QFileInfo(first).completeBaseName() : holderName;
    QString path = dir + base + " " + stamp + ".zip";
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = dir + holderName + "_" + QString::number(n) + " " + stamp + ".zip";
    return path;
}

namespace {

constexpr qint64 kProgressStep = 1048576;

bool copyInto(QuaZipFile &out, const QString &source, qint64 &done, qint64 total,
              const std::function<void(qint64, qint64)> &progress,
              const std::function<bool()> &stop, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(source);
        return false;
    }
    char buffer[65536];
    qint64 nextReport = done + kProgressStep;
    for (;;) {
        if (stop && stop()) {
            *error = QStringLiteral("stopped");
            return false;
        }
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            *error = QStringLiteral("cannot read %1").arg(source);
            return false;
        }
        if (n == 0)
            return true;
        if (out.write(buffer, n) != n || out.getZipError() != 0) {
            *error = QStringLiteral("zip error %1 writing %2").arg(out.getZipError()).arg(source);
            return false;
        }
        done += n;
        if (done >= nextReport) {
            progress(done, total);
            nextReport = done + kProgressStep;
        }
    }
}

qint64 entrySize(const QString &entry)
{
    const QFileInfo info(entry);
    if (!info.isDir())
        return info.size();
    QStringList all;
    collectFiles(entry, all);
    qint64 sum = 0;
    for (const QString &f : all)
        sum += QFileInfo(f).isDir() ? 0 : QFileInfo(f).size();
    return sum;
}

} // namespace

bool writeZipArchive(const QString &zipPath, const QStringList &entries,
                     const std::function<void(qint64, qint64)> &progress,
                     const std::function<bool()> &stop, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    pryx::ensurePrivateDir(QFileInfo(zipPath).absolutePath());
    QuaZip zip(zipPath);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate)) {
        *error = QStringLiteral("cannot create %1 (zip error %2)").arg(zipPath).arg(zip.getZipError());
        return false;
    }
    qint64 total = 0;
    for (const QString &e : entries)
        total += entrySize(e);
    qint64 done = 0;
    progress(0, total);

    auto addFile = [&](const QString &source, const QString &name) {
        QuaZipFile out(&zip);
        if (!out.open(QIODevice::WriteOnly, QuaZipNewInfo(name, source))) {
            *error = QStringLiteral("zip error %1 opening entry %2").arg(out.getZipError()).arg(name);
            return false;
        }
        const bool ok = copyInto(out, source, done, total, progress, stop, error);
        out.close();
        if (ok && out.getZipError() != 0) {
            *error = QStringLiteral("zip error %1 closing %2").arg(out.getZipError()).arg(name);
            return false;
        }
        return ok;
    };

    bool ok = true;
    for (const QString &entry : entries) {
        const QFileInfo info(entry);
        if (!info.exists()) {
            *error = QStringLiteral("cannot read %1").arg(entry);
            ok = false;
        } else if (!info.isDir()) {
            ok = addFile(entry, info.fileName());
        } else {
            QString folder = QDir::fromNativeSeparators(entry);
            if (!folder.endsWith('/'))
                folder += '/';
            const QString parent = QDir(folder + "..").absolutePath() + '/';
            QStringList items{QFileInfo(folder).absolutePath()};
            collectFiles(folder, items);
            for (const QString &item : items) {
                QString name = item;
                if (name.startsWith(parent))
                    name = name.mid(parent.size());
                if (QFileInfo(item).isDir()) {
                    QuaZipFile dirEntry(&zip);
                    if (dirEntry.open(QIODevice::WriteOnly, QuaZipNewInfo(name + '/', item)))
                        dirEntry.close();
                    else
                        qDebug() << "writeZipArchive" << "cannot add folder entry" << name;
                } else {
                    ok = addFile(item, name);
                }
                if (!ok)
                    break;
            }
        }
        if (!ok)
            break;
    }
    zip.close();
    if (ok && zip.getZipError() != 0) {
        *error = QStringLiteral("zip error %1 closing %2").arg(zip.getZipError()).arg(zipPath);
        ok = false;
    }
    if (!ok) {
        qDebug() << "writeZipArchive" << "zip error" << *error;
        QFile::remove(zipPath);
        return false;
    }
    progress(total, total);
    return true;
}

QString shareUrlFor(int afterAction, const QString &link)
{
    switch (afterAction) {
    case 1: return QStringLiteral("https://www.facebook.com/sharer/sharer.php?src=pluso&u=%1").arg(link);
    case 2: return QStringLiteral("https://connect.ok.ru/dk?st.cmd=addShare&st._surl=%1").arg(link);
    case 3: return QStringLiteral("https://vk.com/share.php?url=%1").arg(link);
    case 4: return QStringLiteral("https://twitter.com/intent/tweet?url=%1").arg(link);
    case 5: return QStringLiteral("mailto:?body=%1").arg(link);
    default: return QString();
    }
}
