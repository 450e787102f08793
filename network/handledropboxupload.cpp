#include "network/handledropboxupload.h"

#include "network/dropboxapi.h"
#include "network/dropboxauth.h"
#include "network/uploadworkersupport.h"
#include "network/networklog.h"

#include "core/core.h"
#include "network/autorization.h"
#include "network/uploadarchive.h"

#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutexLocker>

namespace {
std::function<DropboxAuth *()> &accountLookup()
{
    static std::function<DropboxAuth *()> lookup;
    return lookup;
}
} // namespace

HandleDropboxUpload::HandleDropboxUpload(QObject *parent) : UploadWorker(parent)
{
    // Queued: the end reaches the GUI thread after everything the thread
    // emitted.
    connect(this, &QThread::finished, this, &HandleDropboxUpload::ended);
}

void HandleDropboxUpload::ended()
{
    if (!failed_)
        emit complete();
}

void HandleDropboxUpload::fail(const QString &text)
{
    failed_ = true;
    emit error(text);
}

void HandleDropboxUpload::setAccountLookup(std::function<DropboxAuth *()> lookup)
{
    accountLookup() = std::move(lookup);
}

DropboxAuth *HandleDropboxUpload::coreAccount()
{
    if (accountLookup())
        return accountLookup()();
    if (Autorization *account = Core::instance()->account())
        return account->dropBoxAuth();
    return nullptr;
}

HandleDropboxUpload::~HandleDropboxUpload()
{
    cancel();
    wait();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO;
}

void HandleDropboxUpload::upload(QStringList files, bool archive, int afterAction)
{
    if (isRunning())
        return;
    files_ = files;
    archive_ = archive;
    afterAction_ = afterAction;
    link_.clear();
    maxTotal_ = maxSent_ = 0;
    cancel_ = false;
    failed_ = false;
    // The thread works with its own copy of the token: a logout or a new
    // authorisation on the GUI thread frees nothing it uses.
    token_ = account_ && account_->isAuth() ? account_->accessToken() : QString();
    start(QThread::InheritPriority);
}

void HandleDropboxUpload::startJob(const QStringList &files, bool archive, int afterAction)
{
    setAccount(coreAccount());
    upload(files, archive, afterAction);
}

void HandleDropboxUpload::cancel()
{
    cancel_ = true;
    QMutexLocker lock(&loopMutex_);
    if (loop_)
        QMetaObject::invokeMethod(loop_, "quit", Qt::QueuedConnection);
}

void HandleDropboxUpload::uploadProg(qlonglong upload, qlonglong total)
{
    maxTotal_ = qMax<qint64>(maxTotal_, total);
    maxSent_ = qMax<qint64>(maxSent_, upload);
    emit uploadProgress(maxSent_, maxTotal_);
    if (maxTotal_ > 0 && maxSent_ == maxTotal_)
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "emit complete()";
}

void HandleDropboxUpload::sharedLinkReceived(QString link) { qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << link; }

void HandleDropboxUpload::run()
{
    if (token_.isEmpty()) {
        fail(tr("Dropbox account is not auth"));
        return;
    }
    if (files_.isEmpty())
        return;
    emit startUpload();

    QString fileToSend = files_.first();
    if (files_.size() > 1 || archive_ || QFileInfo(fileToSend).isDir()) {
        emit archiveChange(true);
        fileToSend = archiveFileName(files_);
        emit archiveProgress(0, 100);
        QString zipError = QStringLiteral("no archive name");
        const bool ok = !fileToSend.isEmpty() && writeZipArchive(
            fileToSend, files_,
            [this](qint64 done, qint64 total) {
                emit archiveProgress(total > 0 ? done * 100 / total : 100, 100);
            },
            [this] { return cancel_.load(); }, &zipError);
        emit archiveChange(false);
        if (!ok) {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "zip error" << zipError;
            if (!cancel_)
                fail(tr("Could not build the archive: %1").arg(zipError));
            return;
        }
    }
    if (cancel_)
        return;

    QEventLoop loop;
    QDropboxAuth auth(QLatin1String(DropboxAuth::appKey), QLatin1String(DropboxAuth::appSecret));
    auth.setAccessToken(token_);
    QDropboxFile file(&auth);
    bool done = false;
    QString link;
    QString failure;
    // Through the largest-seen counters: the transfer ends with a (0, 0) report.
    connect(&file, &QDropboxFile::uploadProgress, this, &HandleDropboxUpload::uploadProg);
    connect(&file, &QDropboxFile::shareLinkComplete, &loop, [&](const QString &l) {
        link = l;
        done = true;
        loop.quit();
    });
    connect(&file, &QDropboxFile::error, &loop, [&](const QString &e) {
        failure = e;
        done = true;
        loop.quit();
    });
    {
        QMutexLocker lock(&loopMutex_);
        loop_ = &loop;
    }
    file.setShortUrl(true);
    file.upload(fileToSend, true);
    if (!done && !cancel_)
        loop.exec();
    {
        QMutexLocker lock(&loopMutex_);
        loop_ = nullptr;
    }
    if (cancel_)
        return;
    if (!failure.isEmpty()) {
        fail(failure);
        return;
    }
    emit readyLinkAfterUpload(link);
    // The share step opens a browser, so it runs on the GUI thread; queued
    // before the thread's end reaches the job.
    QMetaObject::invokeMethod(
        this,
        [this, link] {
            link_ = link;
            pryx::openShareUrl(link_, afterAction_);
        },
        Qt::QueuedConnection);
}
