#include "network/handlerupload.h"

#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "network/handledropboxupload.h"
#include "network/handleftpupload.h"
#include "network/handlesftpupload.h"
#include "network/networkaccessmanager.h"
#include "network/quietreply.h"
#include "network/serviceputworker.h"
#include "network/uploadarchive.h"
#include "network/uploadmodel.h"
#include "network/uploadservices.h"
#include "network/networklog.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>

namespace {

const int kMaxInFlight = 5;

// The worker thread of a target; none for the web service's own protocol.
UploadWorker *newWorker(HandlerUpload::TargetUpload target, QObject *parent)
{
    switch (target) {
    case HandlerUpload::TargetFtp: return new HandleFTPUpload(parent);
    case HandlerUpload::TargetSftp: return new HandleSFTPUpload(parent);
    case HandlerUpload::TargetDropbox: return new HandleDropboxUpload(parent);
    case HandlerUpload::TargetService:
    case HandlerUpload::TargetGoogle: break;
    }
    return nullptr;
}

bool hasControlChars(const QString &s)
{
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

// Errors that say the connection itself is lost, whatever was sent.
bool connectionLost(int code)
{
    return code == QNetworkReply::RemoteHostClosedError || code == QNetworkReply::HostNotFoundError
        || code == QNetworkReply::TimeoutError;
}

bool successStatus(int status) { return status >= 200 && status <= 299; }

} // namespace

HandlerUpload::HandlerUpload(TargetUpload target, QObject *parent)
    : QObject(parent), target_(target)
{
    if (UploadModel *model = pryx::net::services().uploadModel())
        model->addItem(this);
    connect(this, SIGNAL(sendedFile()), this, SLOT(sendFile()));
    connect(this, &HandlerUpload::readyLink, this, &HandlerUpload::rememberLink);
    connect(this, &HandlerUpload::readyLinkAfterUpload, this, &HandlerUpload::rememberLink);
}

HandlerUpload::~HandlerUpload()
{
    // Never leave a task or thread running on a freed job.
    if (archiveTask_)
        archiveTask_->stop = true;
    if (archiveWatcher_ && archiveWatcher_->isRunning())
        archiveWatcher_->waitForFinished();
    if (worker_ && worker_->isRunning()) {
        worker_->cancel();
        worker_->wait();
    }
    // The archive is ours: it goes with the job.
    if (!zipPath_.isEmpty())
        QFile::remove(zipPath_);
}

void HandlerUpload::uploadData(QStringList files, TypeAfterAction after, TypeUpload type)
{
    typeUpload_ = type;
    afterAction_ = after;
    captureFile_ = type == UploadScreen && files.size() == 1 ? files.first() : QString();
    for (const QString &entry : files) {
        if (archive_ || !QFileInfo(entry).isDir())
            files_.append(entry);
        else
            files_ += filesBelow(entry);
    }
    const QStringList real = archive_ ? expandFiles(files_) : files_;
    if (real.isEmpty()) {
        fail(tr("There are no files to upload"));
        return;
    }
    init();
}

void HandlerUpload::init()
{
    UploadWorker *worker = newWorker(target_, this);
    if (!worker) {
        initPryxUpload();
        return;
    }
    worker_ = worker;
    connect(worker, &UploadWorker::startUpload, this, &HandlerUpload::startUpload);
    connect(worker, &UploadWorker::readyLink, this, &HandlerUpload::readyLink);
    connect(worker, &UploadWorker::readyLinkAfterUpload, this, &HandlerUpload::readyLinkAfterUpload);
    connect(worker, &UploadWorker::uploadProgress, this, &HandlerUpload::uploadProg);
    connect(worker, &UploadWorker::complete, this, qOverload<>(&HandlerUpload::uploadComplete));
    connect(worker, &UploadWorker::error, this, &HandlerUpload::workerError);
    connect(worker, &UploadWorker::archiveChange, this, &HandlerUpload::setArchiveChange);
    connect(worker, &UploadWorker::archiveProgress, this, &HandlerUpload::setArchiveProgress);
    worker->startJob(files_, archive_, afterAction_);
}

HandlerUpload::ServerParams HandlerUpload::serverParams(TargetUpload target)
{
    Setting *s = Setting::instance();
    const QString p = target == TargetSftp ? QStringLiteral("sftp_") : QStringLiteral("ftp_");
    ServerParams r;
    r.user = s->getValue(p + QStringLiteral("user"), true).toString();
    r.password = s->getValue(p + QStringLiteral("password"), true).toString();
    r.host = s->getValue(p + QStringLiteral("host")).toString();
    r.path = s->getValue(p + QStringLiteral("path")).toString();
    r.baseUrl = s->getValue(p + QStringLiteral("base_url")).toString();
    const int port = s->getValue(p + QStringLiteral("port")).toInt();
    r.port = port >= 1 ? port : (target == TargetSftp ? 22 : 21);
    return r;
}

NetworkAccessManager *HandlerUpload::newManager(const char *finishedSlot)
{
    auto *m = new NetworkAccessManager(this);
    managers_.append(m);
    connect(m, SIGNAL(finished(QNetworkReply*)), this, finishedSlot);
    return m;
}

void HandlerUpload::watch(QNetworkReply *reply)
{
    // A request that moves no byte for the timeout fails as timed out.
    pryx::net::abortWhenQuiet(reply, pryx::net::services().transferTimeoutMs);
}

int HandlerUpload::replyError(QNetworkReply *reply) const { return pryx::net::replyError(reply); }

QByteArray HandlerUpload::createBody(const QString &description, int fileCount, bool archive, TypeUpload type)
{
    QJsonObject o;
    if (!description.isNull())
        o.insert(QStringLiteral("description"), description);
    if (fileCount > 1 && !archive)
        o.insert(QStringLiteral("mimeType"), QStringLiteral("application/vnd.pryx.folder"));
    if (type == UploadScreen)
        o.insert(QStringLiteral("mimeType"), QStringLiteral("image/vnd.pryx.screenshot"));
    if (o.isEmpty())
        return QByteArray();
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

void HandlerUpload::initPryxUpload()
{
    if (ended_ || stopped_)
        return;
    failed_ = false;
    QString url = pryx::filesApiUrl();
    if (Setting::instance()->flag(QStringLiteral("shortLink")))
        url += QStringLiteral("&direct=1");
    NetworkAccessManager *m = newManager(SLOT(initFinished(QNetworkReply*)));
    if (!m->proxyError().isEmpty()) {
        fail(m->proxyError());
        return;
    }
    QNetworkRequest request{QUrl(url)};
    NetworkAccessManager::getAuthRequest(request);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QByteArray body = createBody(description_, files_.size(), archive_, typeUpload_);
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << url << body;
    QNetworkReply *reply = m->post(request, body);
    running_.insert(reply);
    watch(reply);
}

void HandlerUpload::initFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    running_.remove(reply);
    if (ended_ || failed_)
        return;
    const int code = replyError(reply);
    if (code != QNetworkReply::NoError) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << code << reply->errorString() << reply->readAll();
        if (connectionLost(code) || (code == QNetworkReply::UnknownNetworkError && typeUpload_ == UploadScreen))
            failOffline();
        else
            fail(errorText(code));
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QMap<QString, QString> map = reader_.readInit(reply->readAll());
    id_.clear();
    alternateLink_.clear();
    selfLink_.clear();
    id_ = map.value(QStringLiteral("id"));
    alternateLink_ = map.value(QStringLiteral("alternateLink"));
    if (!successStatus(status) || id_.isEmpty() || alternateLink_.isEmpty()) {
        // No link to give and nowhere to send the bytes.
        id_.clear();
        alternateLink_.clear();
        fail(tr("The server sent an invalid reply"));
        return;
    }
    emit readyLink(alternateLink_);
    if (ended_ || stopped_)
        return;
    if (archive_)
        startArchive();
    else
        sendFile();
}

void HandlerUpload::startArchive()
{
    setArchiveChange(true);
    const QString zipPath = archiveFileName(files_);
    if (zipPath.isEmpty()) {
        setArchiveChange(false);
        fail(tr("Could not create the archive"));
        return;
    }
    zipPath_ = zipPath;
    const QStringList entries = files_;
    files_ = QStringList{zipPath};
    uploaded_ = 0;
    total_ = 100;
    emit uploadProgress(0, 100);

    archiveTask_ = std::make_shared<ArchiveTask>();
    std::shared_ptr<ArchiveTask> task = archiveTask_;
    archiveWatcher_ = new QFutureWatcher<bool>(this);
    connect(archiveWatcher_, SIGNAL(finished()), this, SLOT(archiveEnded()));
    archiveTimer_ = new QTimer(this);
    archiveTimer_->setInterval(100);
    connect(archiveTimer_, SIGNAL(timeout()), this, SLOT(archivePoll()));
    archiveTimer_->start();
    archiveWatcher_->setFuture(QtConcurrent::run([task, zipPath, entries] {
        return writeZipArchive(zipPath, entries, *task);
    }));
}

void HandlerUpload::archivePoll()
{
    if (!archiveTask_ || ended_ || failed_)
        return;
    const int p = archiveTask_->percent;
    if (p != uploaded_)
        setArchiveProgress(p, 100);
}

void HandlerUpload::archiveEnded()
{
    archiveTimer_->stop();
    const bool ok = archiveWatcher_->result();
    if (stopPending_) {
        QFile::remove(files_.value(0));
        finishStopped();
        return;
    }
    if (ended_ || stopped_)
        return;
    if (!ok) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << archiveTask_->error;
        setArchiveChange(false);
        QFile::remove(files_.value(0));
        fail(tr("Could not create the archive"));
        return;
    }
    setArchiveProgress(100, 100);
    emit sendedFile();
}

