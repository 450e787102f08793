#include "network/networkexchange.h"

#include "core/base/setting.h"
#include "network/uploadarchive.h"
#include "network/uploadservices.h"
#include "network/networklog.h"

#include <QDebug>

NetworkExchange::NetworkExchange(QObject *parent) : QObject(parent) {}

HandlerUpload::TargetUpload NetworkExchange::typeUpload()
{
    Setting *s = Setting::instance();
    const QString type = s->getValue(QStringLiteral("type_upload")).toString();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << type;
    if (type == QLatin1String("pryx"))
        return HandlerUpload::TargetService;
    if (type == QLatin1String("ftp")) {
        return s->flag(QStringLiteral("is_sftp")) ? HandlerUpload::TargetSftp : HandlerUpload::TargetFtp;
    }
    if (type == QLatin1String("dropbox"))
        return HandlerUpload::TargetDropbox;
    if (type == QLatin1String("google"))
        return HandlerUpload::TargetGoogle;
    return HandlerUpload::TargetService;
}

bool NetworkExchange::checkUploadSize(QStringList files)
{
    const quint64 sum = batchSize(files);
    const quint64 limit = Setting::instance()->getValue(QStringLiteral("max_post_size")).toULongLong();
    if (limit < sum) {
        pryx::net::services().showError(tr("Max upload total size ") + QString::number(limit / 1048576)
                                      + tr("mb"));
        return false;
    }
    return true;
}

// The relays are connected before the job starts, so an error it reports at
// once still reaches the receivers of this object.
HandlerUpload *NetworkExchange::createJob()
{
    auto *job = new HandlerUpload(typeUpload(), this);
    connect(job, SIGNAL(startUpload()), this, SIGNAL(startUpload()));
    connect(job, SIGNAL(readyLink(QString)), this, SIGNAL(readyLink(QString)));
    connect(job, SIGNAL(error(QString)), this, SIGNAL(error(QString)));
    connect(job, SIGNAL(internetNotAvailable(QString)), this, SIGNAL(internetNotAvailable(QString)));
    connect(job, SIGNAL(captureNotUploaded(QString,QString)), this, SIGNAL(captureNotUploaded(QString,QString)));
    connect(job, SIGNAL(readyLinkAfterUpload(QString)), this, SIGNAL(readyLinkAfterUpload(QString)));
    connect(job, SIGNAL(uploadComplete(HandlerUpload*)), this, SLOT(removeUpload()));
    connect(job, SIGNAL(uploadFailed(HandlerUpload*)), this, SLOT(removeFailed(HandlerUpload*)));
    jobs_.append(job);
    return job;
}

void NetworkExchange::uploadFiles(QStringList files)
{
    if (!checkUploadSize(files))
        return;
    HandlerUpload *job = createJob();
    job->uploadData(files, HandlerUpload::AfterNone, HandlerUpload::UploadFiles);
}

void NetworkExchange::uploadDataZip(QStringList files)
{
    if (!checkUploadSize(files))
        return;
    HandlerUpload *job = createJob();
    job->setArchive(true);
    job->uploadData(files, HandlerUpload::AfterNone, HandlerUpload::UploadFiles);
}

void NetworkExchange::uploadFile(QString file, QString description, int afterAction)
{
    HandlerUpload *job = createJob();
    connect(job, SIGNAL(readyLink(QString)), this, SLOT(testReadYLink(QString)));
    job->setDescription(description);
    job->uploadData({file}, HandlerUpload::TypeAfterAction(afterAction), HandlerUpload::UploadScreen);
}

void NetworkExchange::stopUploads()
{
    const QList<HandlerUpload *> jobs = jobs_;
    jobs_.clear();
    for (HandlerUpload *job : jobs) {
        const QString link = job->announcedLink();
        job->stopUpload();
        if (!link.isEmpty())
            emit linkDropped(link);
    }
}

void NetworkExchange::uploadProg(qlonglong sent, qlonglong total) { emit uploadProgress(sent, total); }

void NetworkExchange::removeUpload()
{
    auto *job = qobject_cast<HandlerUpload *>(sender());
    if (!job)
        return;
    jobs_.removeAll(job);
    job->deleteLater();
}

// A failed job has shown its error: it leaves the list, and its link with it.
void NetworkExchange::removeFailed(HandlerUpload *job)
{
    if (!jobs_.contains(job))
        return;
    jobs_.removeAll(job);
    job->deleteLater();
    if (!job->announcedLink().isEmpty())
        emit linkDropped(job->announcedLink());
}

void NetworkExchange::testReadYLink(QString link) { qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << link; }
