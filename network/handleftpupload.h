#pragma once
// One FTP upload job's worker thread (zip when needed, link, libcurl transfer,
// share step) and the FTP connection check of the settings page.

#include "network/curlupload.h"

#include <QFutureWatcher>
#include <QThread>

#include <atomic>

class HandleFTPUpload : public QThread
{
    Q_OBJECT
public:
    enum TypeAfterAction {
        AfterNone = 0,
        AfterFacebook = 1,
        AfterOdnoklassniki = 2,
        AfterVk = 3,
        AfterTwitter = 4,
        AfterMail = 5
    };
    Q_ENUM(TypeAfterAction)

    explicit HandleFTPUpload(QObject *parent = nullptr);
    // Stops a running transfer and waits for the thread.
    ~HandleFTPUpload() override;

    void upload(QStringList files, QString user, QString password, QString host, QString path,
                int port, QString baseUrl, bool archive, HandleFTPUpload::TypeAfterAction afterAction);
    Q_INVOKABLE QString checkConnect(QString user, QString password, QString host, QString path,
                                     int port);
    static QString cCheckFtpConnect(QString user, QString password, QString host, QString path,
                                    int port);

    // Asks a running transfer to stop; thread-safe. A stopped job emits
    // neither complete nor error.
    void cancel();
    bool isCanceled() const { return cancel_.load(); }

    qint64 sentBytes() const { return counters_.sent.load(); }
    qint64 fileSize() const { return counters_.size.load(); }
    // The outcome of the last connection check (empty: reachable).
    QString checkResult() const { return checkResult_; }
    QString link() const { return link_; }

signals:
    void startUpload();
    void error(QString error);
    void complete();
    void readyLink(QString link);
    void uploadProgress(qlonglong upload, qlonglong total);
    void checkConnectFinished();
    void archiveChange(bool archiving);
    void archiveProgress(qlonglong progress, qlonglong total);

public slots:
    void checkComplete(int index);

protected:
    void run() override;

public:
    // The share step for the stored action and link (GUI thread).
    void runAfterAction();

private:

    QString url_;
    QString host_;
    QString path_;
    QString user_;
    QString password_;
    QStringList files_;
    QString link_;
    QString baseUrl_;
    bool archive_ = false;
    int port_ = 21;
    QFutureWatcher<QString> *watcher_;
    TypeAfterAction afterAction_ = AfterNone;
    pryx::CurlUploadCounters counters_;
    pryx::CurlUploadParams params_;
    std::atomic<bool> cancel_{false};
    QString checkResult_;
};
