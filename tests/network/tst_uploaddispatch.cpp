// The front end's target choice and size check, FTP and SFTP jobs through the
// front end against real servers, a Dropbox job without an account, and the upload list
// model as QML reads it.
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "network/handledropboxupload.h"
#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/uploadarchive.h"
#include "network/uploadmodel.h"
#include "network/uploadservices.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"

#include <QCryptographicHash>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QtTest>

class TestUploadDispatch : public QObject
{
    Q_OBJECT
    pryx::test::ScriptServer ftp_;
    pryx::test::ScriptServer sftp_;
    pryx::test::StandIn service_;
    QString ftpRoot_, sftpRoot_, src_;
    UploadModel *model_ = nullptr;
    QStringList shownErrors_;

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        const QString root = pryx::test::testRoot();
        ftpRoot_ = root + "/ftproot";
        sftpRoot_ = root + "/sftproot";
        src_ = root + "/src";
        QDir().mkpath(src_);
        QString err;
        pryx::test::FtpServerOptions fo;
        fo.root = ftpRoot_;
        QVERIFY2(pryx::test::startFtpServer(ftp_, fo, &err), qPrintable(err));
        pryx::test::SftpServerOptions so;
        so.root = sftpRoot_;
        so.hostKey = root + "/sftp_host_key";
        QVERIFY2(pryx::test::startSftpServer(sftp_, so, &err), qPrintable(err));
        QVERIFY2(service_.start(), qPrintable(service_.error()));
        pryx::net::services().isAuth = [] { return true; };
        pryx::net::services().token = [] { return QStringLiteral("tok-1"); };
        model_ = new UploadModel(this);
        pryx::net::services().uploadModel = [this] { return model_; };
        pryx::net::services().showError = [this](const QString &t) { shownErrors_ << t; };
        pryx::net::services().appTitle = [] { return QStringLiteral("Pryx test"); };
        pryx::setServiceHostOverride(pryx::Service::Api, QStringLiteral("127.0.0.1:1"));
        Setting *s = Setting::instance();
        s->setValue("token", "tok");   // the key of the encrypted logins
        s->setValue("ftp_user", "tester", true);
        s->setValue("ftp_password", "secret", true);
        s->setValue("ftp_host", "127.0.0.1");
        s->setValue("ftp_port", QString::number(ftp_.port()));
        s->setValue("ftp_base_url", "http://example.org/f");
        s->setValue("sftp_user", "tester", true);
        s->setValue("sftp_password", "secret", true);
        s->setValue("sftp_host", "127.0.0.1");
        s->setValue("sftp_port", QString::number(sftp_.port()));
        s->setValue("sftp_base_url", "http://example.org/s");
    }
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void init()
    {
        shownErrors_.clear();
        Setting::instance()->setValue("is_ftp_error_upload_pryx", "false");
        Setting::instance()->setValue("is_dropbox_error_upload_pryx", "false");
        Setting::instance()->setValue("max_post_size", "1000000000");
    }
    void cleanup()
    {
        flushDeletes();
        QCOMPARE(model_->rowCount(), 0);
    }

    void target_data()
    {
        QTest::addColumn<QVariant>("type");
        QTest::addColumn<QVariant>("sftp");
        QTest::addColumn<int>("target");
        QTest::newRow("pryx") << QVariant("pryx") << QVariant() << int(HandlerUpload::TargetService);
        QTest::newRow("ftp") << QVariant("ftp") << QVariant("false") << int(HandlerUpload::TargetFtp);
        QTest::newRow("ftp sftp") << QVariant("ftp") << QVariant("true") << int(HandlerUpload::TargetSftp);
        QTest::newRow("ftp sftp 1") << QVariant("ftp") << QVariant("1") << int(HandlerUpload::TargetSftp);
        QTest::newRow("FTP") << QVariant("FTP") << QVariant("true") << int(HandlerUpload::TargetService);
        QTest::newRow("dropbox") << QVariant("dropbox") << QVariant() << int(HandlerUpload::TargetDropbox);
        QTest::newRow("google") << QVariant("google") << QVariant() << int(HandlerUpload::TargetGoogle);
        QTest::newRow("other") << QVariant("box") << QVariant() << int(HandlerUpload::TargetService);
        QTest::newRow("unset") << QVariant() << QVariant() << int(HandlerUpload::TargetService);
    }
    void target()
    {
        QFETCH(QVariant, type);
        QFETCH(QVariant, sftp);
        QFETCH(int, target);
        Setting::instance()->setValue("type_upload", type);
        Setting::instance()->setValue("is_sftp", sftp);
        NetworkExchange ex;
        QCOMPARE(int(ex.typeUpload()), target);
    }

    void sizeCheck_data()
    {
        QTest::addColumn<QVariant>("limit");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("text");
        QTest::newRow("unset") << QVariant() << false << "Max upload total size 0mb";
        QTest::newRow("exact") << QVariant("3000") << true << "";
        QTest::newRow("one byte less") << QVariant("2999") << false << "Max upload total size 0mb";
        QTest::newRow("1.5 mb limit") << QVariant("1572864") << true << "";
    }
    // A folder of 1000 + 2000 bytes, a subfolder and a link loop.
    void sizeCheck()
    {
        QFETCH(QVariant, limit);
        QFETCH(bool, passes);
        QFETCH(QString, text);
        const QString d = src_ + "/sized";
        QDir(d).removeRecursively();
        pryx::test::makeDataFile(d + "/a.bin", 1000);
        pryx::test::makeDataFile(d + "/sub/b.bin", 2000);
        QFile::link(d, d + "/sub/loop");
        Setting::instance()->setValue("max_post_size", limit);
        NetworkExchange ex;
        QCOMPARE(ex.checkUploadSize({d}), passes);
        QCOMPARE(shownErrors_, text.isEmpty() ? QStringList() : QStringList{text});
    }

    void sizeMessageWholeMegabytes()
    {
        Setting::instance()->setValue("max_post_size", "1572864");
        const QString f = pryx::test::makeDataFile(src_ + "/two.bin", 2 * 1048576);
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        ex.uploadFiles({f});
        QCOMPARE(shownErrors_, QStringList{"Max upload total size 1mb"});
        QVERIFY(ex.jobs().isEmpty());       // a refused batch makes no job
        QCOMPARE(model_->rowCount(), 0);
        QCOMPARE(errors.count(), 0);
    }

    void emptyFolderIsAnError()
    {
        QDir().mkpath(src_ + "/nothing/inside");
        Setting::instance()->setValue("type_upload", "pryx");
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        ex.uploadFiles({src_ + "/nothing"});
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors[0][0].toString(), QStringLiteral("There are no files to upload"));
        ex.stopUploads();
    }

    void serverJob_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<bool>("zip");
        QTest::newRow("ftp") << false << false;
        QTest::newRow("sftp") << true << false;
        QTest::newRow("ftp zip") << false << true;
        QTest::newRow("sftp zip") << true << true;
    }
    // Through the front end: link relayed before the end, bytes on the server,
    // one completion, the job freed once.
    void serverJob()
    {
        QFETCH(bool, sftp);
        QFETCH(bool, zip);
        Setting::instance()->setValue("type_upload", "ftp");
        Setting::instance()->setValue("is_sftp", sftp ? "true" : "false");
        const QString root = sftp ? sftpRoot_ : ftpRoot_;
        const QString folder = QStringLiteral("in%1%2").arg(sftp).arg(zip);
        QDir(root).mkpath(folder);
        Setting::instance()->setValue(sftp ? "sftp_path" : "ftp_path", folder);
        const QString file = pryx::test::makeDataFile(src_ + "/job/shot one.png", 70000, 7);
        NetworkExchange ex;
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy complete(model_, &UploadModel::uploadComplete);
        if (zip)
            ex.uploadDataZip({file});
        else
            ex.uploadFiles({file});
        QCOMPARE(ex.jobs().size(), 1);
        QPointer<HandlerUpload> job = ex.jobs().first();
        QCOMPARE(int(job->target()), int(sftp ? HandlerUpload::TargetSftp : HandlerUpload::TargetFtp));
        QVERIFY(QTest::qWaitFor([&] { return complete.count() + errors.count() > 0; }, 30000));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(links.count(), 1);
        const QStringList sent = QDir(root + "/" + folder).entryList(QDir::Files);
        QCOMPARE(sent.size(), 1);
        if (zip) {
            // "shot one <stamp>.zip", or "job_N <stamp>.zip" when the first is taken.
            QVERIFY2(sent.first().endsWith(".zip"), qPrintable(sent.first()));
            QProcess unzip;
            unzip.start("unzip", {"-Z1", root + "/" + folder + "/" + sent.first()});
            QVERIFY(unzip.waitForFinished(10000));
            QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).trimmed(), QStringLiteral("shot one.png"));
        } else {
            QCOMPARE(sent.first(), QStringLiteral("shot one.png"));
            QFile a(file), b(root + "/" + folder + "/" + sent.first());
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QVERIFY(a.readAll() == b.readAll());
        }
        QVERIFY(links[0][0].toString().startsWith(sftp ? "http://example.org/s/" : "http://example.org/f/"));
        QVERIFY(ex.jobs().isEmpty());
        flushDeletes();
        QVERIFY(job.isNull());
    }

    // A worker error is relayed once; the failed job leaves the list (whose
    // end completed nothing) and is freed once its thread has ended.
    void serverJobError()
    {
        Setting::instance()->setValue("type_upload", "ftp");
        Setting::instance()->setValue("is_sftp", "false");
        Setting::instance()->setValue("ftp_password", "wrong", true);
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy complete(model_, &UploadModel::uploadComplete);
        ex.uploadFiles({pryx::test::makeDataFile(src_ + "/e.bin", 10)});
        QPointer<HandlerUpload> job = ex.jobs().first();
        QVERIFY(errors.wait(30000));
        QTest::qWait(200);
        Setting::instance()->setValue("ftp_password", "secret", true);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(complete.count(), 1);
        QVERIFY(model_->roundEndedWithoutCompletion());
        QCOMPARE(model_->rowCount(), 0);
        QVERIFY(ex.jobs().isEmpty());
        QVERIFY(QTest::qWaitFor([&] { flushDeletes(); return job.isNull(); }, 10000));
    }

    void ftpFallback_data()
    {
        QTest::addColumn<bool>("fallback");
        QTest::newRow("fallback") << true;
        QTest::newRow("no fallback") << false;
    }
    // A failed FTP job goes to the web service when the setting asks for it:
    // the same job creates the file there and sends it; otherwise the service
    // hears nothing.
    void ftpFallback()
    {
        QFETCH(bool, fallback);
        Setting::instance()->setValue("type_upload", "ftp");
        Setting::instance()->setValue("is_sftp", "false");
        Setting::instance()->setValue("ftp_path", "");
        Setting::instance()->setValue("ftp_password", "wrong", true);
        Setting::instance()->setValue("is_ftp_error_upload_pryx", fallback ? "true" : "false");
        pryx::setServiceHostOverride(pryx::Service::Api, service_.host());
        service_.clearLog();
        const QString file = pryx::test::makeDataFile(src_ + "/fallback.bin", 5000, 9);
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy complete(model_, &UploadModel::uploadComplete);
        ex.uploadFiles({file});
        QPointer<HandlerUpload> job = ex.jobs().first();
        const bool failed = errors.wait(30000);
        bool settled = true;
        if (fallback)
            settled = QTest::qWaitFor([&] { return complete.count() > 0; }, 15000);
        else
            QTest::qWait(1000);
        pryx::setServiceHostOverride(pryx::Service::Api, QStringLiteral("127.0.0.1:1"));
        Setting::instance()->setValue("ftp_password", "secret", true);
        QVERIFY(failed);
        QVERIFY(settled);
        QCOMPARE(errors.count(), 1);
        QVERIFY2(errors[0][0].toString().startsWith("FTP upload failed: "),
                 qPrintable(errors[0][0].toString()));
        const auto requests = service_.requests();
        if (fallback) {
            QCOMPARE(requests.size(), 2);
            QCOMPARE(requests[0].method, QStringLiteral("POST"));
            QVERIFY2(requests[0].path.startsWith("/drive/v1/files"), requests[0].path.constData());
            QCOMPARE(requests[1].method, QStringLiteral("PUT"));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(requests[1].sha256, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
            QCOMPARE(complete.count(), 1);
            QVERIFY(links.last()[0].toString().startsWith("https://" + service_.host() + "/"));
            flushDeletes();
            QVERIFY(job.isNull());
        } else {
            QVERIFY(requests.isEmpty());
            QCOMPARE(complete.count(), 1);
            QVERIFY(model_->roundEndedWithoutCompletion());
            QCOMPARE(model_->rowCount(), 0);
            QVERIFY(ex.jobs().isEmpty());
        }
    }

    // Cancel while the worker thread runs: freed only after the thread ended.
    void cancelServerJob()
    {
        Setting::instance()->setValue("type_upload", "ftp");
        Setting::instance()->setValue("is_sftp", "false");
        Setting::instance()->setValue("ftp_path", "");
        NetworkExchange ex;
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy errors(&ex, &NetworkExchange::error);
        ex.uploadDataZip({pryx::test::makeDataFile(src_ + "/big.bin", 30 << 20)});
        QPointer<HandlerUpload> job = ex.jobs().first();
        QSignalSpy stopped(job.data(), SIGNAL(uploadStoped(HandlerUpload*)));
        QVERIFY(links.wait(10000));
        ex.stopUploads();
        QVERIFY(QTest::qWaitFor([&] { flushDeletes(); return job.isNull(); }, 20000));
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(errors.count(), 0);
    }

    void dropboxIsAnError_data()
    {
        QTest::addColumn<bool>("fallback");
        QTest::newRow("no fallback") << false;
        QTest::newRow("fallback") << true;
    }
    // A Dropbox job without a Dropbox account: an error, never a success;
    // with the fallback setting the job goes to the service (refused here).
    void dropboxIsAnError()
    {
        QFETCH(bool, fallback);
        HandleDropboxUpload::setAccountLookup([] { return static_cast<DropboxAuth *>(nullptr); });
        Setting::instance()->setValue("type_upload", "dropbox");
        Setting::instance()->setValue("is_dropbox_error_upload_pryx", fallback ? "true" : "false");
        NetworkExchange ex;
        QSignalSpy errors(&ex, &NetworkExchange::error);
        QSignalSpy links(&ex, &NetworkExchange::readyLink);
        QSignalSpy complete(model_, &UploadModel::uploadComplete);
        ex.uploadFiles({pryx::test::makeDataFile(src_ + "/d.bin", 10)});
        QTRY_VERIFY(errors.count() >= 1);
        QCOMPARE(errors[0][0].toString(), QStringLiteral("Dropbox account is not auth"));
        if (fallback) {
            QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 2, 10000);
            QCOMPARE(errors[1][0].toString(), QStringLiteral("Connection refused"));
        }
        QTest::qWait(100);
        QCOMPARE(links.count(), 0);
        // Over, and nothing completed.
        QCOMPARE(complete.count(), 1);
        QVERIFY(model_->roundEndedWithoutCompletion());
        QVERIFY(ex.jobs().isEmpty());
    }

    // Rows and role names as a QML delegate reads them.
    void modelInQml()
    {
        UploadModel model;
        HandlerUpload a(HandlerUpload::TargetService, nullptr), b(HandlerUpload::TargetService, nullptr);
        QSignalSpy count(&model, &UploadModel::countItemChanged);
        QSignalSpy done(&model, &UploadModel::uploadComplete);
        model.addItem(&a);
        model.addItem(&b);
        a.setArchiveProgress(40, 100);
        b.uploadProg(7, 9);
        a.setArchiveChange(true);
        QQmlEngine engine;
        engine.rootContext()->setContextProperty("upModel", &model);
        QQmlComponent c(&engine);
        c.setData("import QtQuick 2.0\nItem { property var rows: []\n"
                  "Repeater { model: upModel; Item { Component.onCompleted: rows.push([download, total, archive, uploader !== null]) } } }",
                  QUrl());
        QScopedPointer<QObject> root(c.create());
        QVERIFY2(root, qPrintable(c.errorString()));
        const QVariantList rows = root->property("rows").toList();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].toList(), (QVariantList{40, 100, true, true}));
        QCOMPARE(rows[1].toList(), (QVariantList{7, 9, false, true}));
        QCOMPARE(model.data(model.index(1), UploadModel::UploaderRole).value<HandlerUpload *>(), &b);
        QVERIFY(!model.data(model.index(2), UploadModel::DownloadRole).isValid());
        QVERIFY(!model.data(model.index(0), 4).isValid());
        QCOMPARE(count.count(), 2);
        model.removeItem(&a);
        QCOMPARE(count.count(), 3);
        QCOMPARE(done.count(), 0);
        model.removeItem(&a);          // not listed: nothing changes
        QCOMPARE(count.count(), 3);
        model.removeItem(&b);
        QCOMPARE(done.count(), 1);
        QCOMPARE(model.rowCount(), 0);
        // The stack objects are not freed by the deferred deletions asked for.
        QCoreApplication::removePostedEvents(&a, QEvent::DeferredDelete);
        QCoreApplication::removePostedEvents(&b, QEvent::DeferredDelete);
        model_->removeItem(&a);
        model_->removeItem(&b);
        QCoreApplication::removePostedEvents(&a, QEvent::DeferredDelete);
        QCoreApplication::removePostedEvents(&b, QEvent::DeferredDelete);
    }

    void archiveNames()
    {
        const QString tmp = src_ + "/tmpzip";
        const QString shots = src_ + "/Shots";
        const QString f = pryx::test::makeDataFile(shots + "/report.final.txt", 10);
        const QString g = pryx::test::makeDataFile(shots + "/other.txt", 10);
        const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(archiveFileNameIn({f}, tmp, t), tmp + "/report.final 2024-03-05 at 14.07.09.zip");
        QCOMPARE(archiveFileNameIn({f}, tmp, t), tmp + "/Shots_1 2024-03-05 at 14.07.09.zip");
        QCOMPARE(archiveFileNameIn({f, g}, tmp, t), tmp + "/Shots 2024-03-05 at 14.07.09.zip");
        QCOMPARE(archiveFileNameIn({f, g}, tmp, t), tmp + "/Shots_2 2024-03-05 at 14.07.09.zip");
    }

    // A backslash in a Linux name is kept; a failing archive reports an error.
    void zipWriter()
    {
        const QString d = src_ + "/Back";
        pryx::test::makeDataFile(d + "/a\\b.txt", 20);
        const QString zip = src_ + "/w.zip";
        QString err;
        QVERIFY2(writeZipArchive(zip, {d}, {}, {}, &err), qPrintable(err));
        QProcess unzip;
        unzip.start("unzip", {"-Z1", zip});
        QVERIFY(unzip.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).trimmed(), QStringLiteral("Back/\nBack/a\\b.txt"));
        QVERIFY(!writeZipArchive(zip, {src_ + "/missing.txt"}, {}, {}, &err));
        QVERIFY(!err.isEmpty());
        QVERIFY(!QFile::exists(zip));
    }
};

QTEST_MAIN(TestUploadDispatch)
#include "tst_uploaddispatch.moc"
