#include "network/curlupload.h"

#include "core/base/paths.h"
#include "network/sftpknownhosts.h"
#include "network/uploadarchive.h"
#include "platform/privatedir.h"
#include "network/networklog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <curl/curl.h>

#include <cinttypes>
#include <cstdio>
#include <mutex>

namespace pryx {

namespace {

std::atomic<int> g_debug{-1};

void globalInit()
{
    // Once per process: curl_global_cleanup while another job's thread still
    // transfers would pull the ground from under it.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

QString tr(const char *context, const char *text)
{
    return QCoreApplication::translate(context, text);
}

const char *contextOf(CurlProtocol protocol)
{
    return protocol == CurlProtocol::Ftp ? "HandleFTPUpload" : "HandleSFTPUpload";
}

void trace(const QByteArray &line)
{
    qCDebug(pryx::lcNetwork).noquote() << QString::fromUtf8(line);
}

int debugCallback(CURL *, curl_infotype type, char *data, size_t size, void *)
{
    const char *prefix = nullptr;
    switch (type) {
    case CURLINFO_TEXT: prefix = "* "; break;
    case CURLINFO_HEADER_IN: prefix = "< "; break;
    case CURLINFO_HEADER_OUT: prefix = "> "; break;
    default: return 0;
    }
    const QList<QByteArray> lines = QByteArray(data, int(size)).split('\n');
    for (QByteArray line : lines) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        // The FTP login line carries the password in clear.
        if (type == CURLINFO_HEADER_OUT && line.toUpper().startsWith("PASS "))
            line = "PASS ****";
        trace(prefix + line);
    }
    return 0;
}

size_t discardCallback(char *, size_t size, size_t count, void *)
{
    return size * count;
}

// The server's host key, checked against the trusted keys before any
// password is sent.
struct KeyCheck {
    QString host;
    int port = 22;
    bool mismatch = false;
};

int hostKeyCallback(void *clientp, int, const char *key, size_t length)
{
    auto *check = static_cast<KeyCheck *>(clientp);
    const HostKeyMatch m = trustHostKey(knownHostsPath(), check->host, check->port,
                                        QByteArray(key, int(length)));
    if (m == HostKeyMatch::Changed) {
        check->mismatch = true;
        return CURLKHMATCH_MISMATCH;
    }
    return CURLKHMATCH_OK;
}

QString hostKeyChangedText(CurlProtocol protocol)
{
    return tr(contextOf(protocol),
              "The SFTP server's host key has changed since the first connection; "
              "the connection was refused. If the key was changed on purpose, remove "
              "the server's line from %1.")
        .arg(QDir::toNativeSeparators(knownHostsPath()));
}

// Options shared by the transfer and the connection check.
void applyCommon(CURL *h, CurlProtocol protocol, const QString &user, const QString &password,
                 const QString &host, int port, bool verbose, char *errorBuffer,
                 KeyCheck *keyCheck)
{
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, protocol == CurlProtocol::Ftp ? "ftp" : "sftp");
    curl_easy_setopt(h, CURLOPT_PORT, long(effectivePort(protocol, port)));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    if (verbose) {
        curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, debugCallback);
        curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    }
    if (!user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.toUtf8().constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.toUtf8().constData());
    }
    if (protocol == CurlProtocol::Sftp) {
        pryx::platform::ensurePrivateDir(dataPath());
        keyCheck->host = host;
        keyCheck->port = effectivePort(protocol, port);
        curl_easy_setopt(h, CURLOPT_SSH_HOSTKEYFUNCTION, hostKeyCallback);
        curl_easy_setopt(h, CURLOPT_SSH_HOSTKEYDATA, keyCheck);
    }
}

QString curlErrorText(CURLcode code, const char *errorBuffer)
{
    QString text = QString::fromUtf8(curl_easy_strerror(code));
    const QString detail = QString::fromUtf8(errorBuffer).trimmed();
    if (!detail.isEmpty() && detail != text)
        text += QStringLiteral(" (") + detail + QStringLiteral(")");
    return text;
}

struct ReadContext {
    QFile *file = nullptr;
    CurlUploadCounters *counters = nullptr;
    const std::atomic<bool> *cancel = nullptr;
    bool verbose = false;
};

size_t readCallback(char *buffer, size_t size, size_t count, void *userdata)
{
    auto *ctx = static_cast<ReadContext *>(userdata);
    if (ctx->cancel->load())
        return CURL_READFUNC_ABORT;
    const qint64 n = ctx->file->read(buffer, qint64(size * count));
    if (n < 0)
        return CURL_READFUNC_ABORT;
    ctx->counters->sent += n;
    if (ctx->verbose) {
        char line[64];
        std::snprintf(line, sizeof line, "*** We read %" PRId64 " bytes from file", std::int64_t(n));
        trace(line);
    }
    return size_t(n);
}

