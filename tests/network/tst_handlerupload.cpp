// Upload jobs against the HTTPS stand-in: the capture exchange, several files,
// folders and archives, the error table, cancellation and the share step.
#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/serviceputworker.h"
#include "network/uploadmodel.h"
#include "network/uploadservices.h"
#include "support/standin.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using pryx::test::StandIn;
using pryx::test::StandInRequest;
using pryx::test::TinyProxy;

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// Counts deletions of every job made while it lives.
struct JobWatch {
    QMap<QObject *, int> freed;
    void track(QObject *job)
    {
        freed.insert(job, 0);
        QObject::connect(job, &QObject::destroyed, [this](QObject *o) { freed[o]++; });
    }
    bool allFreedOnce() const
    {
        for (int n : freed)
            if (n != 1)
                return false;
        return true;
    }
};

class TestHandlerUpload : public QObject
{
    Q_OBJECT
    StandIn standIn;
    UrlCatcher catcher;
    UploadModel *model = nullptr;
    QString dir;

    QString makeFile(const QString &name, int size, const QString &in = QString())
    {
        const QString path = (in.isEmpty() ? dir : in) + '/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        QByteArray data(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            data[i] = char(QRandomGenerator::global()->bounded(256));
        f.write(data);
        return path;
    }
    static QByteArray sha(const QByteArray &b)
    {
        return QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex();
    }
    static QByteArray fileSha(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return sha(f.readAll());
    }
    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    QVector<StandInRequest> requestsOf(const QString &method, const QByteArray &prefix)
    {
        QVector<StandInRequest> out;
        for (const auto &r : standIn.requests())
            if (r.method == method && r.path.startsWith(prefix))
                out.append(r);
        return out;
    }
    // Waits until the model has no job (all completed or stopped) or the job failed.
    static bool waitEnd(QSignalSpy &complete, QSignalSpy &errors, QSignalSpy &offline, int ms = 15000)
    {
        return QTest::qWaitFor([&] { return complete.count() + errors.count() + offline.count() > 0; }, ms);
    }

private slots:
    // Settings writes are done before the application object goes.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void initTestCase()
    {
        QVERIFY2(standIn.start(), qPrintable(standIn.error()));
        model = new UploadModel(this);
        pryx::setServiceHostOverride(pryx::Service::Api, standIn.host());
        pryx::net::services().appTitle = [] { return QStringLiteral("Pryx 3.0.48"); };
        pryx::net::services().isAuth = [] { return true; };
        pryx::net::services().token = [] { return QStringLiteral("tok-1"); };
        pryx::net::services().uploadModel = [this] { return model; };
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        dir = QDir::tempPath() + "/up";
        QDir().mkpath(dir);
    }
    void init()
    {
        standIn.setScript({});
        standIn.clearLog();
        catcher.urls.clear();
        pryx::net::services().transferTimeoutMs = 60000;
        Setting::instance()->setValue("useProxy", "false");
        Setting::instance()->setValue("shortLink", "false");
        Setting::instance()->setValue("type_upload", "pryx");
        Setting::instance()->setValue("max_post_size", "1000000000");
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        flushDeletes();
        QCOMPARE(model->rowCount(), 0);
    }

    // One capture, exchange by exchange.
    void captureUpload()
    {
        const QString path = makeFile("capture shot.png", 300000);
        NetworkExchange ex;
        JobWatch watch;
        QStringList seenAtLink;
        QString clipboardAtLink;
        connect(&ex, &NetworkExchange::readyLink, this, [&](const QString &link) {
            QGuiApplication::clipboard()->setText(link);
            clipboardAtLink = QGuiApplication::clipboard()->text();
            for (const auto &r : standIn.requests())
                seenAtLink << r.method;
        });
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        Setting::instance()->setValue("shortLink", "true");
        ex.uploadFile(path, "My \"shot\"", HandlerUpload::AfterTwitter);
        QCOMPARE(ex.jobs().size(), 1);
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QSignalSpy progress(job, &HandlerUpload::uploadProgress);
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(offline.count(), 0);
        QCOMPARE(complete.count(), 1);

        const auto reqs = standIn.requests();
        QCOMPARE(reqs.size(), 2);
        const StandInRequest &create = reqs[0];
        QCOMPARE(create.method, QStringLiteral("POST"));
        QCOMPARE(create.path, QByteArray("/drive/v1/files?fields=id,alternateLink,selfLink&direct=1"));
        QCOMPARE(create.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(create.header("User-agent"), QByteArray("Pryx 3.0.48"));
        QCOMPARE(create.header("Authorization"), QByteArray("Bearer tok-1"));
        QCOMPARE(create.body, QByteArray("{\"description\":\"My \\\"shot\\\"\",\"mimeType\":\"image/vnd.pryx.screenshot\"}"));

        QCOMPARE(links.count(), 1);
        const QString link = links[0][0].toString();
        QCOMPARE(link, QStringLiteral("https://%1/s/%2").arg(standIn.host(), create.created));
        QCOMPARE(clipboardAtLink, link);
        QCOMPARE(seenAtLink, QStringList{"POST"});   // link known before any byte is sent

        const StandInRequest &put = reqs[1];
        QCOMPARE(put.method, QStringLiteral("PUT"));
        QCOMPARE(put.path, "/upload/drive/v1/files/" + create.created.toUtf8() + "?fields=id");
        QCOMPARE(put.header("Content-Disposition"), QByteArray("attachment; filename*=UTF-8'ru'capture%20shot.png"));
        QCOMPARE(put.header("Authorization"), QByteArray("Bearer tok-1"));
        QCOMPARE(put.size, qint64(300000));
        QCOMPARE(put.sha256, fileSha(path));

        QVERIFY(progress.count() >= 1);
        QCOMPARE(progress.last()[0].toLongLong(), 300000ll);
        QCOMPARE(progress.last()[1].toLongLong(), 300000ll);

        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0].toEncoded(),
                 "https://twitter.com/intent/tweet?url=" + QUrl::toPercentEncoding(link));

