// 200 MB to the HTTPS stand-in on 127.0.0.1: one upload job against the curl
// command line sending the same file to the same stand-in, with the peak
// memory of this process.

#include "bench/benchsupport.h"
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
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kSize = 200 * 1048576LL;

long peakRssKb() { return pryx::bench::statusKb("VmHWM:"); }

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
    // One upload job, from the call to its end (create request and transfer).
    auto runJob = [&]() -> double {
        QEventLoop loop;
        bool ok = false;
        QMetaObject::Connection c1 =
            QObject::connect(&model, &UploadModel::uploadComplete, &loop, [&] { ok = true; loop.quit(); });
        QMetaObject::Connection c2 = QObject::connect(&ex, &NetworkExchange::error, &loop, [&](QString e) {
            std::fprintf(stderr, "error: %s\n", qPrintable(e));
            loop.quit();
        });
        QElapsedTimer t;
        t.start();
        ex.uploadFiles({file});
        loop.exec();
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        return ok ? t.elapsed() / 1000.0 : -1;
    };
    auto runCurl = [&]() -> double {
        QProcess curl;
        curl.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer t;
        t.start();
        curl.start(QStringLiteral("curl"),
                   {"-sS", "-o", "/dev/null", "--cacert", standIn.caFile(), "-X", "PUT", "-T", file,
                    "https://" + standIn.host() + "/upload/drive/v1/files/bench?fields=id"});
        curl.waitForFinished(600000);
        return curl.exitCode() == 0 ? t.elapsed() / 1000.0 : -1;
    };

    const int rounds = 5;
    std::vector<double> ratios, jobs, curls;
    const double mb = kSize / 1048576.0;
    for (int r = 0; r < rounds; ++r) {
        // The order turns each round.
        double job = 0, cu = 0;
        if (r % 2 == 0) {
            job = runJob();
            cu = runCurl();
        } else {
            cu = runCurl();
            job = runJob();
        }
        if (job <= 0 || cu <= 0)
            return 1;
        jobs.push_back(mb / job);
        curls.push_back(mb / cu);
        ratios.push_back(cu / job);
        std::printf("round %d: job %.1f MB/s, curl %.1f MB/s\n", r + 1, mb / job, mb / cu);
        std::fflush(stdout);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const long rssAfter = peakRssKb();
    std::printf("upload job: median %.1f MB/s\n", median(jobs));
    std::printf("curl:       median %.1f MB/s\n", median(curls));
    std::printf("median ratio job/curl throughput: %.2f (target at least 0.9)\n", median(ratios));
    std::printf("peak RSS: %ld kB before the jobs, %ld kB after %d jobs of %.0f MB\n", rssBefore, rssAfter,
                rounds, mb);
    Setting::instance()->flush();
    return 0;
}
