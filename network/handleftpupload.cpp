#include "network/handleftpupload.h"

#include "network/uploadworkersupport.h"

#include <QtConcurrent/QtConcurrentRun>

HandleFTPUpload::HandleFTPUpload(QObject *parent)
    : QThread(parent), watcher_(new QFutureWatcher<QString>(this))
{
}

HandleFTPUpload::~HandleFTPUpload()
{
    cancel();
    wait();
}

void HandleFTPUpload::upload(QStringList files, QString user, QString password, QString host,
                             QString path, int port, QString baseUrl, bool archive,
                             HandleFTPUpload::TypeAfterAction afterAction)
{
    if (isRunning())
        return;
    files_ = files;
    user_ = user;
    password_ = password;
    host_ = host;
    path_ = path;
    port_ = pryx::effectivePort(pryx::CurlProtocol::Ftp, port);
    baseUrl_ = baseUrl;
    archive_ = archive;
    afterAction_ = afterAction;
    counters_.sent = 0;
    counters_.size = 0;
    cancel_ = false;
    params_ = pryx::CurlUploadParams{files, user, password, host, path, port_, baseUrl,
                                     archive, int(afterAction), pryx::curlDebug()};
    start(QThread::InheritPriority);
}

void HandleFTPUpload::cancel() { cancel_ = true; }

void HandleFTPUpload::run()
{
    if (params_.host.isEmpty()) {
        emit error(tr("FTP host is null"));
        return;
    }
    pryx::CurlUploadEvents events;
    events.readyLink = [this](const QString &link) { emit readyLink(link); };
    events.archiveChange = [this](bool on) { emit archiveChange(on); };
    events.archiveProgress = [this](qint64 p, qint64 t) { emit archiveProgress(p, t); };
    events.uploadProgress = [this](qint64 p, qint64 t) { emit uploadProgress(p, t); };
    const pryx::CurlUploadResult r =
        pryx::runCurlUpload(pryx::CurlProtocol::Ftp, params_, events, counters_, cancel_);
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

void HandleFTPUpload::runAfterAction() { pryx::openShareUrl(link_, int(afterAction_)); }

QString HandleFTPUpload::checkConnect(QString user, QString password, QString host, QString path,
                                      int port)
{
    connect(watcher_, &QFutureWatcher<QString>::resultReadyAt, this,
            &HandleFTPUpload::checkComplete, Qt::UniqueConnection);
    watcher_->setFuture(QtConcurrent::run(&HandleFTPUpload::cCheckFtpConnect, user, password,
                                          host, path, port));
    return QString();
}

QString HandleFTPUpload::cCheckFtpConnect(QString user, QString password, QString host,
                                          QString path, int port)
{
    return pryx::checkCurlConnection(pryx::CurlProtocol::Ftp, user, password, host, path, port,
                                     pryx::curlDebug());
}

void HandleFTPUpload::checkComplete(int index)
{
    checkResult_ = watcher_->resultAt(index);
    if (checkResult_.isEmpty())
        pryx::showCheckMessage(tr("Well done"), tr("FTP connection is avaliable"));
    else
        pryx::showCheckMessage(tr("Error"), checkResult_);
    emit checkConnectFinished();
}
