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
#include <QTemporaryFile>
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

// The sum of the sizes the archive's entries declare, or -1 when the
// directory cannot be read.
qint64 declaredSize(QuaZip &zip, qint64 stopAbove)
{
    qint64 total = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return -1;
        total += qint64(qMin<quint64>(info.uncompressedSize, quint64(stopAbove) + 1));
        if (total > stopAbove)
            return total;
    }
    return zip.getZipError() == UNZ_OK ? total : -1;
}

// Writes every entry of the open archive beneath root, at most maxBytes in all.
bool unpackInto(QuaZip &zip, const QString &root, qint64 maxBytes)
{
    QList<QString> links;
    qint64 written = 0;
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
            written += n;
            if (written > maxBytes) {
                qCWarning(pryx::lcNetwork) << "extract: archive unpacks to more than" << maxBytes
                                           << "bytes, refused";
                return false;
            }
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

bool extract(const QString &archivePath, const QString &folder, qint64 maxBytes)
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
    // What the directory declares is checked before anything is written;
    // the bytes really unpacked are counted as well.
    const qint64 declared = declaredSize(zip, maxBytes);
    if (declared < 0 || declared > maxBytes) {
        if (declared < 0)
            qCWarning(pryx::lcNetwork, "testRead(): getCurrentFileInfo(): %d", zip.getZipError());
        else
            qCWarning(pryx::lcNetwork) << "extract: archive would unpack to more than" << maxBytes
                                       << "bytes, refused";
        zip.close();
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
    const bool ok = unpackInto(zip, root, maxBytes);
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
QString Updater::versionFilePath() { return updateDirPath() + QStringLiteral(".version"); }
QString Updater::updaterProgramPath() { return updateDirPath() + QStringLiteral("pryxUpdater"); }

void Updater::sweepLeftovers(const QStringList &programFiles)
{
    // Staging folders of an unpacking that was cut short.
    QDir data(pryx::dataPath());
    for (const QString &name : data.entryList({QStringLiteral("update.part-*")},
                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "removing" << name;
        removeDir(data.filePath(name));
    }
    // A download that did not finish.
    if (QFile::remove(archivePath()))
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "removed a partial download";
    // Copies that earlier hand-overs made in the temporary folder.
    QDir temp(QDir::tempPath());
    for (const QString &name : temp.entryList({QStringLiteral("pryx-update-*")},
                                              QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QFileInfo info(temp.filePath(name));
        if (info.ownerId() == QFileInfo(pryx::dataPath()).ownerId() && !info.isSymLink()) {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "removing" << info.filePath();
            removeDir(info.filePath());
        }
    }
    // New program files a hand-over wrote but did not put in place (only
    // those of this program: the folder may hold other programs' files).
    QDir program(QCoreApplication::applicationDirPath());
    QStringList staged;
    for (const QString &own : programFiles)
        staged << QLatin1Char('.') + own + QStringLiteral(".new-*");
    for (const QString &name : program.entryList(staged, QDir::Files | QDir::Hidden | QDir::System)) {
        if (program.remove(name))
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "removed" << name;
    }
}

QString Updater::pendingVersion()
{
    QFile file(versionFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(64)).trimmed();
}

bool Updater::canReplaceProgram()
{
    const QString folder = QCoreApplication::applicationDirPath();
    QTemporaryFile probe(folder + QStringLiteral("/.pryx-write-XXXXXX"));
    return QFileInfo(folder).isDir() && probe.open();
}

bool Updater::noteUnwritable(const QString &version)
{
    Setting *settings = Setting::instance();
    if (settings->getValue(QStringLiteral("update_unwritable_version")).toString() == version)
        return false;
    settings->setValue(QStringLiteral("update_unwritable_version"), version);
    settings->flush();   // told once, also when the program is ended right after
    return true;
}

void Updater::noteFailed(const QString &version)
{
    Setting::instance()->setValue(QStringLiteral("update_failed_version"), version);
    Setting::instance()->flush();
}

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
    // The program that runs next comes from here: only over verified TLS.
    if (url.isValid() && !url.isRelative()
        && url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "refused, not https:" << url.scheme();
        emit error(tr("The update was refused: its address is not a secure (https) one."));
        return;
    }
    if (!manager_ || !url.isValid() || url.isRelative() || url.host().isEmpty()) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "no download address";
        emit error(tr("The update has no valid download address."));
        return;
    }
    if (download_) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "a download is already running";
        return;
    }
    if (!QDir().mkpath(downloadDirPath())) {
        emit error(tr("The update folder cannot be made."));
        return;
    }
    // Streamed to the data folder, never held in memory.
    downloadFile_ = new QFile(archivePath(), this);
    if (!downloadFile_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "cannot write" << archivePath()
                                   << downloadFile_->errorString();
        dropDownload();
        emit error(tr("The update cannot be saved."));
        return;
    }
    downloaded_ = 0;
    downloadError_.clear();
    QNetworkRequest request(url);
    request.setAttribute(kKindAttribute, DownloadReply);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    prepareRequest(request);
    download_ = manager_->get(request);
    download_->setReadBufferSize(1 << 18);
    connect(download_, &QNetworkReply::metaDataChanged, this, [this] {
        if (!download_)
            return;
        const QUrl at = download_->url();
        if (at.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
            refuseDownload(tr("The update was refused: its address is not a secure (https) one."));
            return;
        }
        const QVariant length = download_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > sizeLimit_)
            refuseDownload(tr("The update is larger than allowed and was refused."));
    });
    connect(download_, &QIODevice::readyRead, this, &Updater::downloadData);
}