bool HandlerUpload::sendOne(bool single)
{
    const QString path = files_.takeFirst();
    NetworkAccessManager *m = newManager(SLOT(uploadFinished(QNetworkReply*)));
    if (!m->proxyError().isEmpty()) {
        fail(m->proxyError());
        return false;
    }
    auto *file = new QFile(path);
    if (!file->open(QIODevice::ReadOnly)) {
        const QString why = file->errorString();
        delete file;
        fail(tr("Cannot read the file %1: %2").arg(QFileInfo(path).fileName(), why));
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    QNetworkRequest request;
    QNetworkReply *reply = nullptr;
    const QString idPart = QString::fromLatin1(QUrl::toPercentEncoding(id_));
    if (single) {
        request.setUrl(QUrl(pryx::uploadApiUrl() + '/' + idPart + QStringLiteral("?fields=id")));
        NetworkAccessManager::getAuthRequest(request);
        request.setRawHeader("Content-Disposition", singleFileDisposition(name));
        if (m->proxy().type() == QNetworkProxy::NoProxy) {
            // Without a proxy the bytes go through libcurl on a thread of
            // its own, at the speed of the connection.
            delete file;
            managers_.removeAll(m);
            m->deleteLater();
            putThroughCurl(request, path);
            return true;
        }
        reply = m->put(request, file);
    } else {
        request.setUrl(QUrl(pryx::uploadApiUrl() + QStringLiteral("?fields=id&parent=") + idPart));
        NetworkAccessManager::getAuthRequest(request);
        request.setRawHeader("Content-Disposition", severalFilesDisposition(name));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/octet-stream"));
        reply = m->post(request, file);
    }
    file->setParent(reply);
    connect(reply, SIGNAL(uploadProgress(qint64,qint64)), this, SLOT(calcUploadProgress(qlonglong,qlonglong)));
    progress_[reply] = 0;
    running_.insert(reply);
    watch(reply);
    return true;
}

void HandlerUpload::putThroughCurl(const QNetworkRequest &request, const QString &path)
{
    ServicePutWorker::Request r;
    r.url = request.url().toEncoded();
    for (const QByteArray &name : request.rawHeaderList())
        r.headers.append({name, request.rawHeader(name)});
    r.file = path;
    for (const QSslCertificate &ca : request.sslConfiguration().caCertificates())
        r.caPem += ca.toPem();
    r.stallTimeoutMs = pryx::net::services().transferTimeoutMs;
    auto *w = new ServicePutWorker(r, this);
    worker_ = w;
    connect(w, &UploadWorker::uploadProgress, this, &HandlerUpload::calcUploadProgress);
    connect(w, &ServicePutWorker::transferEnded, this, &HandlerUpload::putEnded);
    progress_[w] = 0;
    running_.insert(w);
    w->startJob({path}, false, 0);
}

void HandlerUpload::putEnded(int code, int status, QByteArray detail)
{
    running_.remove(sender());
    if (ended_ || failed_ || stopped_)
        return;
    if (code != QNetworkReply::NoError || !successStatus(status))
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << code << "status" << status << detail;
    fileEnded(code, status);
}

void HandlerUpload::fileEnded(int code, int status)
{
    if (code != QNetworkReply::NoError) {
        if (connectionLost(code) || code == QNetworkReply::UnknownNetworkError)
            failOffline();
        else
            fail(errorText(code));
        return;
    }
    if (!successStatus(status)) {
        fail(tr("The server sent an invalid reply"));
        return;
    }
    if (!files_.isEmpty()) {
        sendOne(false);
        return;
    }
    if (running_.isEmpty()) {
        shareLink();
        ended_ = true;
        emit uploadComplete(this);
    }
}

QByteArray HandlerUpload::singleFileDisposition(const QString &fileName)
{
    return "attachment; filename*=UTF-8'ru'" + QUrl::toPercentEncoding(fileName);
}

QByteArray HandlerUpload::severalFilesDisposition(const QString &fileName)
{
    // Control characters would break the header: such a name goes encoded.
    if (hasControlChars(fileName))
        return singleFileDisposition(fileName);
    return "attachment; filename=" + fileName.toUtf8();
}

void HandlerUpload::sendFile()
{
    if (ended_ || failed_ || stopped_)
        return;
    setArchiveChange(false);
    total_ = 0;
    for (const QString &f : files_)
        total_ += QFileInfo(f).size();
    if (files_.size() == 1) {
        sendOne(true);
        return;
    }
    for (int i = 0; i < kMaxInFlight && !files_.isEmpty() && !failed_; ++i)
        sendOne(false);
}

void HandlerUpload::uploadFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    running_.remove(reply);
    if (QObject *m = reply->manager()) {
        managers_.removeAll(m);
        m->deleteLater();
    }
    if (ended_ || failed_)
        return;
    const int code = replyError(reply);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (code != QNetworkReply::NoError || !successStatus(status))
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << code << "status" << status << reply->errorString()
                                 << reply->readAll() << reply->rawHeaderPairs();
    fileEnded(code, status);
}