        QVERIFY(ex.jobs().isEmpty());
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
    }

    // Seven files: five transfers at once, then one more per finished one.
    void sevenFiles()
    {
        QStringList files;
        for (int i = 1; i <= 7; ++i)
            files << makeFile(QStringLiteral("file %1.txt").arg(i), 20000 + i);
        standIn.setScript(QJsonArray{QJsonObject{{"method", "POST"}, {"path", "^/upload/"}, {"delay", 0.4}}});
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        ex.uploadFiles(files);
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QSignalSpy jobComplete(job, SIGNAL(uploadComplete(HandlerUpload*)));
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count() + offline.count(), 0);
        QCOMPARE(jobComplete.count(), 1);

        const auto create = requestsOf("POST", "/drive/v1/files");
        QCOMPARE(create.size(), 1);
        QCOMPARE(create[0].body, QByteArray("{\"mimeType\":\"application/vnd.pryx.folder\"}"));
        const auto posts = requestsOf("POST", "/upload/");
        QCOMPARE(posts.size(), 7);
        int maxInFlight = 0;
        QSet<QByteArray> got;
        for (const auto &p : posts) {
            maxInFlight = qMax(maxInFlight, p.inflight);
            QCOMPARE(p.path, "/upload/drive/v1/files?fields=id&parent=" + create[0].created.toUtf8());
            QCOMPARE(p.header("Content-Type"), QByteArray("application/octet-stream"));
            got.insert(p.header("Content-Disposition") + " " + p.sha256);
        }
        QCOMPARE(maxInFlight, 5);
        for (const QString &f : files)
            QVERIFY(got.contains("attachment; filename=" + QFileInfo(f).fileName().toUtf8() + " " + fileSha(f)));
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
    }

    // A folder is sent file by file; with "-z" as one archive with relative names.
    void folderAndZip()
    {
        const QString photos = dir + "/Photos";
        const QString a = makeFile("2023/a.jpg", 5000, photos);
        const QString b = makeFile("b.txt", 3000, photos);
        QDir().mkpath(photos + "/empty");
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);

        ex.uploadFiles({photos});
        watch.track(ex.jobs().first());
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count() + offline.count(), 0);
        auto posts = requestsOf("POST", "/upload/");
        QCOMPARE(posts.size(), 2);
        QSet<QByteArray> shas{posts[0].sha256, posts[1].sha256};
        QCOMPARE(shas, (QSet<QByteArray>{fileSha(a), fileSha(b)}));

        standIn.clearLog();
        complete.clear();
        ex.uploadDataZip({photos});
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QVERIFY(job->isArchiving() == false);
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count() + offline.count(), 0);
        const auto create = requestsOf("POST", "/drive/v1/files");
        QCOMPARE(create.size(), 1);
        QCOMPARE(create[0].body, QByteArray());   // an archive: no members
        const auto puts = requestsOf("PUT", "/upload/");
        QCOMPARE(puts.size(), 1);
        QVERIFY2(puts[0].header("Content-Disposition").startsWith("attachment; filename*=UTF-8'ru'Photos%20"),
                 puts[0].header("Content-Disposition").constData());
        QVERIFY(puts[0].header("Content-Disposition").endsWith(".zip"));

        const QString got = dir + "/got.zip";
        QFile out(got);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(puts[0].body);
        out.close();
        QuaZip zip(got);
        QVERIFY(zip.open(QuaZip::mdUnzip));
        QStringList names = zip.getFileNameList();
        names.sort();
        QCOMPARE(names, (QStringList{"Photos/", "Photos/2023/", "Photos/2023/a.jpg", "Photos/b.txt", "Photos/empty/"}));
        QVERIFY(zip.setCurrentFile("Photos/2023/a.jpg"));
        QuaZipFile entry(&zip);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(sha(entry.readAll()), fileSha(a));
        entry.close();
        zip.close();
        QProcess unzip;
        unzip.start("unzip", {"-t", got});
        QVERIFY(unzip.waitForFinished(10000));
        QCOMPARE(unzip.exitCode(), 0);
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
    }

    void zipOfFiles()
    {
        const QString a = makeFile("one.txt", 100);
        const QString b = makeFile("two.bin", 200);
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        ex.uploadDataZip({a, b});
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count() + offline.count(), 0);
        const auto puts = requestsOf("PUT", "/upload/");
        QCOMPARE(puts.size(), 1);
        QVERIFY(puts[0].header("Content-Disposition").startsWith("attachment; filename*=UTF-8'ru'up%20"));
        const QString got = dir + "/got.zip";
        QFile out(got);
        out.open(QIODevice::WriteOnly);
        out.write(puts[0].body);
        out.close();
        QuaZip zip(got);
        QVERIFY(zip.open(QuaZip::mdUnzip));
        QStringList names = zip.getFileNameList();
        names.sort();
        QCOMPARE(names, (QStringList{"one.txt", "two.bin"}));
    }

    // Every failure gives its text (a capture's with its file, so that it can
    // be saved) or the offline signal; nothing completes. The failed job
    // leaves the list and is freed; the list's end says nothing completed.
    void errorTable_data()
    {
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");      // empty: internetNotAvailable
        QTest::addColumn<bool>("linked");
        auto create = [](QJsonObject o) { o["method"] = "POST"; o["path"] = "^/drive/v1/files"; return o; };
        auto put = [](QJsonObject o) { o["method"] = "PUT"; o["path"] = "^/upload/"; return o; };
        const int screen = HandlerUpload::UploadScreen, files = HandlerUpload::UploadFiles;
        QTest::newRow("create 400") << create({{"status", 400}}) << files << "Protocol invalid operation" << false;
        QTest::newRow("create 401") << create({{"status", 401}}) << screen << "Authentication required" << false;
        QTest::newRow("create 403") << create({{"status", 403}}) << files << "Content access denied" << false;
        QTest::newRow("create 404") << create({{"status", 404}}) << files << "Content not found" << false;
        QTest::newRow("create 500") << create({{"status", 500}}) << files << "Uncknown error" << false;
        QTest::newRow("create 503") << create({{"status", 503}}) << screen << "Uncknown error" << false;
        QTest::newRow("create closed") << create({{"close", true}}) << files << "" << false;
        QTest::newRow("create timeout") << create({{"hold", "never"}}) << screen << "" << false;
        QTest::newRow("create empty") << create({{"status", 200}, {"body", ""}}) << screen
                                      << "The server sent an invalid reply" << false;
        QTest::newRow("create not json") << create({{"status", 200}, {"body", "<html/>"}}) << files
                                         << "The server sent an invalid reply" << false;
        QTest::newRow("create no id") << create({{"status", 200}, {"body", "{\"alternateLink\":\"https://l\"}"}})
                                      << files << "The server sent an invalid reply" << false;
        QTest::newRow("create no link") << create({{"status", 200}, {"body", "{\"id\":\"x\"}"}})
                                        << files << "The server sent an invalid reply" << false;
        QTest::newRow("create redirect") << create({{"redirect", "https://127.0.0.1:1/elsewhere"}, {"body", ""}})
                                         << files << "The server sent an invalid reply" << false;
        QTest::newRow("put 500") << put({{"status", 500}}) << files << "Uncknown error" << true;
        QTest::newRow("put 413") << put({{"status", 413}}) << screen << "Unknown content" << true;
        QTest::newRow("put closed") << put({{"close", true}}) << files << "" << true;
        QTest::newRow("put timeout") << put({{"hold", "never"}}) << files << "" << true;
    }
    void errorTable()
    {
        QFETCH(QJsonObject, rule);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(bool, linked);
        pryx::net::services().transferTimeoutMs = 700;
        standIn.setScript(QJsonArray{rule});
        const QString path = makeFile("f.png", 1000);
        const bool screen = type == HandlerUpload::UploadScreen;
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy notUploaded(&ex, &NetworkExchange::captureNotUploaded);
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy dropped(&ex, &NetworkExchange::linkDropped);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        if (screen)
            ex.uploadFile(path, QString(), HandlerUpload::AfterMail);
        else
            ex.uploadFiles({path});
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QSignalSpy jobComplete(job, SIGNAL(uploadComplete(HandlerUpload*)));
        QSignalSpy jobFailed(job, SIGNAL(uploadFailed(HandlerUpload*)));
        QVERIFY(QTest::qWaitFor([&] { return complete.count() > 0; }, 15000));
        QTest::qWait(200);
        QCOMPARE(jobComplete.count(), 0);
        QCOMPARE(jobFailed.count(), 1);
        if (text.isEmpty()) {
            QCOMPARE(offline.count(), 1);
            QCOMPARE(offline[0][0].toString(), screen ? path : QString());
            QCOMPARE(errors.count() + notUploaded.count(), 0);
        } else if (screen) {
            QCOMPARE(notUploaded.count(), 1);
            QCOMPARE(notUploaded[0][0].toString(), text);
            QCOMPARE(notUploaded[0][1].toString(), path);
            QCOMPARE(errors.count() + offline.count(), 0);
        } else {
            QCOMPARE(errors.count(), 1);
            QCOMPARE(errors[0][0].toString(), text);
            QCOMPARE(offline.count() + notUploaded.count(), 0);
        }
        QCOMPARE(links.count(), linked ? 1 : 0);
        for (const auto &l : links)
            QVERIFY(!l[0].toString().isEmpty());
        // The link of the failed job is withdrawn.
        QCOMPARE(dropped.count(), linked ? 1 : 0);
        if (linked)
            QCOMPARE(dropped[0][0].toString(), links[0][0].toString());
        if (!linked)
            QVERIFY(requestsOf("PUT", "/upload/").isEmpty());
        QVERIFY(catcher.urls.isEmpty());
        // Gone from both lists, freed once, without a Cancel; the list's end
        // completed nothing.
        QCOMPARE(complete.count(), 1);
        QVERIFY(model->roundEndedWithoutCompletion());
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(ex.jobs().isEmpty());
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
        standIn.release("never");
        standIn.setScript({});
    }

    void connectionRefused()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
        probe.close();
        pryx::setServiceHostOverride(pryx::Service::Api, closed);
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        ex.uploadFiles({makeFile("f.txt", 10)});
        QVERIFY(waitEnd(complete, errors, offline));
        pryx::setServiceHostOverride(pryx::Service::Api, standIn.host());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors[0][0].toString(), QStringLiteral("Connection refused"));
        QCOMPARE(offline.count(), 0);
        QTRY_COMPARE(complete.count(), 1);
        QVERIFY(ex.jobs().isEmpty());
    }

    // One file of several fails: one error, no completion, no more transfers.
    void severalFilesOneFails()
    {
        QStringList files;
        for (int i = 0; i < 7; ++i)
            files << makeFile(QStringLiteral("m%1.txt").arg(i), 1000);
        standIn.setScript(QJsonArray{
            QJsonObject{{"method", "POST"}, {"path", "^/upload/"}, {"status", 500}, {"times", 1}},
            QJsonObject{{"method", "POST"}, {"path", "^/upload/"}, {"delay", 0.3}}});
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        ex.uploadFiles(files);
        HandlerUpload *job = ex.jobs().first();
        QSignalSpy jobComplete(job, SIGNAL(uploadComplete(HandlerUpload*)));
        QVERIFY(waitEnd(complete, errors, offline));
        QTest::qWait(800);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(jobComplete.count(), 0);
        // The list's end comes once, and completed nothing.
        QCOMPARE(complete.count(), 1);
        QVERIFY(model->roundEndedWithoutCompletion());
        QVERIFY(requestsOf("POST", "/upload/").size() <= 5);   // nothing started after the failure
    }

    // Cancel while the transfer waits on the server, over libcurl (no proxy)
    // and over Qt's stack (behind a proxy): the same stop either way, with no
    // error and no share step after it.
    void cancelDuringTransfer_data()
    {
        QTest::addColumn<bool>("viaProxy");
        QTest::newRow("libcurl") << false;
        QTest::newRow("behind a proxy") << true;
    }
    void cancelDuringTransfer()
    {
        QFETCH(bool, viaProxy);
        TinyProxy proxy;
        if (viaProxy) {
            QVERIFY2(proxy.start(), qPrintable(proxy.error()));
            Setting::instance()->setValue("useProxy", "true");
            Setting::instance()->setValue("proxy_host", "127.0.0.1");
            Setting::instance()->setValue("proxy_port", QString::number(proxy.port()));
        }
        standIn.setScript(QJsonArray{QJsonObject{{"method", "PUT"}, {"hold", "cancel"}}});
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        ex.uploadFile(makeFile("c.png", 200000), "d", HandlerUpload::AfterFacebook);
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QSignalSpy stopped(job, SIGNAL(uploadStoped(HandlerUpload*)));
        QVERIFY(links.wait(10000));
        QTest::qWait(200);
        ex.stopUploads();
        QCOMPARE(stopped.count(), 1);
        QVERIFY(ex.jobs().isEmpty());
        standIn.release("cancel");
        QTest::qWait(300);
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
        QCOMPARE(complete.count(), 1);   // the last job gone: the list is over
        QVERIFY(catcher.urls.isEmpty());
        QCOMPARE(errors.count(), 0);
        QCOMPARE(offline.count(), 0);
    }

    // Cancel while the archive task runs: the job is freed after the task ended.
    void cancelDuringArchive()
    {
        const QString big = makeFile("big.bin", 40 << 20);
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        ex.uploadDataZip({big, makeFile("small.txt", 10)});
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        QSignalSpy stopped(job, SIGNAL(uploadStoped(HandlerUpload*)));
        QVERIFY(links.wait(10000));
        QVERIFY(job->isArchiving());
        ex.stopUploads();
        QVERIFY(stopped.count() == 0 || stopped.count() == 1);
        QVERIFY(QTest::qWaitFor([&] { flushDeletes(); return watch.freed.value(job) == 1; }, 10000));
        QCOMPARE(stopped.count(), 1);
        QVERIFY(requestsOf("PUT", "/upload/").isEmpty());
        QVERIFY(QDir(pryx::tmpPath()).entryList({"*.zip"}).isEmpty());
        QVERIFY(watch.allFreedOnce());
    }

    void archiveFailure_data()
    {
        QTest::addColumn<bool>("blockTmp");   // a file where the temporary folder goes
        QTest::newRow("no temporary folder") << true;
        QTest::newRow("entry gone") << false;
    }
    // An archive that cannot be written: one error, no transfer, no archive
    // left; the job leaves the list and is freed.
    void archiveFailure()
    {
        QFETCH(bool, blockTmp);
        QStringList files{makeFile("a.txt", 1000)};
        if (blockTmp) {
            QDir(pryx::tmpPath()).removeRecursively();
            QFile blocker(pryx::dataPath() + "tmp");
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            files << dir + "/gone.txt";
        }
        NetworkExchange ex;
        JobWatch watch;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        ex.uploadDataZip(files);
        QCOMPARE(ex.jobs().size(), 1);
        HandlerUpload *job = ex.jobs().first();
        watch.track(job);
        bool archivingAtError = true;
        connect(job, &HandlerUpload::error, this, [&] { archivingAtError = job->isArchiving(); });
        const bool ended = waitEnd(complete, errors, offline);
        QTest::qWait(300);
        if (blockTmp)
            QFile::remove(pryx::dataPath() + "tmp");
        QVERIFY(ended);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors[0][0].toString(), QStringLiteral("Could not create the archive"));
        QCOMPARE(offline.count(), 0);
        QVERIFY(!archivingAtError);
        QVERIFY(requestsOf("PUT", "/upload/").isEmpty());
        QVERIFY(requestsOf("POST", "/upload/").isEmpty());
        QVERIFY(QDir(pryx::tmpPath()).entryList({"*.zip"}).isEmpty());
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(ex.jobs().isEmpty());
        flushDeletes();
        QVERIFY(watch.allFreedOnce());
    }

    // Cancel just as the worker thread ends (an FTP job without a host ends at
    // once): every job still ends with uploadStoped and is freed. The moment
    // of the cancel is swept across the thread's short life.
    void cancelAsWorkerEnds()
    {
        Setting::instance()->setValue("ftp_host", "");
        Setting::instance()->setValue("is_ftp_error_upload_pryx", "false");
        const QString file = makeFile("w.txt", 10);
        JobWatch watch;
        int stopped = 0;
        QElapsedTimer spin;
        for (int i = 0; i < 3000; ++i) {
            auto *job = new HandlerUpload(HandlerUpload::TargetFtp, nullptr);
            watch.track(job);
            connect(job, &HandlerUpload::uploadStoped, this, [&stopped] { ++stopped; });
            job->uploadData({file}, HandlerUpload::AfterNone, HandlerUpload::UploadFiles);
            const qint64 waitNs = (i % 300) * 500;   // 0 to 150 us
            spin.start();
            while (spin.nsecsElapsed() < waitNs) {
            }
            job->stopUpload();
            QDeadlineTimer deadline(5000);
            while (watch.freed.value(job) == 0 && !deadline.hasExpired()) {
                flushDeletes();
                QThread::usleep(20);
            }
            QVERIFY2(watch.freed.value(job) == 1, qPrintable(QStringLiteral("job %1 never ended").arg(i)));
        }
        QCOMPARE(stopped, 3000);
        QVERIFY(watch.allFreedOnce());
    }

    // The owner going away while an archive is written waits for the task.
    void destroyDuringArchive()
    {
        const QString big = makeFile("big2.bin", 30 << 20);
        auto *ex = new NetworkExchange;
        QSignalSpy links(ex, &NetworkExchange::readyLink);
        ex->uploadDataZip({big});
        QVERIFY(links.wait(10000));
        HandlerUpload *job = ex->jobs().first();
        QVERIFY(job->isArchiving());
        delete ex;   // must not leave the task writing into a freed job
        QCoreApplication::processEvents();
        model->removeItem(job);   // the model's entry of the freed job (pointer only)
    }

    void shareUrls_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QByteArray>("url");
        const QByteArray l = "https%3A%2F%2Fx.io%2Fs%2Fa%3Fb%3D1%26c%3D2";
        QTest::newRow("facebook") << 1 << "https://www.facebook.com/sharer/sharer.php?src=pluso&u=" + l;
        QTest::newRow("ok") << 2 << "https://connect.ok.ru/dk?st.cmd=addShare&st._surl=" + l;
        QTest::newRow("vk") << 3 << "https://vk.com/share.php?url=" + l;
        QTest::newRow("twitter") << 4 << "https://twitter.com/intent/tweet?url=" + l;
        QTest::newRow("mail") << 5 << "mailto:?body=" + l;
        QTest::newRow("none") << 0 << QByteArray();
        QTest::newRow("other") << 9 << QByteArray();
    }
    void shareUrls()
    {
        QFETCH(int, action);
        QFETCH(QByteArray, url);
        QCOMPARE(HandlerUpload::shareUrl(action, "https://x.io/s/a?b=1&c=2").toEncoded(), url);
    }

    void mailAfterUpload()
    {
        standIn.setScript(QJsonArray{QJsonObject{{"method", "POST"}, {"path", "^/drive/"},
            {"body", "{\"id\":\"q1\",\"alternateLink\":\"https://x.io/s?a=1&b=2\"}"}}});
        NetworkExchange ex;
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        ex.uploadFile(makeFile("m.png", 10), "", HandlerUpload::AfterMail);
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0].toEncoded(), QByteArray("mailto:?body=https%3A%2F%2Fx.io%2Fs%3Fa%3D1%26b%3D2"));
        QCOMPARE(requestsOf("POST", "/drive/")[0].body,
                 QByteArray("{\"description\":\"\",\"mimeType\":\"image/vnd.pryx.screenshot\"}"));
    }

    void createBody_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("archive");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("one user file") << QString() << 1 << false << 1 << QByteArray();
        QTest::newRow("several") << QString() << 3 << false << 1 << QByteArray("{\"mimeType\":\"application/vnd.pryx.folder\"}");
        QTest::newRow("archive") << QString() << 3 << true << 1 << QByteArray();
        QTest::newRow("capture") << QString("shot") << 1 << false << 0
                                 << QByteArray("{\"description\":\"shot\",\"mimeType\":\"image/vnd.pryx.screenshot\"}");
        QTest::newRow("escaped") << QString("a\\b\n\x01") << 1 << false << 0
                                 << QByteArray("{\"description\":\"a\\\\b\\n\\u0001\",\"mimeType\":\"image/vnd.pryx.screenshot\"}");
        QTest::newRow("utf8") << QString::fromUtf8("снимок") << 1 << false << 0
                              << QByteArray("{\"description\":\"снимок\",\"mimeType\":\"image/vnd.pryx.screenshot\"}");
    }
    void createBody()
    {
        QFETCH(QString, description);
        QFETCH(int, count);
        QFETCH(bool, archive);
        QFETCH(int, type);
        QFETCH(QByteArray, body);
        const QByteArray got = HandlerUpload::createBody(description, count, archive, HandlerUpload::TypeUpload(type));
        QCOMPARE(got, body);
        if (!got.isEmpty())
            QVERIFY(QJsonDocument::fromJson(got).isObject());
    }

    void dispositions()
    {
        QCOMPARE(HandlerUpload::singleFileDisposition(QString::fromUtf8("a b~é.png")),
                 QByteArray("attachment; filename*=UTF-8'ru'a%20b~%C3%A9.png"));
        QCOMPARE(HandlerUpload::severalFilesDisposition("a b.png"), QByteArray("attachment; filename=a b.png"));
        const QByteArray evil = HandlerUpload::severalFilesDisposition("x\r\nX-Evil: 1.png");
        QVERIFY(!evil.contains('\r') && !evil.contains('\n'));
        QCOMPARE(evil, QByteArray("attachment; filename*=UTF-8'ru'x%0D%0AX-Evil%3A%201.png"));
    }

    void controlCharsInFileName()
    {
        const QString a = makeFile("new\nline.txt", 10);
        const QString b = makeFile("plain.txt", 10);
        NetworkExchange ex;
        QSignalSpy complete(model, &UploadModel::uploadComplete);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
        ex.uploadFiles({a, b});
        QVERIFY(waitEnd(complete, errors, offline));
        QCOMPARE(errors.count(), 0);
        QSet<QByteArray> cd;
        for (const auto &p : requestsOf("POST", "/upload/"))
            cd.insert(p.header("Content-Disposition"));
        QCOMPARE(cd, (QSet<QByteArray>{"attachment; filename*=UTF-8'ru'new%0Aline.txt", "attachment; filename=plain.txt"}));
    }

    // The one-file transfer goes through libcurl when no proxy is set and
    // through Qt's stack behind a proxy: the same request either way (method,
    // path, the program's headers, body bytes), progress up to the whole
    // file, and the same end.
    void transferSameThroughCurlAndQt()
    {
        const QString path = makeFile("same request.png", 3 << 20);
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.error()));
        QList<StandInRequest> puts;
        for (const bool viaProxy : {false, true}) {
            standIn.clearLog();
            Setting::instance()->setValue("useProxy", viaProxy ? "true" : "false");
            Setting::instance()->setValue("proxy_host", "127.0.0.1");
            Setting::instance()->setValue("proxy_port", QString::number(proxy.port()));
            NetworkExchange ex;
            QSignalSpy complete(model, &UploadModel::uploadComplete);
            QSignalSpy errors(&ex, &NetworkExchange::error);
            QSignalSpy offline(&ex, &NetworkExchange::internetNotAvailable);
            ex.uploadFile(path, "d", HandlerUpload::AfterNone);
            HandlerUpload *job = ex.jobs().first();
            QSignalSpy progress(job, &HandlerUpload::uploadProgress);
            QVERIFY(waitEnd(complete, errors, offline, 30000));
            QCOMPARE(errors.count(), 0);
            QCOMPARE(offline.count(), 0);
            QVERIFY(progress.count() >= 1);
            qint64 last = 0;
            for (const QList<QVariant> &p : progress) {
                QVERIFY(p[0].toLongLong() >= last);
                last = p[0].toLongLong();
                QCOMPARE(p[1].toLongLong(), qint64(3 << 20));
            }
            QCOMPARE(last, qint64(3 << 20));
            const auto got = requestsOf("PUT", "/upload/");
            QCOMPARE(got.size(), 1);
            puts << got.first();
            flushDeletes();
        }
        QVERIFY2(proxy.logText().contains("CONNECT"), qPrintable(proxy.logText()));
        const StandInRequest &curl = puts[0], &qt = puts[1];
        QCOMPARE(curl.method, qt.method);
        const QRegularExpression shape("^/upload/drive/v1/files/[^/?]+\\?fields=id$");
        QVERIFY2(shape.match(QString::fromLatin1(curl.path)).hasMatch(), curl.path.constData());
        QVERIFY2(shape.match(QString::fromLatin1(qt.path)).hasMatch(), qt.path.constData());
        for (const QByteArray name : {"User-agent", "Authorization", "Content-Disposition", "Content-Type",
                                      "Content-Length", "Host", "Expect", "Transfer-Encoding"}) {
            QCOMPARE(curl.hasHeader(name), qt.hasHeader(name));
            QCOMPARE(curl.header(name), qt.header(name));
        }
        QCOMPARE(curl.header("Authorization"), QByteArray("Bearer tok-1"));
        QCOMPARE(curl.header("Content-Disposition"),
                 QByteArray("attachment; filename*=UTF-8'ru'same%20request.png"));
        QCOMPARE(curl.size, qint64(3 << 20));
        QCOMPARE(curl.sha256, fileSha(path));
        QCOMPARE(qt.sha256, fileSha(path));
    }

    // The curl transfer verifies the server: with only another authority
    // trusted the handshake fails; a closed port is a refused connection;
    // a trusted server gets the bytes.
    void curlTransferVerifiesAndReports_data()
    {
        QTest::addColumn<bool>("ownAuthority");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<int>("code");
        QTest::newRow("trusted") << true << false << int(QNetworkReply::NoError);
        QTest::newRow("other authority") << false << false << int(QNetworkReply::SslHandshakeFailedError);
        QTest::newRow("closed port") << true << true << int(QNetworkReply::ConnectionRefusedError);
    }
    void curlTransferVerifiesAndReports()
    {
        QFETCH(bool, ownAuthority);
        QFETCH(bool, closedPort);
        QFETCH(int, code);
        StandIn other;
        if (!ownAuthority)
            QVERIFY2(other.start(), qPrintable(other.error()));
        QFile ca(ownAuthority ? standIn.caFile() : other.caFile());
        QVERIFY(ca.open(QIODevice::ReadOnly));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 closedPortNumber = closed.serverPort();
        closed.close();
        ServicePutWorker::Request r;
        r.url = closedPort ? "https://127.0.0.1:" + QByteArray::number(closedPortNumber) + "/upload/x"
                           : "https://" + standIn.host().toLatin1() + "/upload/drive/v1/files/x?fields=id";
        r.headers = {{"User-agent", "Pryx 3.0.48"}};
        r.file = makeFile("v.bin", 5000);
        r.caPem = ca.readAll();
        ServicePutWorker w(r);
        QSignalSpy ended(&w, &ServicePutWorker::transferEnded);
        w.startJob({r.file}, false, 0);
        QVERIFY(ended.wait(15000));
        QCOMPARE(ended[0][0].toInt(), code);
        const auto got = requestsOf("PUT", "/upload/");
        QCOMPARE(got.size(), code == QNetworkReply::NoError ? 1 : 0);
        if (code == QNetworkReply::NoError) {
            QCOMPARE(ended[0][1].toInt(), 200);
            QCOMPARE(got.first().sha256, fileSha(r.file));
        }
    }

    void proxyPortInvalid()
    {
        Setting::instance()->setValue("useProxy", "true");
        Setting::instance()->setValue("proxy_host", "127.0.0.1");
        Setting::instance()->setValue("proxy_port", "70000");
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        ex.uploadFiles({makeFile("p.txt", 10)});
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors[0][0].toString(), QStringLiteral("Proxy port must be a number from 1 to 65535"));
        QTest::qWait(200);
        QVERIFY(standIn.requests().isEmpty());
        ex.stopUploads();
    }

    void progressKeepsLargest()
    {
        HandlerUpload job(HandlerUpload::TargetService, nullptr);
        QSignalSpy p(&job, &HandlerUpload::uploadProgress);
        job.uploadProg(50, 100);
        job.uploadProg(20, 80);
        QCOMPARE(job.uploadedSize(), 50);
        QCOMPARE(job.totalSize(), 100);
        job.setArchiveProgress(7, 100);
        QCOMPARE(job.uploadedSize(), 7);
        QCOMPARE(p.count(), 3);
        model->removeItem(&job);
        job.disconnect();
        QCoreApplication::removePostedEvents(&job, QEvent::DeferredDelete);
    }

    void errorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "Connection refused";
        QTest::newRow("6") << 6 << "Ssl handshake failed";
        QTest::newRow("8") << 8 << "Uncknown error";
        QTest::newRow("99") << 99 << "Unknown network";
        QTest::newRow("105") << 105 << "Proxy authentication required";
        QTest::newRow("206") << 206 << "Uncknown error";
        QTest::newRow("399") << 399 << "ProtocolFailure";
        QTest::newRow("401") << 401 << "Uncknown error";
    }
    void errorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(HandlerUpload::errorText(code), text);
    }

    void serverParams_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QVariant>("port");
        QTest::addColumn<int>("expected");
        QTest::newRow("ftp unset") << int(HandlerUpload::TargetFtp) << QVariant() << 21;
        QTest::newRow("sftp 0") << int(HandlerUpload::TargetSftp) << QVariant("0") << 22;
        QTest::newRow("sftp 2222") << int(HandlerUpload::TargetSftp) << QVariant("2222") << 2222;
        QTest::newRow("ftp 2121") << int(HandlerUpload::TargetFtp) << QVariant("2121") << 2121;
    }
    void serverParams()
    {
        QFETCH(int, target);
        QFETCH(QVariant, port);
        QFETCH(int, expected);
        Setting::instance()->setValue("ftp_port", port);
        Setting::instance()->setValue("sftp_port", port);
        Setting::instance()->setValue("ftp_host", "h1");
        Setting::instance()->setValue("sftp_host", "h2");
        const auto p = HandlerUpload::serverParams(HandlerUpload::TargetUpload(target));
        QCOMPARE(p.port, expected);
        QCOMPARE(p.host, QString(target == HandlerUpload::TargetFtp ? "h1" : "h2"));
    }
};

QTEST_MAIN(TestHandlerUpload)
#include "tst_handlerupload.moc"
