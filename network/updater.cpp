#include "network/updater.h"
#include "network/networklog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryDir>
#include <QUrl>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "network/networkaccessmanager.h"
#include "network/networkreadreply.h"

namespace {

const int kRecheckMs = 10800000;
const char *const kUpdaterResource = ":/zip/bin/pryxUpdater.zip";
// Marks a request as the version request or as a download.
const QNetworkRequest::Attribute kKindAttribute = QNetworkRequest::User;
enum ReplyKind { VersionReply = 1, DownloadReply = 2 };

// Parts of a dotted version; empty when the text is not numbers and dots.
QList<qulonglong> versionParts(const QString &text)
{
    QList<qulonglong> parts;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return parts;
    for (const QString &part : trimmed.split(QLatin1Char('.'))) {
        bool ok = false;
        const qulonglong value = part.toULongLong(&ok);
        if (!ok || part.isEmpty() || !part.at(0).isDigit())
            return {};
        parts.append(value);
    }
    return parts;
}

// An entry name made relative and clean, or empty when it would leave the
// destination (absolute, drive letter, "..").
QString confinedName(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return QString();
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return QString();
    QStringList parts;
    for (const QString &part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return QString();
        if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

bool isInside(const QString &path, const QString &root)
{
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

// True when some folder on the way from root to relative already is a link:
// nothing is written through a link.
bool passesLink(const QString &root, const QString &relative)
{
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString path = root;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        path += QLatin1Char('/') + parts.at(i);
        if (QFileInfo(path).isSymLink())
            return true;
    }
    return false;
}

bool removeEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return removeDir(path);
    if (info.exists() || info.isSymLink())
        return QFile::remove(path);
    return true;
}

// Writes every entry of the open archive beneath root.
bool unpackInto(QuaZip &zip, const QString &root)
{
    QList<QString> links;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            qCWarning(pryx::lcNetwork, "testRead(): getCurrentFileInfo(): %d", zip.getZipError());
            return false;
        }
        const QString name = confinedName(info.name);
        if (name.isEmpty()) {
            if (!info.name.isEmpty()
                && QString(info.name).remove(QLatin1Char('.')).remove(QLatin1Char('/')).isEmpty()
                && !info.name.contains(QLatin1String("..")))
                continue;   // "./": nothing to make
            qCWarning(pryx::lcNetwork) << "extract: entry leaves the folder, archive refused:" << info.name;
            return false;
        }
        if (passesLink(root, name)) {
            qCWarning(pryx::lcNetwork) << "extract: entry passes through a link, archive refused:" << info.name;
            return false;
        }
        const QString path = root + QLatin1Char('/') + name;
        if (info.name.endsWith(QLatin1Char('/')) || info.name.endsWith(QLatin1Char('\\'))) {
            if (!QDir().mkpath(path)) {
                qCWarning(pryx::lcNetwork) << "extract: cannot make folder" << path;
                return false;
            }
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            qCWarning(pryx::lcNetwork) << "extract: cannot make folder for" << path;
            return false;
        }

        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(pryx::lcNetwork, "testRead(): file.open(): %d", file.getZipError());
            return false;
        }
        removeEntry(path);   // a later entry of the same name wins
        if (info.isSymbolicLink()) {
            const QString target = QString::fromUtf8(file.readAll());
            file.close();
            if (file.getZipError() != UNZ_OK) {
                qCWarning(pryx::lcNetwork, "testRead(): file.close(): %d", file.getZipError());
                return false;
            }
            const QString resolved = QDir::cleanPath(QFileInfo(path).absolutePath()
                                                     + QLatin1Char('/') + target);
            if (target.isEmpty() || QDir::isAbsolutePath(target) || !isInside(resolved, root)) {
                qCWarning(pryx::lcNetwork) << "extract: link leads out of the folder, archive refused:"
                           << info.name << "->" << target;
                return false;
            }
            if (!QFile::link(target, path)) {
                qCWarning(pryx::lcNetwork) << "extract: cannot make link" << path;
                return false;
            }
            links.append(path);
            continue;
        }

        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            qCWarning(pryx::lcNetwork) << "extract: cannot write" << path << out.errorString();
            return false;
        }
        char buffer[65536];
        qint64 n = 0;
        while ((n = file.read(buffer, sizeof buffer)) > 0) {
            if (out.write(buffer, n) != n) {
                qCWarning(pryx::lcNetwork) << "extract: write failed" << path << out.errorString();
                return false;
            }
        }
        if (n < 0 || file.getZipError() != UNZ_OK) {
            qCWarning(pryx::lcNetwork, "testRead(): file.getFileName(): %d", file.getZipError());
            return false;
        }
        if (!out.flush()) {
            qCWarning(pryx::lcNetwork) << "extract: write failed" << path << out.errorString();
            return false;
        }
        out.close();
        if (!file.atEnd()) {
            qCWarning(pryx::lcNetwork, "testRead(): read all but not EOF");
            return false;
        }
        file.close();   // also checks the CRC
        if (file.getZipError() != UNZ_OK) {
            qCWarning(pryx::lcNetwork, "testRead(): file.close(): %d", file.getZipError());
            return false;
        }
        // No Unix attributes (an archive made on Windows): rw-r--r--.
        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                         | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QFile::Permissions permissions = info.getPermissions();
        if (!(permissions & owner))
            permissions = QFile::ReadGroup | QFile::ReadOther;
        permissions |= QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        if (permissions & (QFile::ExeOwner | QFile::ExeUser))
            permissions |= QFile::ExeOwner | QFile::ExeUser;
        if (!QFile::setPermissions(path, permissions)) {
            qCWarning(pryx::lcNetwork) << "extract: cannot set permissions of" << path;
            return false;
        }
    }
    if (zip.getZipError() != UNZ_OK) {
        qCWarning(pryx::lcNetwork, "testRead(): getCurrentFileInfo(): %d", zip.getZipError());
        return false;
    }

    // A chain of links may still end outside; dangling links are refused too.
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    for (const QString &link : links) {
        const QString target = QFileInfo(link).canonicalFilePath();
        if (target.isEmpty() || !isInside(target, canonicalRoot)) {
            qCWarning(pryx::lcNetwork) << "extract: link leads out of the folder, archive refused:" << link;
            return false;
        }
    }
    return true;
}

} // namespace