void HandlerUpload::calcUploadProgress(qlonglong sent, qlonglong)
{
    if (ended_ || failed_)
        return;
    if (sent != 0)
        progress_[sender()] = sent;
    qint64 sum = 0;
    for (qint64 v : qAsConst(progress_))
        sum += v;
    uploaded_ = sum;
    emit uploadProgress(uploaded_, total_);
}

void HandlerUpload::uploadProg(qlonglong sent, qlonglong total)
{
    if (quint64(sent) > quint64(uploaded_))
        uploaded_ = sent;
    if (quint64(total) > quint64(total_))
        total_ = total;
    emit uploadProgress(uploaded_, total_);
}

void HandlerUpload::setArchiveProgress(qlonglong prog, qlonglong total)
{
    uploaded_ = prog;
    total_ = total;
    emit uploadProgress(uploaded_, total_);
}

void HandlerUpload::setArchiveChange(bool archiving) { archiving_ = archiving; }

bool HandlerUpload::fallsBackToService()
{
    Setting *s = Setting::instance();
    return (target_ == TargetFtp && s->flag(QStringLiteral("is_ftp_error_upload_pryx")))
           || (target_ == TargetDropbox && s->flag(QStringLiteral("is_dropbox_error_upload_pryx")));
}

void HandlerUpload::checkFeaturesError()
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO
                             << Setting::instance()->getValue(QStringLiteral("is_ftp_error_upload_pryx"));
    if (fallsBackToService())
        initPryxUpload();
}

