#pragma once
// What the FTP and SFTP upload workers share: the job's thread (zip when
// needed, link, libcurl transfer, share step) and the connection check.

#include "network/curlupload.h"
#include "network/uploadworker.h"

#include <QFutureWatcher>

#include <atomic>

class CurlUploadThread : public UploadWorker
{
    Q_OBJECT
public:
    // Stops a running transfer and waits for the thread.
    ~CurlUploadThread() override;

    Q_INVOKABLE QString checkConnect(QString user, QString password, QString host, QString path,
                                     int port);

    // The job's server settings of this protocol ("ftp_…" or "sftp_…").
    void startJob(const QStringList &files, bool archive, int afterAction) override;
    void cancel() override;
    bool isCanceled() const { return cancel_.load(); }

    qint64 sentBytes() const { return counters_.sent.load(); }
    qint64 fileSize() const { return counters_.size.load(); }
    // The outcome of the last connection check (empty: reachable).
    QString checkResult() const { return checkResult_; }
    QString link() const { return link_; }

    // The share step for the stored action and link (GUI thread).
    void runAfterAction();

signals:
    void checkConnectFinished();

public slots:
    void checkComplete(int index);

protected:
    CurlUploadThread(pryx::CurlProtocol protocol, QObject *parent);

    void beginUpload(const QStringList &files, const QString &user, const QString &password,
                     const QString &host, const QString &path, int port, const QString &baseUrl,
                     bool archive, int afterAction);
    void run() override;

    // The texts of the protocol (translated in the worker's own context).
    virtual QString hostMissingText() const = 0;
    virtual QString availableText() const = 0;
    // Whether an empty host is refused before the thread starts (otherwise
    // the thread reports it).
    virtual bool checksHostBeforeStart() const = 0;

private:
    const pryx::CurlProtocol protocol_;
    QString link_;
    int afterAction_ = 0;
    QFutureWatcher<QString> *watcher_;
    pryx::CurlUploadCounters counters_;
    pryx::CurlUploadParams params_;
    std::atomic<bool> cancel_{false};
    QString checkResult_;
};