bool extract(const QString &archivePath, const QString &folder)
{
    const QString destination = QDir::cleanPath(QDir(folder).absolutePath());
    const QString parent = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(parent)) {
        qCWarning(pryx::lcNetwork) << "extract: cannot make" << parent;
        return false;
    }

    QuaZip zip(archivePath);
    zip.setFileNameCodec("IBM866");
    if (!zip.open(QuaZip::mdUnzip)) {
        qCWarning(pryx::lcNetwork, "testRead(): zip.open(): %d", zip.getZipError());
        return false;
    }
    // Staged on the same file system, so that moving into place is a rename.
    QTemporaryDir staging(parent + QLatin1Char('/') + QFileInfo(destination).fileName()
                          + QLatin1String(".part-XXXXXX"));
    if (!staging.isValid()) {
        qCWarning(pryx::lcNetwork) << "extract: cannot make a staging folder in" << parent;
        zip.close();
        return false;
    }
    const QString root = QFileInfo(staging.path()).canonicalFilePath();
    const bool ok = unpackInto(zip, root);
    zip.close();
    if (!ok)
        return false;

    if (!QFileInfo::exists(destination) && !QFileInfo(destination).isSymLink()) {
        if (QDir().rename(root, destination)) {
            staging.setAutoRemove(false);
            return true;
        }
        qCWarning(pryx::lcNetwork) << "extract: cannot move into" << destination;
        return false;
    }
    if (!QFileInfo(destination).isDir() || QFileInfo(destination).isSymLink()) {
        qCWarning(pryx::lcNetwork) << "extract: not a folder:" << destination;
        return false;
    }
    const QStringList entries = QDir(root).entryList(
        QDir::NoDotAndDotDot | QDir::System | QDir::Hidden | QDir::AllDirs | QDir::Files);
    for (const QString &entry : entries) {
        const QString target = destination + QLatin1Char('/') + entry;
        if (!removeEntry(target) || !QDir().rename(root + QLatin1Char('/') + entry, target)) {
            qCWarning(pryx::lcNetwork) << "extract: cannot move into" << target;
            return false;
        }
    }
    return true;
}

Updater::Updater(QObject *parent) : QObject(parent), updaterArchive_(kUpdaterResource)
{
    recheckTimer_.setSingleShot(true);
    recheckTimer_.setInterval(kRecheckMs);
    connect(&recheckTimer_, &QTimer::timeout, this, &Updater::startUpdate);
}

Updater::~Updater() = default;

QString Updater::downloadDirPath() { return pryx::dataPath() + QStringLiteral("update"); }
QString Updater::archivePath() { return updateDirPath() + QStringLiteral("update.zip"); }
QString Updater::updateDirPath() { return pryx::updatePath(); }
QString Updater::updaterProgramPath() { return updateDirPath() + QStringLiteral("pryxUpdater"); }

bool Updater::isNewerVersion(const QString &remote, const QString &local)
{
    const QList<qulonglong> r = versionParts(remote);
    const QList<qulonglong> l = versionParts(local);
    if (r.isEmpty() || l.isEmpty())
        return false;
    for (int i = 0; i < qMax(r.size(), l.size()); ++i) {
        const qulonglong a = i < r.size() ? r.at(i) : 0;
        const qulonglong b = i < l.size() ? l.at(i) : 0;
        if (a != b)
            return a > b;
    }
    return false;
}

void Updater::startChecks()
{
    startUpdate();
    recheckTimer_.start();
}