void HandlerUpload::workerError(const QString &text)
{
    if (ended_ || stopped_)
        return;
    if (fallsBackToService()) {
        // The worker's error is told; the files go on to the web service.
        emit error(text);
        checkFeaturesError();
        return;
    }
    fail(text);
}

void HandlerUpload::rememberLink(const QString &link) { announcedLink_ = link; }

void HandlerUpload::uploadComplete()
{
    if (ended_ || stopped_)
        return;
    ended_ = true;
    emit uploadComplete(this);
}

void HandlerUpload::fail(const QString &text)
{
    if (ended_)
        return;
    failed_ = true;
    abortRequests();
    if (captureFile_.isEmpty())
        emit error(text);
    else
        emit captureNotUploaded(text, captureFile_);
    finishFailed();
}

void HandlerUpload::failOffline()
{
    if (ended_)
        return;
    failed_ = true;
    abortRequests();
    emit internetNotAvailable(captureFile_);
    finishFailed();
}

void HandlerUpload::finishFailed()
{
    if (ended_)
        return;
    ended_ = true;
    emit uploadFailed(this);
}

void HandlerUpload::abortRequests()
{
    // Disconnect first: an aborted reply reports nothing more to this job.
    for (QObject *m : qAsConst(managers_)) {
        m->disconnect(this);
        for (QNetworkReply *r : m->findChildren<QNetworkReply *>()) {
            r->disconnect(this);
            if (r->isRunning())
                r->abort();
        }
        // Not deleted here: a manager may still be delivering the reply that
        // led to this call, further up the stack. The managers go with the
        // job.
    }
    managers_.clear();
    running_.clear();
}

