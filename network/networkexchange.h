#pragma once
// The door through which uploads are started and stopped: size check, one
// job per request, its signals relayed under the same names.

#include "network/handlerupload.h"

#include <QList>
#include <QObject>
#include <QStringList>

class NetworkExchange : public QObject
{
    Q_OBJECT
public:
    explicit NetworkExchange(QObject *parent = nullptr);

    void uploadFiles(QStringList files);
    void uploadDataZip(QStringList files);
    void uploadFile(QString file, QString description, int afterAction);
    void stopUploads();
    HandlerUpload::TargetUpload typeUpload();
    bool checkUploadSize(QStringList files);

    QList<HandlerUpload *> jobs() const { return jobs_; }

signals:
    void startUpload();
    void error(QString text);
    void readyLink(QString link);
    void readyLinkAfterUpload(QString link);
    void uploadComplete();
    void uploadProgress(qlonglong sent, qlonglong total);
    void internetNotAvailable(QString captureFile);
    void captureNotUploaded(QString text, QString captureFile);
    // A job that announced this link failed or was stopped: the link leads
    // to no complete upload.
    void linkDropped(QString link);

public slots:
    void uploadProg(qlonglong sent, qlonglong total);
    void removeUpload();
    void removeFailed(HandlerUpload *job);
    void testReadYLink(QString link);

private:
    HandlerUpload *createJob();

    QList<HandlerUpload *> jobs_;
};
