#pragma once
// The base of an upload job's worker thread (FTP, SFTP, Dropbox): the
// signals the job listens to, the start with the job's files and a cancel.
// A new target is one subclass.

#include <QStringList>
#include <QThread>

class UploadWorker : public QThread
{
    Q_OBJECT
public:
    using QThread::QThread;

    // Reads what the target needs from the settings, copies it with the
    // job's files and starts the thread (GUI thread).
    virtual void startJob(const QStringList &files, bool archive, int afterAction) = 0;
    // Asks a running transfer to stop; thread-safe. A stopped worker emits
    // neither complete nor error.
    virtual void cancel() = 0;
    // Whether a cancelled transfer ends at once, so that the job may wait
    // for the thread rather than for its finished signal.
    virtual bool endsAtOnceWhenCancelled() const { return false; }

signals:
    void startUpload();
    void error(QString error);
    // The transfer ended well; the job is done.
    void complete();
    // The link, known before the transfer (FTP, SFTP).
    void readyLink(QString link);
    // The link, known only after the transfer (Dropbox).
    void readyLinkAfterUpload(QString link);
    void uploadProgress(qlonglong upload, qlonglong total);
    void archiveChange(bool archiving);
    void archiveProgress(qlonglong progress, qlonglong total);
};
