// The Dropbox client and account object against the Dropbox stand-in: the
// loopback listener, the authorisation chain through a captured browser URL,
// the stored token, the account figures and logout.

#include "core/base/crypto.h"
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "network/dropboxapi.h"
#include "network/dropboxauth.h"
#include "support/dropboxstandin.h"
#include "support/testsupport.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestDropboxApi : public QObject
{
    Q_OBJECT

private:
    pryx::test::DropboxStandin standin_;
    UrlRecorder browser_;
    const QString accountToken_ = QStringLiteral("service-account-token");

    // Sends one raw request to a listener, in pieces split at \x01 with a
    // pause between them, and returns the whole answer.
    static QByteArray ask(quint16 port, const QByteArray &request, int *codesBeforeLast = nullptr,
                          QSignalSpy *codes = nullptr)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return QByteArray();
        const QList<QByteArray> pieces = request.split('\x01');
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                QTest::qWait(100);
                if (codesBeforeLast && codes)
                    *codesBeforeLast = codes->count();
            }
            socket.write(pieces[i]);
            socket.flush();
        }
        QByteArray answer;
        QElapsedTimer t;
        t.start();
        while (socket.state() == QAbstractSocket::ConnectedState && t.elapsed() < 5000) {
            QTest::qWait(10);
            answer += socket.readAll();
        }
        return answer + socket.readAll();
    }

    // Runs an authorisation of the account through the captured URL.
    QByteArray authorise(DropboxAuth &account, QUrl *captured = nullptr)
    {
        browser_.urls.clear();
        account.authorization();
        if (browser_.urls.size() != 1)
            return QByteArray();
        if (captured)
            *captured = browser_.urls.first();
        return pryx::test::followAuthorizeUrl(browser_.urls.first());
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(standin_.start(&error), qPrintable(error));
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser_, "open");
        Setting::instance()->setValue(QStringLiteral("token"), accountToken_);
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    void asciiHeaderJson()
    {
        QJsonObject o;
        o.insert("path", QStringLiteral("/shot \"Привет\" 'x' \\ 😀.png"));
        o.insert("autorename", true);
        const QByteArray text = pryx::asciiJson(o);
        for (const char c : text)
            QVERIFY2(uchar(c) < 0x80, text.constData());
        QVERIFY(text.contains("\\u041f"));
        QCOMPARE(QJsonDocument::fromJson(text).object(), o);
    }

    void listener_data()
    {
        QTest::addColumn<QString>("redirect");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("answerHas");

        const QByteArray tail = " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        QTest::newRow("code and state") << "" << "GET /?code=abc&state=S1" + tail << "abc"
                                        << QByteArray("\r\n\r\ndrpbox auth complete");
        QTest::newRow("state first, more items")
            << "" << "GET /?state=S1&code=abc&x=1" + tail << "abc" << QByteArray("200 OK");
        QTest::newRow("wrong state") << "" << "GET /?code=abc&state=S2" + tail << ""
                                     << QByteArray("drpbox auth complete");
        QTest::newRow("no state") << "" << "GET /?code=abc" + tail << "" << QByteArray("200 OK");
        QTest::newRow("no code") << "" << "GET /favicon.ico" + tail << ""
                                 << QByteArray("drpbox auth complete");
        QTest::newRow("redirect after auth")
            << "https://127.0.0.1/done" << "GET /?code=xyz&state=S1" + tail << "xyz"
            << QByteArray("HTTP/1.1 303 OK\r\n");
        QTest::newRow("head in pieces")
            << "" << QByteArray("GET /?code=p1&state=S1") + "\x01" + tail << "p1"
            << QByteArray("200 OK");
    }

    void listener()
    {
        QFETCH(QString, redirect);
        QFETCH(QByteArray, request);
        QFETCH(QString, code);
        QFETCH(QByteArray, answerHas);

        QDropboxAuthSocket socket(redirect, QStringLiteral("S1"));
        QVERIFY(socket.listen(QHostAddress::LocalHost, 0));
        QSignalSpy codes(&socket, &QDropboxAuthSocket::codeComplete);
        int early = 0;
        const QByteArray answer = ask(socket.serverPort(), request, &early, &codes);
        QCOMPARE(early, 0);
        QVERIFY2(answer.contains(answerHas), answer.constData());
        if (!redirect.isEmpty())
            QVERIFY(answer.contains("Location: " + redirect.toUtf8() + "\r\n"));
        QCOMPARE(codes.count(), code.isEmpty() ? 0 : 1);
        if (!code.isEmpty())
            QCOMPARE(codes.first().first().toString(), code);
    }

    // A reload of the page, or a browser that sends the redirect again,
    // brings the same code twice: it is handed on once, since a second
    // exchange of a spent code fails with invalid_grant.
    void sameRedirectTwiceGivesOneCode()
    {
        QDropboxAuthSocket socket(QString(), QStringLiteral("S1"));
        QVERIFY(socket.listen(QHostAddress::LocalHost, 0));
        QSignalSpy codes(&socket, &QDropboxAuthSocket::codeComplete);
        const QByteArray request = "GET /?code=C1&state=S1 HTTP/1.1\r\nHost: x\r\n\r\n";
        QVERIFY(ask(socket.serverPort(), request).contains("drpbox auth complete"));
        QVERIFY(ask(socket.serverPort(), request).contains("drpbox auth complete"));
        QCOMPARE(codes.count(), 1);
        QCOMPARE(codes.first().first().toString(), QStringLiteral("C1"));
    }

    void emptyKeyOrSecret_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("secret");
        QTest::addColumn<QString>("text");
        QTest::newRow("key") << "" << "s" << "App key can`t be empty";
        QTest::newRow("secret") << "k" << "" << "App secret can`t be empty";
        QTest::newRow("both") << "" << "" << "App key can`t be empty";
    }

    void emptyKeyOrSecret()
    {
        QFETCH(QString, key);
        QFETCH(QString, secret);
        QFETCH(QString, text);
        QDropbox client(key, secret);
        QSignalSpy errors(&client, &QDropbox::error);
        browser_.urls.clear();
        client.auth();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().first().toString(), text);
        QVERIFY(!client.dropboxAuth());
        QVERIFY(browser_.urls.isEmpty());

        client.updateInfo();
        QCOMPARE(errors.last().first().toString(), QStringLiteral("Can`t update info user, auth is empty"));
    }

    void authorisationChain()
    {
        Setting *s = Setting::instance();
        s->setValue("drop_box_token_apiv2", QString());
        DropboxAuth account;
        QVERIFY(!account.isAuth());
        QSignalSpy changed(&account, &DropboxAuth::isAuthChanged);
        QSignalSpy errors(&account, &DropboxAuth::error);

        QUrl url;
        QCOMPARE(authorise(account, &url), QByteArray("drpbox auth complete"));
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(url.port(), standin_.webPort());
        QCOMPARE(url.path(), QStringLiteral("/oauth2/authorize"));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue("client_id"), QStringLiteral("raqopvnhsyfmke3"));
        QCOMPARE(query.queryItemValue("redirect_uri"), QStringLiteral("http://127.0.0.1:6609"));
        QCOMPARE(query.queryItemValue("response_type"), QStringLiteral("code"));
        const QString state = query.queryItemValue("state");
        QCOMPARE(state.size(), 32);

        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 2 && account.total() > 0, 10000);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).value(0).toString()));
        QVERIFY(account.isAuth());
        QCOMPARE(account.accessToken(), standin_.token());
        QCOMPARE(account.name(), QStringLiteral("Иван Петров"));
        QCOMPARE(account.email(), QStringLiteral("ivan@example.test"));
        QCOMPARE(account.total(), Q_INT64_C(2199023255552));
        QCOMPARE(account.usage(), Q_INT64_C(123456789));
        QVERIFY(!account.client()->dropboxAuth()->isListening());

        // What went over the wire.
        const QJsonObject tokenCall = standin_.requests("/oauth2/token/").last();
        QCOMPARE(tokenCall.value("headers").toObject().value("Authorization").toString(),
                 QStringLiteral("Basic ")
                     + QByteArray("raqopvnhsyfmke3:okbewm4716t9zqh").toBase64());
        QVERIFY(tokenCall.value("body").toString().endsWith(
            "&redirect_uri=http://127.0.0.1:6609&grant_type=authorization_code"));
        for (const QString path : {"/2/users/get_current_account", "/2/users/get_space_usage"}) {
            const QList<QJsonObject> calls = standin_.requests(path);
            QVERIFY(!calls.isEmpty());
            const QJsonObject headers = calls.last().value("headers").toObject();
            QCOMPARE(headers.value("Authorization").toString(), "Bearer " + standin_.token());
            QVERIFY(headers.contains("Content-Type"));
            QCOMPARE(headers.value("Content-Type").toString().trimmed(), QString());
            QCOMPARE(calls.last().value("size").toInt(), 0);
        }

        // Kept in the settings, the token only as ciphertext in the database.
        QVERIFY(s->flush());
        QCOMPARE(s->getValue("drop_box_display_name").toString(), QStringLiteral("Иван Петров"));
        QCOMPARE(s->getValue("drop_box_email").toString(), QStringLiteral("ivan@example.test"));
        QCOMPARE(qint64(s->getValue("drop_box_total").toDouble()), Q_INT64_C(2199023255552));
        const QString stored = s->getValueDB("drop_box_token_apiv2").toString();
        QVERIFY(!stored.isEmpty());
        QVERIFY(!stored.contains(standin_.token()));
        QFile key(pryx::valueKeyPath());
        QVERIFY(key.open(QIODevice::ReadOnly));
        QCOMPARE(pryx::decryptWithKey(stored, key.readAll()), standin_.token());
        QCOMPARE(s->getValue("drop_box_token_apiv2", true).toString(), standin_.token());

        // A new instance (as after a restart) is authorised without a browser.
        browser_.urls.clear();
        DropboxAuth again;
        QVERIFY(again.isAuth());
        QCOMPARE(again.name(), QStringLiteral("Иван Петров"));
        QCOMPARE(again.email(), QStringLiteral("ivan@example.test"));
        QCOMPARE(again.total(), Q_INT64_C(2199023255552));
        QCOMPARE(again.usage(), Q_INT64_C(123456789));
        QVERIFY(browser_.urls.isEmpty());

        // And a new process on the same settings file.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DROPBOX_ACCOUNT_CHILD", "1");
        const pryx::test::ChildResult child =
            pryx::test::runChild(QCoreApplication::applicationFilePath(), {}, 30000, env);
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(QString::fromUtf8(child.out).trimmed().split('\n').last(),
                 QStringLiteral("1|Иван Петров|ivan@example.test|2199023255552|123456789"));
    }

    void forgedRedirectIgnored()
    {
        DropboxAuth account;
        account.logout();
        const int tokenCalls = standin_.requests("/oauth2/token/").size();
        browser_.urls.clear();
        account.authorization();
        QCOMPARE(browser_.urls.size(), 1);
        // Another page sends a code of its own with a guessed state.
        const QByteArray answer =
            ask(6609, "GET /?code=evil&state=guess HTTP/1.1\r\nHost: x\r\n\r\n");
        QVERIFY(answer.contains("200 OK"));
        QTest::qWait(200);
        QCOMPARE(standin_.requests("/oauth2/token/").size(), tokenCalls);
        QVERIFY(!account.isAuth());
        QVERIFY(account.client()->dropboxAuth()->isListening());
    }

    void refusedCodeKeepsToken()
    {
        QDropboxAuth auth("raqopvnhsyfmke3", "okbewm4716t9zqh");
        auth.setAccessToken("old-token");
        QSignalSpy errors(&auth, &QDropboxAuth::error);
        QSignalSpy complete(&auth, &QDropboxAuth::authComplete);
        auth.codeComplete("never-issued");
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QVERIFY(errors.first().first().toString().startsWith("Auth error: "));
        QVERIFY(errors.first().first().toString().contains("invalid_grant"));
        QCOMPARE(auth.accessToken(), QStringLiteral("old-token"));
        QCOMPARE(complete.count(), 0);
    }

    void tokenReplyWithoutToken_data()
    {
        QTest::addColumn<QJsonValue>("reply");
        QTest::newRow("no access_token") << QJsonValue(QJsonObject{{"token_type", "bearer"}, {"uid", "1"}});
        QTest::newRow("empty access_token") << QJsonValue(QJsonObject{{"access_token", ""}});
        QTest::newRow("not JSON") << QJsonValue(QStringLiteral("<html>welcome</html>"));
    }
    // A 200 reply that carries no token is an error; the account keeps the
    // token it had, in memory and in the settings.
    void tokenReplyWithoutToken()
    {
        QFETCH(QJsonValue, reply);
        Setting *s = Setting::instance();
        s->setValue("drop_box_token_apiv2", "old-token", true);
        DropboxAuth account;
        QVERIFY(account.isAuth());
        QSignalSpy errors(&account, &DropboxAuth::error);
        QSignalSpy complete(account.client()->dropboxAuth(), &QDropboxAuth::authComplete);
        standin_.setControl(QJsonObject{{"token_reply", reply}});
        const int calls = standin_.requests("/oauth2/token/").size();
        account.client()->dropboxAuth()->codeComplete("some-code");
        const bool failed = QTest::qWaitFor([&] { return errors.count() > 0; }, 10000);
        standin_.setControl({});
        QVERIFY(failed);
        QCOMPARE(standin_.requests("/oauth2/token/").size(), calls + 1);
        QCOMPARE(errors.count(), 1);
        QVERIFY2(errors.first().first().toString().startsWith("Auth error: "),
                 qPrintable(errors.first().first().toString()));
        QCOMPARE(complete.count(), 0);
        QVERIFY(account.isAuth());
        QCOMPARE(account.accessToken(), QStringLiteral("old-token"));
        QCOMPARE(s->getValue("drop_box_token_apiv2", true).toString(), QStringLiteral("old-token"));
    }

    void unreadableUpload_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no read permission") << "chmod 000";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("missing") << "missing";
    }
    // A path that cannot be read gives an error and sends nothing: never an
    // empty file reported as uploaded.
    void unreadableUpload()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.path() + "/shot.png";
        if (kind == "chmod 000") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(1000, 'x')) == 1000);
            f.close();
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
            QFile probe(path);
            if (probe.open(QIODevice::ReadOnly))
                QSKIP("the file stays readable with no permission bits (running as root)");
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        }
        QDropboxAuth auth("raqopvnhsyfmke3", "okbewm4716t9zqh");
        auth.setAccessToken(standin_.token());
        QDropboxFile file(&auth);
        QSignalSpy errors(&file, &QDropboxFile::error);
        QSignalSpy links(&file, &QDropboxFile::shareLinkComplete);
        const int uploads = standin_.requests("/2/files/upload").size();
        file.upload(path, true);
        QTest::qWait(300);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().first().toString(), "DropboxFile: cannot read " + path);
        QCOMPARE(links.count(), 0);
        QCOMPARE(standin_.requests("/2/files/upload").size(), uploads);
    }

    void sameTokenEmitsNothing()
    {
        QDropboxAuth auth("k", "s");
        QSignalSpy complete(&auth, &QDropboxAuth::authComplete);
        auth.setAccessToken("t");
        auth.setAccessToken("t");
        QCOMPARE(complete.count(), 1);
    }

    void portTaken()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost, 6609));
        DropboxAuth account;
        QSignalSpy errors(&account, &DropboxAuth::error);
        browser_.urls.clear();
        account.authorization();
        QCOMPARE(errors.count(), 1);
        QVERIFY2(errors.first().first().toString().contains("127.0.0.1:6609"),
                 qPrintable(errors.first().first().toString()));
        QVERIFY(browser_.urls.isEmpty());
    }

    // Without a browser the user is told the address, and the listener
    // still takes the redirect.
    void noBrowserGivesTheAddress()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        qunsetenv("BROWSER");
        DropboxAuth account;
        QSignalSpy errors(&account, &DropboxAuth::error);
        account.authorization();
        qputenv("PATH", path);
        if (!browser.isEmpty())
            qputenv("BROWSER", browser);
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser_, "open");
        QCOMPARE(errors.count(), 1);
        const QString text = errors.first().first().toString();
        QVERIFY2(text.contains("/oauth2/authorize?client_id=raqopvnhsyfmke3"), qPrintable(text));
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, 6609);
        QVERIFY(probe.waitForConnected(3000));
    }

    void badTokenInfoError()
    {
        QDropbox client("raqopvnhsyfmke3", "okbewm4716t9zqh");
        auto *auth = new QDropboxAuth("raqopvnhsyfmke3", "okbewm4716t9zqh");
        auth->setAccessToken("wrong");
        client.setDropboxAuth(auth);
        QSignalSpy errors(&client, &QDropbox::error);
        QSignalSpy all(&client, &QDropbox::loadAllInfo);
        client.updateInfo();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QVERIFY(errors.first().first().toString().startsWith("Dropbox info "));
        QCOMPARE(all.count(), 0);
        // A new authorisation frees the old object; the info object follows.
        auto *fresh = new QDropboxAuth("raqopvnhsyfmke3", "okbewm4716t9zqh");
        fresh->setAccessToken(standin_.token());
        client.setDropboxAuth(fresh);
        client.updateInfo();
        QTRY_COMPARE_WITH_TIMEOUT(all.count(), 1, 10000);
        QCOMPARE(client.info()->displayName(), QStringLiteral("Иван Петров"));
    }

    void logoutKeepsServerSettings()
    {
        Setting *s = Setting::instance();
        s->setValue("drop_box_token_apiv2", standin_.token(), true);
        s->setValue("drop_box_display_name", "Someone");
        s->setValue("ftp_host", "ftp.example.test");
        s->setValue("ftp_user", "tester");
        s->setValue("sftp_path", "/upload");
        DropboxAuth account;
        QVERIFY(account.isAuth());
        QSignalSpy changed(&account, &DropboxAuth::isAuthChanged);
        account.logout();
        QCOMPARE(changed.count(), 1);
        QVERIFY(!account.isAuth());
        QCOMPARE(account.name(), QStringLiteral("Someone"));
        QCOMPARE(s->getValue("drop_box_token_apiv2", true).toString(), QString());
        QCOMPARE(s->getValue("drop_box_display_name").toString(), QString());
        QCOMPARE(s->getValue("ftp_host").toString(), QStringLiteral("ftp.example.test"));
        QCOMPARE(s->getValue("ftp_user").toString(), QStringLiteral("tester"));
        QCOMPARE(s->getValue("sftp_path").toString(), QStringLiteral("/upload"));
        DropboxAuth after;
        QVERIFY(!after.isAuth());
    }

    void authoriseAgainAfterLogout()
    {
        DropboxAuth account;
        QSignalSpy errors(&account, &DropboxAuth::error);
        browser_.urls.clear();
        account.authorization();
        account.logout();
        account.authorization();
        QCOMPARE(browser_.urls.size(), 2);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).value(0).toString()));
        QCOMPARE(pryx::test::followAuthorizeUrl(browser_.urls.last()),
                 QByteArray("drpbox auth complete"));
        QTRY_VERIFY_WITH_TIMEOUT(account.isAuth(), 10000);
        // The listener closed once the token arrived.
        QVERIFY(pryx::test::followAuthorizeUrl(browser_.urls.first()).isEmpty());
    }
};

// As a child: prints what a fresh account object reads from the settings.
static int accountChild()
{
    Setting::instance()->setValue(QStringLiteral("token"), QStringLiteral("service-account-token"));
    DropboxAuth account;
    const QString line = QStringLiteral("%1|%2|%3|%4|%5\n")
                             .arg(int(account.isAuth()))
                             .arg(account.name(), account.email())
                             .arg(account.total())
                             .arg(account.usage());
    fputs(line.toUtf8().constData(), stdout);
    return 0;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("DROPBOX_ACCOUNT_CHILD"))
        return accountChild();
    TestDropboxApi test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dropboxapi.moc"
