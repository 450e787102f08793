#pragma once
// The transfer engine shared by the FTP and SFTP upload threads and their
// connection checks: URL and link rules, the libcurl transfer loop, the SFTP
// host-key store and the debug trace.

#include "network/sftpknownhosts.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace pryx {

enum class CurlProtocol { Ftp, Sftp };

// Everything an upload thread needs, copied before the thread starts.
struct CurlUploadParams {
    QStringList files;
    QString user;
    QString password;
    QString host;
    QString path;
    int port = 0;
    QString baseUrl;
    bool archive = false;
    int afterAction = 0;
    bool verbose = false;
};

// What the engine reports; every callback runs on the worker thread.
struct CurlUploadEvents {
    std::function<void(const QString &)> readyLink;
    std::function<void(bool)> archiveChange;
    std::function<void(qint64, qint64)> archiveProgress;
    std::function<void(qint64, qint64)> uploadProgress;
};

// The job's own progress counters.
struct CurlUploadCounters {
    std::atomic<qint64> sent{0};
    std::atomic<qint64> size{0};
};

struct CurlUploadResult {
    enum Status { Completed, Failed, Canceled } status = Failed;
    QString error;
    QString link;
};

// libcurl's trace and the transfer diagnostics are written only with
// "-debug" on the command line (or after setCurlDebug(true)).
bool curlDebug();
void setCurlDebug(bool on);

// 21 for FTP, 22 for SFTP when the stored port is below 1.
int effectivePort(CurlProtocol protocol, int port);
QString schemeOf(CurlProtocol protocol);

// Percent-encodes every segment of a path and keeps the "/" between them.
QString encodePath(const QString &path);

// A remote folder as the user gives it: empty, "~" or a path without a
// leading "/" (or below "~/") is in the login folder, as command-line clients
// take it; a leading "/" starts at the server's root.
struct RemoteFolder {
    bool absolute = false;
    QString path;   // the steps joined by "/", no "/" at either end
};
RemoteFolder remoteFolder(const QString &folder);

// scheme://host[:port]/folder/name, folder and name percent-encoded, the port
// only when it is not the protocol's own.
QString transferUrl(CurlProtocol protocol, const QString &host, int port, const QString &path,
                    const QString &fileName);
// The link shown to the user: base URL (one trailing "/" cut) + "/" + name,
// or the transfer URL when there is no base URL.
QString uploadLink(const QString &baseUrl, const QString &url, const QString &fileName);
// The folder URL the connection check lists; always ends with "/".
QString checkUrl(CurlProtocol protocol, const QString &host, int port, const QString &path);

// Runs one upload job (zip when needed, link, transfer). Blocks until done,
// failed or canceled.
CurlUploadResult runCurlUpload(CurlProtocol protocol, const CurlUploadParams &params,
                               const CurlUploadEvents &events, CurlUploadCounters &counters,
                               const std::atomic<bool> &cancel);

// Lists the folder on the server; empty text when that worked, else the error.
QString checkCurlConnection(CurlProtocol protocol, const QString &user, const QString &password,
                            const QString &host, const QString &path, int port, bool verbose,
                            int timeoutSeconds = 10);

} // namespace pryx