// The path of a remote file as an SFTP quote command takes it: relative
// paths start, like the upload URL's "/~/", in the login folder.
QByteArray quotedRemotePath(const RemoteFolder &folder, const QString &name)
{
    QString full = folder.path.isEmpty() ? name : folder.path + "/" + name;
    if (folder.absolute)
        full.prepend(QLatin1Char('/'));
    QByteArray p = full.toUtf8();
    p.replace('\\', "\\\\");
    p.replace('"', "\\\"");
    return '"' + p + '"';
}

// "scheme://host[:port]/": the port only when it is not the protocol's own.
QString serverUrl(CurlProtocol protocol, const QString &host, int port)
{
    QString h = host;
    if (h.contains(QLatin1Char(':')) && !h.startsWith(QLatin1Char('[')))
        h = "[" + h + "]";
    QString url = schemeOf(protocol) + "://" + h;
    const int p = effectivePort(protocol, port);
    if (p != effectivePort(protocol, 0))
        url += ":" + QString::number(p);
    return url + "/";
}

// The folder part of a URL, ending with "/" (or empty for the FTP login
// folder). FTP paths start in the login folder, a leading "/" (an empty first
// step) goes to the root; SFTP paths start at the root, "~/" in the login
// folder.
QString folderUrlPath(CurlProtocol protocol, const RemoteFolder &folder)
{
    QString path = encodePath(folder.path);
    if (!path.isEmpty())
        path += QLatin1Char('/');
    if (protocol == CurlProtocol::Ftp)
        return folder.absolute ? "/" + path : path;
    return folder.absolute ? path : "~/" + path;
}

} // namespace

bool curlDebug()
{
    int v = g_debug.load();
    if (v < 0) {
        v = QCoreApplication::instance()
                    && QCoreApplication::arguments().contains(QStringLiteral("-debug"))
                ? 1
                : 0;
        int expected = -1;
        g_debug.compare_exchange_strong(expected, v);
        v = g_debug.load();
    }
    return v == 1;
}

void setCurlDebug(bool on) { g_debug = on ? 1 : 0; }

int effectivePort(CurlProtocol protocol, int port)
{
    if (port >= 1)
        return port;
    return protocol == CurlProtocol::Ftp ? 21 : 22;
}

QString schemeOf(CurlProtocol protocol)
{
    return protocol == CurlProtocol::Ftp ? QStringLiteral("ftp") : QStringLiteral("sftp");
}

QString encodePath(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('/'));
    for (QString &part : parts)
        part = QString::fromLatin1(QUrl::toPercentEncoding(part));
    return parts.join(QLatin1Char('/'));
}

RemoteFolder remoteFolder(const QString &folder)
{
    RemoteFolder r;
    QString path = folder;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path.remove(0, 1);
    else
        r.absolute = path.startsWith(QLatin1Char('/'));
    QStringList steps = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    r.path = steps.join(QLatin1Char('/'));
    return r;
}

