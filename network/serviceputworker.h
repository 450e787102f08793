#pragma once
// The one-file transfer of a web-service job (an HTTPS PUT of the file's
// bytes) on a thread of its own through libcurl: the file is read in large
// blocks straight into the TLS connection, where Qt's HTTP stack hands the
// body between threads in small pieces. Same request, same progress and
// cancel as a Qt reply; the end is reported with the error code a Qt reply
// would carry.

#include "network/uploadworker.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>

#include <atomic>

class ServicePutWorker : public UploadWorker
{
    Q_OBJECT
public:
    struct Request {
        QByteArray url;
        QList<QPair<QByteArray, QByteArray>> headers;   // in order, as set on the request
        QString file;
        QByteArray caPem;        // the authorities trusted, PEM
        int stallTimeoutMs = 0;  // no byte moved for this long: a time-out (0: none)
    };

    explicit ServicePutWorker(const Request &request, QObject *parent = nullptr);
    ~ServicePutWorker() override;

    // Starts the transfer; the arguments are the job's and need nothing more.
    void startJob(const QStringList &files, bool archive, int afterAction) override;
    void cancel() override;
    bool endsAtOnceWhenCancelled() const override { return true; }

    // The QNetworkReply::NetworkError a Qt reply gives for an HTTP status
    // (NoError for 1xx to 3xx).
    static int errorForStatus(int status);

signals:
    // The transfer ended (never after cancel): `networkError` is a
    // QNetworkReply::NetworkError, `status` the HTTP status (0 without a
    // reply), `detail` the reply body or the transport's message.
    void transferEnded(int networkError, int status, QByteArray detail);

protected:
    void run() override;

private:
    Request request_;
    std::atomic<bool> cancelled_{false};
    QMutex multiMutex_;
    void *multi_ = nullptr;   // the running transfer's multi handle, for cancel
};
