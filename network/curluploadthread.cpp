#include "network/curluploadthread.h"

#include "network/handlerupload.h"
#include "network/uploadworkersupport.h"

#include <QtConcurrent/QtConcurrentRun>

CurlUploadThread::CurlUploadThread(pryx::CurlProtocol protocol, QObject *parent)
    : UploadWorker(parent), protocol_(protocol), watcher_(new QFutureWatcher<QString>(this))
{
}

CurlUploadThread::~CurlUploadThread()
{
    cancel();
    wait();
}

void CurlUploadThread::beginUpload(const QStringList &files, const QString &user,
                                   const QString &password, const QString &host,
                                   const QString &path, int port, const QString &baseUrl,
                                   bool archive, int afterAction)
{
    if (isRunning())
        return;
    if (host.isEmpty() && checksHostBeforeStart()) {
        emit error(hostMissingText());
        return;
    }
    afterAction_ = afterAction;
    counters_.sent = 0;
    counters_.size = 0;
    cancel_ = false;
    params_ = pryx::CurlUploadParams{files, user, password, host, path,
                                     pryx::effectivePort(protocol_, port), baseUrl,
                                     archive, afterAction, pryx::curlDebug()};
    start(QThread::InheritPriority);
}

void CurlUploadThread::startJob(const QStringList &files, bool archive, int afterAction)
{
    const HandlerUpload::ServerParams p = HandlerUpload::serverParams(
        protocol_ == pryx::CurlProtocol::Sftp ? HandlerUpload::TargetSftp : HandlerUpload::TargetFtp);
    beginUpload(files, p.user, p.password, p.host, p.path, p.port, p.baseUrl, archive, afterAction);
}

void CurlUploadThread::cancel() { cancel_ = true; }

void CurlUploadThread::run()
{
    if (params_.host.isEmpty()) {
        emit error(hostMissingText());
        return;
    }
    pryx::CurlUploadEvents events;
    events.readyLink = [this](const QString &link) { emit readyLink(link); };
    events.archiveChange = [this](bool on) { emit archiveChange(on); };
    events.archiveProgress = [this](qint64 p, qint64 t) { emit archiveProgress(p, t); };
    events.uploadProgress = [this](qint64 p, qint64 t) { emit uploadProgress(p, t); };
    const pryx::CurlUploadResult r =
        pryx::runCurlUpload(protocol_, params_, events, counters_, cancel_);
    switch (r.status) {
    case pryx::CurlUploadResult::Completed:
        // The share step opens a browser: it belongs on the GUI thread, and
        // is queued before complete so that it runs first.
        QMetaObject::invokeMethod(
            this, [this, link = r.link] {
                link_ = link;
                runAfterAction();
            },
            Qt::QueuedConnection);
        emit complete();
        break;
    case pryx::CurlUploadResult::Failed:
        emit error(r.error);
        break;
    case pryx::CurlUploadResult::Canceled:
        break;
    }
}

void CurlUploadThread::runAfterAction() { pryx::openShareUrl(link_, afterAction_); }

QString CurlUploadThread::checkConnect(QString user, QString password, QString host, QString path,
                                       int port)
{
    connect(watcher_, &QFutureWatcher<QString>::resultReadyAt, this,
            &CurlUploadThread::checkComplete, Qt::UniqueConnection);
    const pryx::CurlProtocol protocol = protocol_;
    watcher_->setFuture(QtConcurrent::run([=] {
        return pryx::checkCurlConnection(protocol, user, password, host, path, port,
                                         pryx::curlDebug());
    }));
    return QString();
}

void CurlUploadThread::checkComplete(int index)
{
    checkResult_ = watcher_->resultAt(index);
    if (checkResult_.isEmpty())
        pryx::showCheckMessage(tr("Well done"), availableText());
    else
        pryx::showCheckMessage(tr("Error"), checkResult_);
    emit checkConnectFinished();
}