void Updater::downloadData()
{
    if (!download_ || !downloadFile_)
        return;
    char buffer[65536];
    qint64 n = 0;
    while (download_ && (n = download_->read(buffer, sizeof buffer)) > 0) {
        downloaded_ += n;
        if (downloaded_ > sizeLimit_) {
            refuseDownload(tr("The update is larger than allowed and was refused."));
            return;
        }
        if (downloadFile_->write(buffer, n) != n) {
            qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "cannot write" << downloadFile_->fileName()
                                       << downloadFile_->errorString();
            refuseDownload(tr("The update cannot be saved."));
            return;
        }
    }
}

void Updater::refuseDownload(const QString &message)
{
    if (!download_ || !downloadError_.isEmpty())
        return;
    qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << message << downloaded_ << "bytes read";
    downloadError_ = message;
    download_->abort();   // finishes the reply, which drops the download
}

void Updater::dropDownload()
{
    if (downloadFile_) {
        downloadFile_->close();
        downloadFile_->remove();
        delete downloadFile_;
        downloadFile_ = nullptr;
    }
    download_ = nullptr;
    // Leave no empty update folder behind.
    QDir().rmdir(downloadDirPath());
}

void Updater::finishDownload(QNetworkReply *reply)
{
    if (downloadError_.isEmpty() && reply->error() == QNetworkReply::NoError)
        downloadData();
    const QString refused = downloadError_;
    if (!refused.isEmpty() || reply->error() != QNetworkReply::NoError) {
        const QString message = refused.isEmpty() ? reply->errorString() : refused;
        dropDownload();
        emit error(message);
        return;
    }
    const bool written = downloadFile_->flush();
    downloadFile_->close();
    delete downloadFile_;
    downloadFile_ = nullptr;
    download_ = nullptr;
    if (!written) {
        QFile::remove(archivePath());
        emit error(tr("The update cannot be saved."));
        return;
    }
    installArchive();
}

void Updater::networkManagerFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->url() << reply->error();
    if (reply == download_) {
        finishDownload(reply);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        emit error(reply->errorString());
        return;
    }
    if (reply->request().attribute(kKindAttribute).toInt() == VersionReply) {
        const QByteArray body = reply->read(1 << 20);   // a feed is a few hundred bytes
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << body;
        readVersionReply(body);
    }
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
        const QString version = nVersion.trimmed();
        Setting *settings = Setting::instance();
        if (settings->getValue(QStringLiteral("update_failed_version")).toString() == version) {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << version << "did not start before, not downloaded";
        } else if (!critical && !canReplaceProgram()) {
            // A system install: the installed version keeps running, and
            // nothing is downloaded that could not be put in place.
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "program folder not writable, not downloaded";
            if (noteUnwritable(version))
                emit cannotInstall(tr("Pryx %1 is available, but it cannot be installed: the folder %2 "
                                      "is not writable. Pryx %3 keeps running.")
                                       .arg(version, QCoreApplication::applicationDirPath(), local));
        } else if (pendingVersion() == version && QFileInfo::exists(updateDirPath()
                                                   + QFileInfo(QCoreApplication::applicationFilePath()).fileName())) {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << version << "is already waiting in the update folder";
        } else {
            link_ = link;
            md5_ = md5;
            version_ = version;
            startDownloadUpdate(link);
        }
    }
    checkQueue();
}

void Updater::installArchive()
{
    QFile archive(archivePath());
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!archive.open(QIODevice::ReadOnly) || !hash.addData(&archive)) {
        qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "cannot read" << archive.fileName() << archive.errorString();
        removeDir(downloadDirPath());
        emit error(tr("The update cannot be saved."));
        return;
    }
    archive.close();
    const QString sum = QString::fromLatin1(hash.result().toHex());
    qCDebug(pryx::lcNetwork) << "url md5 = " << md5_ << "file md5 " << sum;
    if (md5_.trimmed().compare(sum, Qt::CaseInsensitive) != 0) {
        removeDir(downloadDirPath());
        emit error(tr("The update is damaged."));
        return;
    }

    const bool unpacked = extract(archivePath(), updateDirPath(), sizeLimit_);
    QFile::remove(archivePath());
    if (!unpacked) {
        // Nothing half-written stays for the next start.
        removeDir(downloadDirPath());
        emit error(tr("The update cannot be unpacked."));
        return;
    }
    // The hand-over at the next start compares it with its own version.
    QFile version(versionFilePath());
    if (!version_.isEmpty() && version.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        version.write(version_.toUtf8());
        version.close();
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
