// The Dropbox upload thread against the Dropbox stand-in: single files,
// archives, name clashes, awkward names, the error table, the share step,
// logout and deletion while a transfer runs.

#include "core/base/setting.h"
#include "network/dropboxapi.h"
#include "network/dropboxauth.h"
#include "network/handledropboxupload.h"
#include "support/dropboxstandin.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
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

// Records what one upload thread emits, in order.
struct Run : QObject {
    HandleDropboxUpload *job;
    QStringList events;
    QStringList links;
    QStringList errors;
    QList<qint64> sent;
    bool offGui = false;

    explicit Run(DropboxAuth *account) : job(new HandleDropboxUpload(this))
    {
        job->setAccount(account);
        auto note = [this](const QString &e) {
            if (QThread::currentThread() != qApp->thread())
                offGui = true;
            if (events.isEmpty() || events.last() != e || e != "progress")
                events << e;
        };
        connect(job, &HandleDropboxUpload::startUpload, this, [=] { note("start"); });
        connect(job, &HandleDropboxUpload::readyLink, this, [=](QString) { note("readyLink"); });
        connect(job, &HandleDropboxUpload::readyLinkAfterUpload, this, [=](QString l) {
            links << l;
            note("link");
        });
        connect(job, &HandleDropboxUpload::error, this, [=](QString e) {
            errors << e;
            note("error");
        });
        connect(job, &HandleDropboxUpload::uploadProgress, this, [=](qlonglong s, qlonglong) {
            sent << s;
            note("progress");
        });
        connect(job, &HandleDropboxUpload::archiveChange, this,
                [=](bool on) { note(on ? "archive on" : "archive off"); });
        connect(job, &QThread::finished, this, [=] { note("finished"); });
    }
    bool go(const QStringList &files, bool archive = false, int after = 0, int ms = 20000)
    {
        job->upload(files, archive, after);
        QElapsedTimer t;
        t.start();
        while (!events.contains("finished") && t.elapsed() < ms)
            QTest::qWait(20);
        QTest::qWait(50);
        return events.contains("finished");
    }
};

