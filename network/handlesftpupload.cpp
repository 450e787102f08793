#include "network/handlesftpupload.h"

#include "network/uploadworkersupport.h"

#include <QtConcurrent/QtConcurrentRun>

HandleSFTPUpload::HandleSFTPUpload(QObject *parent)
    : QThread(parent), watcher_(new QFutureWatcher<QString>(this))
{
}

HandleSFTPUpload::~HandleSFTPUpload()
{
    cancel();
    wait();
}

void HandleSFTPUpload::upload(QStringList files, QString user, QString password, QString host,
                             QString path, int port, QString baseUrl, bool archive,
                             HandleSFTPUpload::TypeAfterAction afterAction)
{
    if (isRunning())
        return;
    if (host.isEmpty()) {
        emit error(tr("SFTP host is null"));
        return;
    }
    files_ = files;
    user_ = user;
    password_ = password;
    host_ = host;
    path_ = path;
    port_ = pryx::effectivePort(pryx::CurlProtocol::Sftp, port);
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

void HandleSFTPUpload::cancel() { cancel_ = true; }

void HandleSFTPUpload::run()
{
    pryx::CurlUploadEvents events;
    events.readyLink = [this](const QString &link) { emit readyLink(link); };
    events.archiveChange = [this](bool on) { emit archiveChange(on); };
    events.archiveProgress = [this](qint64 p, qint64 t) { emit archiveProgress(p, t); };
    events.uploadProgress = [this](qint64 p, qint64 t) { emit uploadProgress(p, t); };
    const pryx::CurlUploadResult r =
        pryx::runCurlUpload(pryx::CurlProtocol::Sftp, params_, events, counters_, cancel_);
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

void HandleSFTPUpload::runAfterAction() { pryx::openShareUrl(link_, int(afterAction_)); }

QString HandleSFTPUpload::checkConnect(QString user, QString password, QString host, QString path,
                                      int port)
{
    connect(watcher_, &QFutureWatcher<QString>::resultReadyAt, this,
            &HandleSFTPUpload::checkComplete, Qt::UniqueConnection);
    watcher_->setFuture(QtConcurrent::run(&HandleSFTPUpload::cCheckSftpConnect, user, password,
                                          host, path, port));
    return QString();
}

QString HandleSFTPUpload::cCheckSftpConnect(QString user, QString password, QString host,
                                          QString path, int port)
{
    return pryx::checkCurlConnection(pryx::CurlProtocol::Sftp, user, password, host, path, port,
                                     pryx::curlDebug());
}

void HandleSFTPUpload::checkComplete(int index)
{
    checkResult_ = watcher_->resultAt(index);
    if (checkResult_.isEmpty())
        pryx::showCheckMessage(tr("Well done"), tr("SFTP connection is avaliable"));
    else
        pryx::showCheckMessage(tr("Error"), checkResult_);
    emit checkConnectFinished();
}
