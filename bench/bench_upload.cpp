// 200 MB to the HTTPS stand-in on 127.0.0.1: one upload job against the curl
// command line sending the same file to the same stand-in, with the peak
// memory of this process.

#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "network/uploadservices.h"
#include "support/standin.h"
#include "support/uploadservers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr qint64 kSize = 200 * 1048576LL;

long peakRssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    pryx::test::StandIn standIn;
    if (!standIn.start(1 << 20)) {
        std::fprintf(stderr, "stand-in: %s\n", qPrintable(standIn.error()));
        return 1;
    }
    const QString file = pryx::test::makeDataFile(dir.filePath(QStringLiteral("big.bin")), kSize);
    UploadModel model;
    pryx::setServiceHostOverride(pryx::Service::Api, standIn.host());
    pryx::net::services().appTitle = [] { return QStringLiteral("Pryx bench"); };
    pryx::net::services().isAuth = [] { return false; };
    pryx::net::services().uploadModel = [&] { return &model; };
    Setting::instance()->setValue(QStringLiteral("useProxy"), QStringLiteral("false"));
    Setting::instance()->setValue(QStringLiteral("max_post_size"), QString::number(kSize * 2));
    const long rssBefore = peakRssKb();

    NetworkExchange ex;
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&model, &UploadModel::uploadComplete, &loop, [&] { ok = true; loop.quit(); });
    QObject::connect(&ex, &NetworkExchange::error, &loop, [&](QString e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e));
        loop.quit();
    });
    QElapsedTimer t;
    t.start();
    ex.uploadFiles({file});
    loop.exec();
    const double jobSec = t.elapsed() / 1000.0;
    const long rssAfter = peakRssKb();
    if (!ok)
        return 1;

    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedChannels);
    t.restart();
    curl.start(QStringLiteral("curl"),
               {"-sS", "-o", "/dev/null", "--cacert", standIn.caFile(), "-X", "PUT", "-T", file,
                "https://" + standIn.host() + "/upload/drive/v1/files/bench?fields=id"});
    curl.waitForFinished(600000);
    const double curlSec = t.elapsed() / 1000.0;
    if (curl.exitCode() != 0)
        return 1;

    const double mb = kSize / 1048576.0;
    std::printf("upload job: %.2f s, %.1f MB/s\n", jobSec, mb / jobSec);
    std::printf("curl:       %.2f s, %.1f MB/s\n", curlSec, mb / curlSec);
    std::printf("ratio job/curl throughput: %.2f\n", curlSec / jobSec);
    std::printf("peak RSS: %ld kB before the job, %ld kB after\n", rssBefore, rssAfter);
    Setting::instance()->flush();
    return 0;
}