class TestDropboxUpload : public QObject
{
    Q_OBJECT

private:
    pryx::test::DropboxStandin standin_;
    UrlRecorder browser_;
    DropboxAuth *account_ = nullptr;
    QString src_;

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QString source(const QString &name, qint64 size, quint32 seed = 7)
    {
        return pryx::test::makeDataFile(src_ + "/" + name, size, seed);
    }
    QString stored(const QString &name) const { return standin_.root() + "/" + name; }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(standin_.start(&error), qPrintable(error));
        QDesktopServices::setUrlHandler("https", &browser_, "open");
        QDesktopServices::setUrlHandler("mailto", &browser_, "open");
        Setting *s = Setting::instance();
        s->setValue("token", "service-account-token");
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        account_ = new DropboxAuth(this);
        QVERIFY(account_->isAuth());
        src_ = pryx::test::testRoot() + "/src";
        QDir().mkpath(src_);
    }

    void init()
    {
        standin_.setControl({});
        browser_.urls.clear();
        pryx::setDropboxTimeout(60000);
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
    }

    void capture()
    {
        const QString file = source("capture 1.png", 300000);
        Run run(account_);
        QVERIFY(run.go({file}));
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QCOMPARE(bytes(stored("capture 1.png")), bytes(file));
        QCOMPARE(run.links, QStringList{"https://db.tt/capture%201.png"});
        QVERIFY(!run.events.contains("readyLink"));
        QVERIFY(!run.events.contains("archive on"));
        QCOMPARE(run.events.first(), QStringLiteral("start"));
        QVERIFY(run.events.indexOf("link") < run.events.indexOf("finished"));
        QVERIFY(!run.offGui);
        QVERIFY(!run.sent.isEmpty());
        QCOMPARE(run.sent.last(), qint64(300000));
        QCOMPARE(run.job->link(), run.links.first());

        const QJsonObject upload = standin_.requests("/2/files/upload").last();
        const QJsonObject headers = upload.value("headers").toObject();
        QCOMPARE(headers.value("Authorization").toString(), "Bearer " + standin_.token());
        const QJsonObject arg =
            QJsonDocument::fromJson(headers.value("Dropbox-API-Arg").toString().toUtf8()).object();
        QCOMPARE(arg.value("path").toString(), QStringLiteral("/capture 1.png"));
        QCOMPARE(arg.value("mode").toString(), QStringLiteral("add"));
        QCOMPARE(arg.value("autorename").toBool(), true);
        QCOMPARE(arg.value("mute").toBool(), true);
        const QJsonObject share = QJsonDocument::fromJson(
            standin_.requests("/2/sharing/create_shared_link").last().value("body").toString().toUtf8()).object();
        QCOMPARE(share.value("path").toString(), QStringLiteral("/capture 1.png"));
        QCOMPARE(share.value("short_url").toBool(), true);
        QVERIFY(browser_.urls.isEmpty());
    }

    void nameClashRenamed()
    {
        const QString file = source("clash.txt", 1000, 1);
        Run first(account_);
        QVERIFY(first.go({file}));
        pryx::test::makeDataFile(file, 2000, 2);
        Run second(account_);
        QVERIFY(second.go({file}));
        QVERIFY(second.errors.isEmpty());
        QCOMPARE(second.links, QStringList{"https://db.tt/clash%20%281%29.txt"});
        QCOMPARE(bytes(stored("clash (1).txt")), bytes(file));
        QCOMPARE(bytes(stored("clash.txt")).size(), 1000);
    }

    void awkwardNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes and Cyrillic") << QStringLiteral("Снимок \"экрана\" 'новый'.png");
        QTest::newRow("hash and question mark") << QStringLiteral("shot #2 ?.jpg");
        QTest::newRow("percent and backslash") << QStringLiteral("50%41 \\ done.txt");
    }

    void awkwardNames()
    {
        QFETCH(QString, name);
        const QString file = source(name, 5000, 3);
        Run run(account_);
        QVERIFY(run.go({file}));
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QCOMPARE(bytes(stored(name)), bytes(file));
        QCOMPARE(run.links.size(), 1);
        const QString header = standin_.requests("/2/files/upload").last()
                                   .value("headers").toObject().value("Dropbox-API-Arg").toString();
        for (const QChar c : header)
            QVERIFY(c.unicode() < 0x80);
    }

    void severalFilesZipped_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("archive");
        QTest::newRow("two files") << QStringList{"a.bin", "b.bin"} << false;
        QTest::newRow("one file, archive asked") << QStringList{"single.bin"} << true;
    }

    void severalFilesZipped()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, archive);
        QStringList files;
        quint32 seed = 10;
        for (const QString &n : names) {
            files << source("zip/" + n, 1500000 + seed, seed);
            ++seed;
        }
        Run run(account_);
        QVERIFY(run.go(files, archive));
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QVERIFY(run.events.indexOf("archive on") < run.events.indexOf("archive off"));
        QVERIFY(run.events.indexOf("archive off") < run.events.indexOf("link"));
        QCOMPARE(run.links.size(), 1);
        const QString remote = QUrl::fromPercentEncoding(
            run.links.first().mid(QStringLiteral("https://db.tt/").size()).toUtf8());
        QVERIFY2(remote.endsWith(".zip"), qPrintable(remote));
        QuaZip zip(stored(remote));
        QVERIFY(zip.open(QuaZip::mdUnzip));
        QCOMPARE(zip.getEntriesCount(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(zip.setCurrentFile(names[i]));
            QuaZipFile entry(&zip);
            QVERIFY(entry.open(QIODevice::ReadOnly));
            QCOMPARE(entry.readAll(), bytes(files[i]));
        }
    }

    void errors_data()
    {
        QTest::addColumn<QJsonObject>("control");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("errorHas");
        QTest::addColumn<bool>("uploadSent");
        QTest::newRow("bad token") << QJsonObject() << "expired" << "e1.png"
                                   << "DropboxFile: " << true;
        QTest::newRow("conflict") << QJsonObject{{"upload_status", 409}} << "" << "e2.png"
                                  << "Conflict" << true;
        QTest::newRow("server error") << QJsonObject{{"upload_status", 500}} << "" << "e3.png"
                                      << "DropboxFile: " << true;
        QTest::newRow("link refused") << QJsonObject{{"share_status", 500}} << "" << "e4.png"
                                      << "DropboxFile: " << true;
        QTest::newRow("hang") << QJsonObject{{"hang", 20}} << "" << "e5.png"
                              << "DropboxFile: " << true;
        QTest::newRow("missing file") << QJsonObject() << "" << "gone.png"
                                      << "DropboxFile: cannot read " << false;
        QTest::newRow("unreadable file") << QJsonObject() << "" << "e6.png"
                                         << "DropboxFile: cannot read " << false;
        QTest::newRow("folder inside archive unreadable")
            << QJsonObject() << "" << "" << "Could not build the archive" << false;
    }

    void errors()
    {
        QFETCH(QJsonObject, control);
        QFETCH(QString, token);
        QFETCH(QString, file);
        QFETCH(QString, errorHas);
        QFETCH(bool, uploadSent);
        standin_.setControl(control);
        pryx::setDropboxTimeout(1500);

        Setting *s = Setting::instance();
        QScopedPointer<DropboxAuth> other;
        DropboxAuth *account = account_;
        if (!token.isEmpty()) {
            s->setValue("drop_box_token_apiv2", token, true);
            other.reset(new DropboxAuth);
            s->setValue("drop_box_token_apiv2", standin_.token(), true);
            account = other.data();
        }
        QStringList files;
        if (file == "gone.png")
            files << src_ + "/gone.png";
        else if (!file.isEmpty())
            files << source(file, 4000);
        else
            files << source("ok.bin", 100) << src_ + "/not-there.bin";
        if (QByteArray(QTest::currentDataTag()) == "unreadable file") {
            QVERIFY(QFile::setPermissions(files.first(), QFileDevice::Permissions()));
            QFile probe(files.first());
            if (probe.open(QIODevice::ReadOnly))
                QSKIP("the file stays readable with no permission bits (running as root)");
        }

        const int uploads = standin_.requests("/2/files/upload").size();
        const int shares = standin_.requests("/2/sharing/create_shared_link").size();
        QElapsedTimer t;
        t.start();
        Run run(account);
        QVERIFY(run.go(files, false, 5));
        QCOMPARE(run.errors.size(), 1);
        QVERIFY2(run.errors.first().contains(errorHas), qPrintable(run.errors.first()));
        QVERIFY(run.links.isEmpty());
        QCOMPARE(standin_.requests("/2/files/upload").size() > uploads, uploadSent);
        if (!control.contains("share_status"))
            QCOMPARE(standin_.requests("/2/sharing/create_shared_link").size(), shares);
        QVERIFY(t.elapsed() < 10000);
        // No share page with an empty link.
        QTest::qWait(50);
        QVERIFY(browser_.urls.isEmpty());
        if (!file.isEmpty() && file != "gone.png")
            QVERIFY(!QFile::exists(stored(file)) || control.contains("share_status"));
    }

    void notAuthorised()
    {
        Setting *s = Setting::instance();
        s->setValue("drop_box_token_apiv2", QString());
        DropboxAuth none;
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        const int uploads = standin_.requests("/2/files/upload").size();
        for (DropboxAuth *account : {&none, static_cast<DropboxAuth *>(nullptr)}) {
            Run run(account);
            QVERIFY(run.go({source("na.png", 10)}));
            QCOMPARE(run.errors, QStringList{"Dropbox account is not auth"});
            QVERIFY(!run.events.contains("start"));
        }
        QCOMPARE(standin_.requests("/2/files/upload").size(), uploads);
    }

    void shareStepWithLink()
    {
        Run run(account_);
        QVERIFY(run.go({source("mail me.png", 100)}, false, 5));
        QTRY_COMPARE(browser_.urls.size(), 1);
        const QString url = QUrl::fromPercentEncoding(browser_.urls.first().toEncoded());
        QVERIFY2(url.startsWith("mailto:?body=https://db.tt/mail"), qPrintable(url));
    }

    void logoutDuringUpload()
    {
        Setting *s = Setting::instance();
        s->setValue("ftp_host", "ftp.example.test");
        s->setValue("ftp_user", "tester");
        DropboxAuth account;
        QVERIFY(account.isAuth());
        standin_.setControl({{"delay", 1}});
        const QString file = source("during logout.bin", 200000);
        Run run(&account);
        run.job->upload({file}, false, 0);
        QTRY_VERIFY_WITH_TIMEOUT(run.events.contains("start"), 5000);
        QTest::qWait(200);
        account.logout();
        account.authorization();   // a new client, and its listener
        QTest::qWait(50);
        QVERIFY(run.go({}, false, 0));  // already running: only waits
        QVERIFY(run.errors.size() + run.links.size() == 1);
        QCOMPARE(bytes(stored("during logout.bin")), bytes(file));
        QCOMPARE(s->getValue("ftp_host").toString(), QStringLiteral("ftp.example.test"));
        QCOMPARE(s->getValue("ftp_user").toString(), QStringLiteral("tester"));
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
    }

    void deletedWhileRunning()
    {
        standin_.setControl({{"hang", 20}});
        auto *run = new Run(account_);
        QSignalSpy errors(run->job, &HandleDropboxUpload::error);
        run->job->upload({source("deleted.bin", 1000)}, false, 0);
        QTRY_VERIFY_WITH_TIMEOUT(run->events.contains("start"), 5000);
        QTest::qWait(200);
        QElapsedTimer t;
        t.start();
        delete run;   // cancels and waits for the thread
        QVERIFY(t.elapsed() < 5000);
        QCOMPARE(errors.count(), 0);
    }
};

QTEST_MAIN(TestDropboxUpload)
#include "tst_dropboxupload.moc"
