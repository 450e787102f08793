// Dropbox upload jobs from Core's upload front end to the Dropbox stand-in:
// the shared link reaches the clipboard after the transfer, archives, errors
// that end the job, the fallback to the service, logout and stop
// while the transfer runs.

#include "core/base/setting.h"
#include "core/core.h"
#include "network/dropboxapi.h"
#include "network/dropboxauth.h"
#include "network/handledropboxupload.h"
#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "support/dropboxstandin.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestDropboxJob : public QObject
{
    Q_OBJECT

    pryx::test::DropboxStandin standin_;
    UrlRecorder browser_;
    DropboxAuth *account_ = nullptr;
    NetworkExchange *exchange_ = nullptr;
    QString src_;

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QString source(const QString &name, qint64 size, quint32 seed = 5)
    {
        return pryx::test::makeDataFile(src_ + "/" + name, size, seed);
    }
    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(standin_.start(&error), qPrintable(error));
        qputenv("PRYX_API_HOST", "127.0.0.1:1");   // the service: refused
        QDesktopServices::setUrlHandler("https", &browser_, "open");
        QDesktopServices::setUrlHandler("mailto", &browser_, "open");
        Setting *s = Setting::instance();
        s->setValue("token", "service-account-token");
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        s->setValue("type_upload", "dropbox");
        s->setValue("max_post_size", "1000000000");
        account_ = new DropboxAuth(this);
        QVERIFY(account_->isAuth());
        HandleDropboxUpload::setAccountLookup([this] { return account_; });
        exchange_ = Core::instance()->networkExchange();
        QVERIFY(exchange_);
        src_ = pryx::test::testRoot() + "/src";
        QDir().mkpath(src_);
    }

    void init()
    {
        standin_.setControl({});
        browser_.urls.clear();
        pryx::setDropboxTimeout(60000);
        Setting::instance()->setValue("is_dropbox_error_upload_pryx", "false");
        QGuiApplication::clipboard()->setText("before");
    }

    void cleanup()
    {
        exchange_->stopUploads();
        QVERIFY(QTest::qWaitFor([] { flushDeletes(); return Core::instance()->uploadModel()->rowCount() == 0; }, 20000));
    }

    void captureLinkOnClipboard()
    {
        const QString file = source("capture.png", 250000);
        QSignalSpy links(exchange_, &NetworkExchange::readyLink);
        QSignalSpy after(exchange_, &NetworkExchange::readyLinkAfterUpload);
        QSignalSpy started(exchange_, &NetworkExchange::startUpload);
        QSignalSpy done(Core::instance()->uploadModel(), &UploadModel::uploadComplete);
        exchange_->uploadFile(file, QString(), HandlerUpload::AfterNone);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(after.count(), 1);
        QCOMPARE(started.count(), 1);
        QCOMPARE(links.count(), 0);
        QCOMPARE(after.first().first().toString(), QStringLiteral("https://db.tt/capture.png"));
        QCOMPARE(clipboard(), QStringLiteral("https://db.tt/capture.png"));
        QCOMPARE(Core::instance()->lastLink(), QStringLiteral("https://db.tt/capture.png"));
        QCOMPARE(bytes(standin_.root() + "/capture.png"), bytes(file));
    }

    void zippedBatches_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("zip");
        QTest::newRow("several files") << QStringList{"one.txt", "two.txt"} << false;
        QTest::newRow("zip asked") << QStringList{"only.txt"} << true;
    }

    void zippedBatches()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, zip);
        QStringList files;
        for (const QString &n : names)
            files << source("batch/" + n, 3000 + n.size(), quint32(n.size()));
        QSignalSpy done(Core::instance()->uploadModel(), &UploadModel::uploadComplete);
        if (zip)
            exchange_->uploadDataZip(files);
        else
            exchange_->uploadFiles(files);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        const QString link = clipboard();
        QVERIFY2(link.startsWith("https://db.tt/") && link.endsWith(".zip"), qPrintable(link));
        QuaZip archive(standin_.root() + "/" + QUrl::fromPercentEncoding(link.mid(14).toUtf8()));
        QVERIFY(archive.open(QuaZip::mdUnzip));
        QCOMPARE(archive.getEntriesCount(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(archive.setCurrentFile(names[i]));
            QuaZipFile entry(&archive);
            QVERIFY(entry.open(QIODevice::ReadOnly));
            QCOMPARE(entry.readAll(), bytes(files[i]));
        }
    }

    void errorEndsTheJob_data()
    {
        QTest::addColumn<bool>("fallback");
        QTest::newRow("no fallback") << false;
        QTest::newRow("fallback to the service") << true;
    }

    // The capture's failure comes with its file (to be saved); a Dropbox
    // error followed by the fallback is told first. The job then leaves the
    // list, and the list's end completed nothing.
    void errorEndsTheJob()
    {
        QFETCH(bool, fallback);
        Setting::instance()->setValue("is_dropbox_error_upload_pryx", fallback ? "true" : "false");
        standin_.setControl({{"upload_status", 409}});
        QSignalSpy errors(exchange_, &NetworkExchange::error);
        QSignalSpy notUploaded(exchange_, &NetworkExchange::captureNotUploaded);
        UploadModel *model = Core::instance()->uploadModel();
        QSignalSpy done(model, &UploadModel::uploadComplete);
        const QString file = source("conflict.png", 100);
        exchange_->uploadFile(file, QString(), HandlerUpload::AfterMail);
        QTRY_COMPARE_WITH_TIMEOUT(notUploaded.count(), 1, 20000);
        const QString dropboxError = fallback ? errors.value(0).value(0).toString()
                                              : notUploaded[0][0].toString();
        QVERIFY2(dropboxError.startsWith("DropboxFile: "), qPrintable(dropboxError));
        QCOMPARE(errors.count(), fallback ? 1 : 0);
        if (fallback)
            QCOMPARE(notUploaded[0][0].toString(), QStringLiteral("Connection refused"));
        QCOMPARE(notUploaded[0][1].toString(), file);
        QTRY_COMPARE(done.count(), 1);
        QVERIFY(model->roundEndedWithoutCompletion());
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(clipboard(), QStringLiteral("before"));
        QVERIFY(browser_.urls.isEmpty());
    }

    void notAuthorised()
    {
        Setting *s = Setting::instance();
        s->setValue("drop_box_token_apiv2", QString());
        DropboxAuth none;
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        HandleDropboxUpload::setAccountLookup([&none] { return &none; });
        QSignalSpy notUploaded(exchange_, &NetworkExchange::captureNotUploaded);
        const int uploads = standin_.requests("/2/files/upload").size();
        exchange_->uploadFile(source("na.png", 10), QString(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(notUploaded.count(), 1, 10000);
        HandleDropboxUpload::setAccountLookup([this] { return account_; });
        QCOMPARE(notUploaded.first().first().toString(), QStringLiteral("Dropbox account is not auth"));
        QCOMPARE(standin_.requests("/2/files/upload").size(), uploads);
    }

    void logoutDuringUpload()
    {
        Setting *s = Setting::instance();
        s->setValue("ftp_host", "ftp.example.test");
        s->setValue("ftp_password", "secret");
        standin_.setControl({{"delay", 1}});
        QSignalSpy started(exchange_, &NetworkExchange::startUpload);
        QSignalSpy errors(exchange_, &NetworkExchange::error);
        QSignalSpy done(Core::instance()->uploadModel(), &UploadModel::uploadComplete);
        exchange_->uploadFile(source("logout.bin", 100000), QString(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QTest::qWait(200);
        account_->logout();
        QTRY_VERIFY_WITH_TIMEOUT(done.count() + errors.count() >= 1, 20000);
        QCOMPARE(s->getValue("ftp_host").toString(), QStringLiteral("ftp.example.test"));
        QCOMPARE(s->getValue("ftp_password").toString(), QStringLiteral("secret"));
        QVERIFY(!account_->isAuth());
        // Authorised again for the rest.
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        delete account_;
        account_ = new DropboxAuth(this);
    }

    void stopWhileHanging()
    {
        standin_.setControl({{"hang", 20}});
        QSignalSpy started(exchange_, &NetworkExchange::startUpload);
        QSignalSpy errors(exchange_, &NetworkExchange::error);
        QPointer<HandlerUpload> job;
        exchange_->uploadFile(source("hang.bin", 1000), QString(), 0);
        job = exchange_->jobs().value(0);
        QVERIFY(job);
        QSignalSpy stopped(job.data(), SIGNAL(uploadStoped(HandlerUpload*)));
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QTest::qWait(200);
        QElapsedTimer t;
        t.start();
        exchange_->stopUploads();
        QVERIFY(QTest::qWaitFor([&] { flushDeletes(); return job.isNull(); }, 10000));
        QVERIFY(t.elapsed() < 5000);
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(errors.count(), 0);
    }
};

QTEST_MAIN(TestDropboxJob)
#include "tst_dropboxjob.moc"
