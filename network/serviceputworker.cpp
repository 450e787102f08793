#include "network/serviceputworker.h"

#include "network/networklog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutexLocker>
#include <QNetworkReply>

#include <curl/curl.h>

#include <cstdio>

namespace {

constexpr long kBufferSize = 512 * 1024;
constexpr qint64 kProgressStep = 1 << 20;   // bytes between two progress reports
constexpr qint64 kProgressMs = 100;          // or this long

struct Transfer {
    ServicePutWorker *worker = nullptr;
    std::atomic<bool> *cancelled = nullptr;
    FILE *file = nullptr;
    QByteArray body;
    qint64 reported = -1;
    QElapsedTimer sinceReport;
};

size_t readBody(char *buf, size_t size, size_t n, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->cancelled->load())
        return CURL_READFUNC_ABORT;
    const size_t got = std::fread(buf, 1, size * n, t->file);
    if (got == 0 && std::ferror(t->file))
        return CURL_READFUNC_ABORT;
    return got;
}

size_t keepReply(char *data, size_t size, size_t n, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t len = size * n;
    // Only for the diagnostics of a failure: the first 64 KiB.
    if (t->body.size() < 65536)
        t->body.append(data, int(qMin<size_t>(len, size_t(65536 - t->body.size()))));
    return len;
}

int progress(void *user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->cancelled->load())
        return 1;
    const qint64 now = qint64(ulnow);
    if (now != t->reported
        && (now - t->reported >= kProgressStep || t->sinceReport.elapsed() >= kProgressMs
            || (ultotal > 0 && ulnow == ultotal))) {
        t->reported = now;
        t->sinceReport.restart();
        emit t->worker->uploadProgress(qlonglong(now), qlonglong(ultotal));
    }
    return 0;
}

int networkError(CURLcode rc)
{
    switch (rc) {
    case CURLE_OK:
        return QNetworkReply::NoError;
    case CURLE_COULDNT_CONNECT:
        return QNetworkReply::ConnectionRefusedError;
    case CURLE_COULDNT_RESOLVE_HOST:
        return QNetworkReply::HostNotFoundError;
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QNetworkReply::ProxyNotFoundError;
    case CURLE_OPERATION_TIMEDOUT:
        return QNetworkReply::TimeoutError;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_INITFAILED:
        return QNetworkReply::SslHandshakeFailedError;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return QNetworkReply::RemoteHostClosedError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace

ServicePutWorker::ServicePutWorker(const Request &request, QObject *parent)
    : UploadWorker(parent), request_(request)
{
}

ServicePutWorker::~ServicePutWorker()
{
    cancel();
    wait();
}

void ServicePutWorker::startJob(const QStringList &, bool, int)
{
    cancelled_ = false;
    start();
}

void ServicePutWorker::cancel()
{
    cancelled_ = true;
    QMutexLocker lock(&multiMutex_);
    if (multi_)
        curl_multi_wakeup(multi_);
}

int ServicePutWorker::errorForStatus(int status)
{
    switch (status) {
    case 400:
    case 418:
        return QNetworkReply::ProtocolInvalidOperationError;
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        if (status > 500)
            return QNetworkReply::UnknownServerError;
        if (status >= 400)
            return QNetworkReply::UnknownContentError;
        return QNetworkReply::NoError;
    }
}

void ServicePutWorker::run()
{
    Transfer t;
    t.worker = this;
    t.cancelled = &cancelled_;
    t.file = std::fopen(QFile::encodeName(request_.file).constData(), "rb");
    if (!t.file) {
        emit transferEnded(QNetworkReply::UnknownNetworkError, 0,
                           QByteArray("cannot read ") + QFile::encodeName(request_.file));
        return;
    }
    std::fseek(t.file, 0, SEEK_END);
    const long size = std::ftell(t.file);
    std::fseek(t.file, 0, SEEK_SET);
    // The file is read once, front to back, in large blocks.
    std::setvbuf(t.file, nullptr, _IONBF, 0);

    CURL *h = curl_easy_init();
    curl_slist *headers = nullptr;
    for (const auto &hv : qAsConst(request_.headers))
        headers = curl_slist_append(headers, (hv.first + ": " + hv.second).constData());
    // No headers of curl's own beyond those a Qt request carries.
    headers = curl_slist_append(headers, "Expect:");
    headers = curl_slist_append(headers, "Accept:");
    char error[CURL_ERROR_SIZE] = {0};
    curl_blob ca{const_cast<char *>(request_.caPem.constData()), size_t(request_.caPem.size()),
                 CURL_BLOB_NOCOPY};
    curl_easy_setopt(h, CURLOPT_URL, request_.url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, readBody);
    curl_easy_setopt(h, CURLOPT_READDATA, &t);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, keepReply);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request_.caPem.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &ca);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    if (request_.stallTimeoutMs > 0) {
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(qMax(1, request_.stallTimeoutMs / 1000)));
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(request_.stallTimeoutMs));
    }
    t.sinceReport.start();
    // The multi interface, so that a cancel wakes the wait at once.
    CURLM *multi = curl_multi_init();
    curl_multi_add_handle(multi, h);
    {
        QMutexLocker lock(&multiMutex_);
        multi_ = multi;
    }
    CURLcode rc = CURLE_OK;
    for (int running = 1; running && !cancelled_.load();) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        if (running)
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &left))
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == h)
            rc = msg->data.result;
    {
        QMutexLocker lock(&multiMutex_);
        multi_ = nullptr;
    }
    curl_multi_remove_handle(multi, h);
    curl_multi_cleanup(multi);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(h);
    curl_slist_free_all(headers);
    std::fclose(t.file);
    if (cancelled_.load())
        return;   // stopped: nothing more is reported
    if (rc != CURLE_OK) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << int(rc) << error;
        emit transferEnded(networkError(rc), int(status), QByteArray(error));
        return;
    }
    emit transferEnded(errorForStatus(int(status)), int(status), t.body);
}