void HandlerUpload::stopUpload()
{
    if (ended_ || stopPending_)
        return;
    abortRequests();
    stopped_ = true;
    if (archiveTask_)
        archiveTask_->stop = true;
    if (archiveWatcher_ && archiveWatcher_->isRunning()) {
        stopPending_ = true;     // archiveEnded() finishes the stop
        return;
    }
    if (worker_ && worker_->endsAtOnceWhenCancelled()) {
        // A cancelled transfer ends at once, like an aborted reply.
        worker_->cancel();
        worker_->wait();
        finishStopped();
        return;
    }
    if (worker_) {
        // Connected before the look: a thread that ends right after it still
        // ends the job (finishStopped runs once).
        connect(worker_, &QThread::finished, this, &HandlerUpload::finishStopped,
                Qt::UniqueConnection);
        if (worker_->isRunning()) {
            stopPending_ = true;
            worker_->cancel();
            return;
        }
    }
    finishStopped();
}

void HandlerUpload::finishStopped()
{
    if (ended_)
        return;
    ended_ = true;
    emit uploadStoped(this);
}

QUrl HandlerUpload::shareUrl(int afterAction, const QString &link)
{
    const QString url = shareUrlFor(afterAction, link);
    return url.isEmpty() ? QUrl() : QUrl(url, QUrl::TolerantMode);
}

void HandlerUpload::shareLink()
{
    const QUrl url = shareUrl(afterAction_, alternateLink_);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

QString HandlerUpload::errorText(int code)
{
    switch (code) {
    case 0: return tr("No error");
    case 1: return tr("Connection refused");
    case 2: return tr("Remote host closed");
    case 3: return tr("Host not found");
    case 4: return tr("Timeout");
    case 5: return tr("Operation canceled");
    case 6: return tr("Ssl handshake failed");
    case 7: return tr("Temporary network failure");
    case 99: return tr("Unknown network");
    case 101: return tr("Proxy connection refused");
    case 102: return tr("Proxy connection closed");
    case 103: return tr("Proxy not found");
    case 104: return tr("Proxy timeout");
    case 105: return tr("Proxy authentication required");
    case 199: return tr("Unknown proxy");
    case 201: return tr("Content access denied");
    case 202: return tr("Content operation not permitted");
    case 203: return tr("Content not found");
    case 204: return tr("Authentication required");
    case 205: return tr("Content re send");
    case 299: return tr("Unknown content");
    case 301: return tr("Protocol unknown");
    case 302: return tr("Protocol invalid operation");
    case 399: return tr("ProtocolFailure");
    default: return tr("Uncknown error");
    }
}
