// 200 MB to the FTP and the SFTP test server on 127.0.0.1: the upload thread
// against the curl command line sending the same file to the same server.

#include "network/handleftpupload.h"
#include "network/handlesftpupload.h"
#include "support/uploadservers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr qint64 kSize = 200 * 1048576LL;

template <class W>
double runThread(W *w, const QString &file, int port)
{
    QEventLoop loop;
    bool ok = false;
    QObject::connect(w, &W::complete, &loop, [&] { ok = true; loop.quit(); });
    QObject::connect(w, &W::error, &loop, [&](QString e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e));
        loop.quit();
    });
    QElapsedTimer t;
    t.start();
    w->upload({file}, "tester", "secret", "127.0.0.1", "", port, QString(), false,
              typename W::TypeAfterAction(0));
    loop.exec();
    w->wait();
    return ok ? t.elapsed() / 1000.0 : -1;
}

double runCurl(const QString &url, const QString &file, bool sftp)
{
    QStringList args{"-sS", "-u", "tester:secret", "-T", file, url};
    if (sftp)
        args.prepend("-k");
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute("curl", args);
    return rc == 0 ? t.elapsed() / 1000.0 : -1;
}

void report(const char *what, double ours, double curl)
{
    const double mb = kSize / 1048576.0;
    std::printf("%-5s thread %7.2f s %8.1f MB/s | curl %7.2f s %8.1f MB/s | ratio %.2f\n", what,
                ours, mb / ours, curl, mb / curl, curl / ours);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = pryx::test::makeDataFile(dir.path() + "/big file.bin", kSize);
    pryx::test::ScriptServer ftp;
    pryx::test::ScriptServer sftp;
    pryx::test::FtpServerOptions fo;
    fo.root = dir.path() + "/froot";
    pryx::test::SftpServerOptions so;
    so.root = dir.path() + "/sroot";
    so.hostKey = dir.path() + "/key";
    QString err;
    if (!pryx::test::startFtpServer(ftp, fo, &err) || !pryx::test::startSftpServer(sftp, so, &err)) {
        std::fprintf(stderr, "%s\n", qPrintable(err));
        return 1;
    }
    HandleFTPUpload f;
    const double fOurs = runThread(&f, file, ftp.port());
    const double fCurl = runCurl(QString("ftp://127.0.0.1:%1/curl.bin").arg(ftp.port()), file, false);
    report("FTP", fOurs, fCurl);
    HandleSFTPUpload s;
    const double sOurs = runThread(&s, file, sftp.port());
    const double sCurl = runCurl(QString("sftp://127.0.0.1:%1/curl.bin").arg(sftp.port()), file, true);
    report("SFTP", sOurs, sCurl);
    const bool same = QFile(fo.root + "/big file.bin").size() == kSize
                      && QFile(so.root + "/big file.bin").size() == kSize;
    std::printf("sizes on the servers %s\n", same ? "match" : "DIFFER");
    return same && fOurs > 0 && sOurs > 0 ? 0 : 1;
}