void Updater::startUpdate()
{
    queue_.append(VersionStep);
    runHead();
}

void Updater::runHead()
{
    if (queue_.isEmpty())
        return;
    switch (queue_.first()) {
    case VersionStep:
        requestVersion();
        break;
    }
}

void Updater::checkQueue()
{
    if (!queue_.isEmpty())
        queue_.removeFirst();
    runHead();
}

void Updater::prepareRequest(QNetworkRequest &request) const
{
    // Peer verification on (with the extra CA of the tests when given).
    request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
}

void Updater::requestVersion()
{
    if (!manager_) {
        manager_ = new pryx::net::ProxiedAccessManager(this);
        connect(manager_, &QNetworkAccessManager::finished, this,
                &Updater::networkManagerFinished);
    }
    const QUrl url(QStringLiteral("https://") + pryx::serviceHost(pryx::Service::Update)
                   + QStringLiteral("/current_version_") + Setting::platformName());
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << url;
    QNetworkRequest request(url);
    request.setAttribute(kKindAttribute, VersionReply);
    prepareRequest(request);
    manager_->get(request);
}

void Updater::startDownloadUpdate(QString link)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << link;
    const QUrl url(link);
    if (!manager_ || !url.isValid() || url.isRelative()) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "no download address";
        emit error(tr("The update has no valid download address."));
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(kKindAttribute, DownloadReply);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    prepareRequest(request);
    manager_->get(request);
}

void Updater::networkManagerFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->url() << reply->error();
    if (reply->error() != QNetworkReply::NoError) {
        emit error(reply->errorString());
        return;
    }
    const QByteArray body = reply->readAll();
    if (reply->request().attribute(kKindAttribute).toInt() == VersionReply) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << body;
        readVersionReply(body);
        return;
    }
    installArchive(body);
}

void Updater::readVersionReply(const QByteArray &body)
{
    auto *reader = new NetworkReadReply(this);
    connect(reader, &NetworkReadReply::updateVersionReady, this, &Updater::checkUpdate);
    reader->readReply(body);
    reader->deleteLater();
}

void Updater::checkUpdate(QString nVersion, bool critical, bool license, QString link, QString md5)
{
    const QString local = QCoreApplication::applicationVersion();
    const bool newer = isNewerVersion(nVersion, local);
    critical_ = critical;
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "remote" << nVersion << "local" << local << "newer" << newer
             << "critical" << critical << "license" << license << link << md5;
    // The critical flag only decides how a newer version is installed.
    if (newer) {
        link_ = link;
        md5_ = md5;
        startDownloadUpdate(link);
    }
    checkQueue();
}

void Updater::installArchive(const QByteArray &body)
{
    if (!QDir().mkpath(downloadDirPath())) {
        emit error(tr("The update folder cannot be made."));
        return;
    }
    QFile archive(archivePath());
    if (!archive.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || archive.write(body) != body.size() || !archive.flush()) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "cannot write" << archive.fileName() << archive.errorString();
        archive.close();
        removeDir(downloadDirPath());
        emit error(tr("The update cannot be saved."));
        return;
    }
    archive.close();

    const QString sum = QString::fromLatin1(
        QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    qCDebug(pryx::lcNetwork) << "url md5 = " << md5_ << "file md5 " << sum;
    if (md5_.trimmed().compare(sum, Qt::CaseInsensitive) != 0) {
        removeDir(downloadDirPath());
        emit error(tr("The update is damaged."));
        return;
    }

    const bool unpacked = extract(archivePath(), updateDirPath());
    QFile::remove(archivePath());
    if (!unpacked) {
        // Nothing half-written stays for the next start.
        removeDir(downloadDirPath());
        emit error(tr("The update cannot be unpacked."));
        return;
    }
    if (critical_)
        startCriticalUpdate();
}

void Updater::startCriticalUpdate()
{
    qCDebug(pryx::lcNetwork) << "start copy zip";
    const QString copy = updateDirPath() + QStringLiteral("pryxUpdater.zip");
    QFile::remove(copy);
    if (!QFile::copy(updaterArchive_, copy))
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "no updater archive" << updaterArchive_;
    extract(copy, updateDirPath());
    QFile::remove(copy);

    qint64 pid = 0;
    if (QProcess::startDetached(updaterProgramPath(), {}, updateDirPath(), &pid)) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "updater started, pid" << pid;
        QCoreApplication::quit();
        return;
    }
    const QString message = tr("The update could not be installed: the updater did not start.");
    qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << message << updaterProgramPath();
    emit criticalUpdateFailed(message);
}

void Updater::stateChanged(QProcess::ProcessState state)
{
    if (state == QProcess::Running) {
        QCoreApplication::exit(0);
        return;
    }
    auto *process = qobject_cast<QProcess *>(sender());
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << state << (process ? process->error() : QProcess::UnknownError);
}

void Updater::dialogResult(int result)
{
    if (result == 0)
        startDownloadUpdate(link_);
}