QString transferUrl(CurlProtocol protocol, const QString &host, int port, const QString &path,
                    const QString &fileName)
{
    return serverUrl(protocol, host, port) + folderUrlPath(protocol, remoteFolder(path))
           + QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

QString uploadLink(const QString &baseUrl, const QString &url, const QString &fileName)
{
    if (baseUrl.isEmpty())
        return url;
    QString base = baseUrl;
    if (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + "/" + QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

QString checkUrl(CurlProtocol protocol, const QString &host, int port, const QString &path)
{
    return serverUrl(protocol, host, port) + folderUrlPath(protocol, remoteFolder(path));
}

CurlUploadResult runCurlUpload(CurlProtocol protocol, const CurlUploadParams &params,
                               const CurlUploadEvents &events, CurlUploadCounters &counters,
                               const std::atomic<bool> &cancel)
{
    const char *ctx = contextOf(protocol);
    CurlUploadResult result;
    if (params.files.isEmpty()) {
        result.error = tr(ctx, "There is no file to upload");
        return result;
    }

    // Several entries, an asked-for archive or a folder go in one zip.
    QString fileToSend;
    QString name;
    const bool zipped = params.files.size() > 1 || params.archive
                        || QFileInfo(params.files.first()).isDir();
    if (zipped) {
        events.archiveChange(true);
        fileToSend = archiveFileName(params.files);
        name = QFileInfo(fileToSend).fileName();
    } else {
        fileToSend = params.files.first();
        name = QFileInfo(fileToSend).fileName();
    }
    const QString url = transferUrl(protocol, params.host, params.port, params.path, name);
    result.link = uploadLink(params.baseUrl, url, name);
    events.readyLink(result.link);

    if (zipped) {
        events.archiveProgress(0, 100);
        QString zipError;
        const bool ok = writeZipArchive(
            fileToSend, params.files,
            [&](qint64 done, qint64 total) {
                events.archiveProgress(total > 0 ? done * 100 / total : 100, 100);
            },
            [&] { return cancel.load(); }, &zipError);
        events.archiveChange(false);
        if (!ok) {
            if (cancel.load()) {
                result.status = CurlUploadResult::Canceled;
            } else {
                result.error = tr(ctx, "Could not build the archive: %1").arg(zipError);
            }
            return result;
        }
    }

    const QFileInfo info(fileToSend);
    QFile file(fileToSend);
    if (!info.exists() || !file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Couldnt open file ") + QDir::toNativeSeparators(fileToSend);
        return result;
    }
    counters.size = info.size();

    globalInit();
    CURLM *multi = curl_multi_init();
    CURL *easy = curl_easy_init();
    if (!multi || !easy) {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        result.error = tr(ctx, "Could not start the transfer library");
        return result;
    }

    // SFTP: the file goes under a temporary name and is renamed when it is
    // complete; FTP keeps its rename-from line.
    QString sentName = name;
    struct curl_slist *post = nullptr;
    if (protocol == CurlProtocol::Sftp) {
        sentName = name + ".part";
        const RemoteFolder folder = remoteFolder(params.path);
        post = curl_slist_append(post, ("*rm " + quotedRemotePath(folder, name)).constData());
        post = curl_slist_append(post, ("rename " + quotedRemotePath(folder, sentName) + " "
                                        + quotedRemotePath(folder, name))
                                           .constData());
    } else {
        post = curl_slist_append(post, ("RNFR " + name).toUtf8().constData());
    }
    const QString sendUrl = transferUrl(protocol, params.host, params.port, params.path, sentName);

    char errorBuffer[CURL_ERROR_SIZE] = {0};
    KeyCheck keyCheck;
    ReadContext readCtx{&file, &counters, &cancel, params.verbose};
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, readCallback);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_URL, sendUrl.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_POSTQUOTE, post);
    curl_easy_setopt(easy, CURLOPT_READDATA, &readCtx);
    applyCommon(easy, protocol, params.user, params.password, params.host, params.port,
                params.verbose, errorBuffer, &keyCheck);
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(info.size()));
    // A server that stops answering ends the job instead of hanging it.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_multi_add_handle(multi, easy);

    int running = 0;
    bool loopFailed = false;
    bool canceled = false;
    QElapsedTimer sinceReport;
    sinceReport.start();
    qint64 reported = -1;
    CURLMcode mc = curl_multi_perform(multi, &running);
    while (running && mc == CURLM_OK) {
        if (cancel.load()) {
            canceled = true;
            break;
        }
        // Wait at most 200 ms, so that a cancel is seen soon.
        long timeoutMs = -1;
        curl_multi_timeout(multi, &timeoutMs);
        if (timeoutMs < 0 || timeoutMs > 200)
            timeoutMs = 200;
        mc = curl_multi_wait(multi, nullptr, 0, int(timeoutMs), nullptr);
        if (mc != CURLM_OK) {
            if (params.verbose)
                trace("error upload: curl_multi_wait failed, code " + QByteArray::number(int(mc)));
            break;
        }
        mc = curl_multi_perform(multi, &running);
        const qint64 sent = counters.sent.load();
        if (sent != reported && sinceReport.elapsed() >= 100) {
            events.uploadProgress(sent, counters.size.load());
            reported = sent;
            sinceReport.restart();
        }
    }
    if (mc != CURLM_OK && !canceled)
        loopFailed = true;

    CURLcode code = CURLE_OK;
    bool done = false;
    int queued = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
            code = msg->data.result;
            done = true;
        }
    }
    if (canceled || cancel.load()) {
        result.status = CurlUploadResult::Canceled;
    } else if (loopFailed || !done) {
        result.error = tr(ctx, protocol == CurlProtocol::Ftp ? "FTP upload failed: %1"
                                                             : "SFTP upload failed: %1")
                           .arg(QString::fromUtf8(curl_multi_strerror(mc)));
    } else if (code != CURLE_OK) {
        result.error = keyCheck.mismatch
                           ? hostKeyChangedText(protocol)
                           : tr(ctx, protocol == CurlProtocol::Ftp ? "FTP upload failed: %1"
                                                                   : "SFTP upload failed: %1")
                                 .arg(curlErrorText(code, errorBuffer));
    } else {
        events.uploadProgress(counters.sent.load(), counters.size.load());
        result.status = CurlUploadResult::Completed;
    }

    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(post);
    file.close();
    return result;
}

QString checkCurlConnection(CurlProtocol protocol, const QString &user, const QString &password,
                            const QString &host, const QString &path, int port, bool verbose,
                            int timeoutSeconds)
{
    globalInit();
    CURL *h = curl_easy_init();
    if (!h)
        return tr(contextOf(protocol), "Could not start the transfer library");
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    KeyCheck keyCheck;
    curl_easy_setopt(h, CURLOPT_URL, checkUrl(protocol, host, port, path).toUtf8().constData());
    applyCommon(h, protocol, user, password, host, port, verbose, errorBuffer, &keyCheck);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, long(timeoutSeconds));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discardCallback);
    const CURLcode code = curl_easy_perform(h);
    curl_easy_cleanup(h);
    if (code == CURLE_OK)
        return QString();
    if (keyCheck.mismatch)
        return hostKeyChangedText(protocol);
    return QString::fromUtf8(curl_easy_strerror(code));
}

} // namespace pryx
