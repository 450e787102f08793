// The service requests' manager: proxy from the settings, its log lines,
// identity and token headers, TLS verification against the stand-in.
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "network/networkaccessmanager.h"
#include "network/uploadservices.h"
#include "support/standin.h"

#include <QAuthenticator>
#include <QFile>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QEventLoop>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

using pryx::test::StandIn;
using pryx::test::TinyProxy;

class TestNetworkAccessManager : public QObject
{
    Q_OBJECT
    StandIn standIn;
    QString token;

    QByteArray proxyLogText()
    {
        QFile f(pryx::proxyLogPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void setProxy(const QVariant &use, const QVariant &host, const QVariant &port)
    {
        Setting::instance()->setValue("useProxy", use);
        Setting::instance()->setValue("proxy_host", host);
        Setting::instance()->setValue("proxy_port", port);
    }
    QNetworkReply *getAbout(NetworkAccessManager &m)
    {
        QNetworkRequest r(QUrl("https://" + standIn.host() + "/drive/v1/about"));
        NetworkAccessManager::getAuthRequest(r);
        QNetworkReply *reply = m.get(r);
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(10000);
        return reply;
    }

private slots:
    // Settings writes are done before the application object goes.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void initTestCase()
    {
        QVERIFY2(standIn.start(), qPrintable(standIn.error()));
        pryx::net::services().appTitle = [] { return QStringLiteral("Pryx 3.0.48"); };
        pryx::net::services().isAuth = [this] { return !token.isEmpty(); };
        pryx::net::services().token = [this] { return token; };
    }
    void init()
    {
        token.clear();
        setProxy(QVariant(), QVariant(), QVariant());
        QFile::remove(pryx::proxyLogPath());
        standIn.clearLog();
        qputenv("PRYX_EXTRA_CA_FILE", standIn.caFile().toLocal8Bit());
    }

    void proxyLog_data()
    {
        QTest::addColumn<QVariant>("use");
        QTest::addColumn<QVariant>("host");
        QTest::addColumn<QVariant>("port");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<bool>("error");
        QTest::newRow("off") << QVariant("false") << QVariant("127.0.0.1") << QVariant("3128") << false << false;
        QTest::newRow("on") << QVariant("true") << QVariant("127.0.0.1") << QVariant("3128") << true << false;
        QTest::newRow("empty host") << QVariant("true") << QVariant("") << QVariant("3128") << false << false;
        QTest::newRow("port unset") << QVariant("true") << QVariant("127.0.0.1") << QVariant() << false << false;
        QTest::newRow("port 0") << QVariant("1") << QVariant("127.0.0.1") << QVariant("0") << false << false;
        QTest::newRow("port 65535") << QVariant("1") << QVariant("127.0.0.1") << QVariant("65535") << true << false;
        QTest::newRow("port 65536") << QVariant("1") << QVariant("127.0.0.1") << QVariant("65536") << false << true;
        QTest::newRow("port -1") << QVariant("1") << QVariant("127.0.0.1") << QVariant("-1") << false << true;
        QTest::newRow("port text") << QVariant("1") << QVariant("127.0.0.1") << QVariant("80a") << false << true;
    }
    void proxyLog()
    {
        QFETCH(QVariant, use);
        QFETCH(QVariant, host);
        QFETCH(QVariant, port);
        QFETCH(bool, applied);
        QFETCH(bool, error);
        setProxy(use, host, port);
        QByteArray expected = "use proxy = " + use.toString().toUtf8() + "\nproxy_host = "
            + host.toString().toUtf8() + "\nproxy_port = " + port.toString().toUtf8() + "\n";
        if (applied)
            expected += "*** set proxy settings ***\n";
        {
            NetworkAccessManager m;
            QCOMPARE(m.proxy().type() == QNetworkProxy::HttpProxy && m.proxyError().isEmpty(), applied);
            if (applied) {
                QCOMPARE(m.proxy().hostName(), host.toString());
                QCOMPARE(int(m.proxy().port()), port.toInt());
                QVERIFY(m.proxy().user().isEmpty());
            }
            QCOMPARE(!m.proxyError().isEmpty(), error);
        }
        QCOMPARE(proxyLogText(), expected);
        NetworkAccessManager again;   // appended, never truncated
        QCOMPARE(proxyLogText(), expected + expected);
    }

    void authHeaders()
    {
        NetworkAccessManager m;
        QScopedPointer<QNetworkReply> out(getAbout(m));
        QCOMPARE(out->error(), QNetworkReply::NoError);
        token = QStringLiteral("tok-123");
        QScopedPointer<QNetworkReply> in(getAbout(m));
        QCOMPARE(in->error(), QNetworkReply::NoError);
        const auto reqs = standIn.requests();
        QCOMPARE(reqs.size(), 2);
        QCOMPARE(reqs[0].header("User-agent"), QByteArray("Pryx 3.0.48"));
        QVERIFY(!reqs[0].hasHeader("Authorization"));
        QCOMPARE(reqs[1].header("Authorization"), QByteArray("Bearer tok-123"));
        QNetworkRequest r;
        QCOMPARE(NetworkAccessManager::getAuthRequest(r).sslConfiguration().peerVerifyMode(),
                 QSslSocket::VerifyPeer);
    }

    // Without the stand-in's CA the certificate is refused and the token
    // never reaches the server.
    void untrustedCertificateRefused()
    {
        qunsetenv("PRYX_EXTRA_CA_FILE");
        token = QStringLiteral("secret");
        NetworkAccessManager m;
        QScopedPointer<QNetworkReply> reply(getAbout(m));
        QCOMPARE(reply->error(), QNetworkReply::SslHandshakeFailedError);
        QTest::qWait(200);
        QVERIFY(standIn.requests().isEmpty());
    }

    void throughProxy()
    {
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.error()));
        setProxy("true", "127.0.0.1", QString::number(proxy.port()));
        NetworkAccessManager m;
        QScopedPointer<QNetworkReply> reply(getAbout(m));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(standIn.requests().size(), 1);
        QVERIFY2(proxy.logText().contains("CONNECT") && proxy.logText().contains(QString::number(standIn.port())),
                 qPrintable(proxy.logText()));
        QVERIFY(proxyLogText().endsWith("*** set proxy settings ***\n"));
    }

    // A manager made before the proxy was saved sends its next request
    // through it, and directly again once the proxy is off.
    void proxyReadForEveryRequest()
    {
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.error()));
        NetworkAccessManager m;
        // Its request lines (each client connection also logs a "CONNECT" line).
        const QString tunnel = "CONNECT " + standIn.host();
        auto connects = [&] { return proxy.logText().count(tunnel); };
        QScopedPointer<QNetworkReply> direct(getAbout(m));
        QCOMPARE(direct->error(), QNetworkReply::NoError);
        QVERIFY2(connects() == 0, qPrintable(proxy.logText()));
        setProxy("true", "127.0.0.1", QString::number(proxy.port()));
        QScopedPointer<QNetworkReply> proxied(getAbout(m));
        QCOMPARE(proxied->error(), QNetworkReply::NoError);
        QTRY_COMPARE(connects(), 1);
        setProxy("false", "127.0.0.1", QString::number(proxy.port()));
        QScopedPointer<QNetworkReply> again(getAbout(m));
        QCOMPARE(again->error(), QNetworkReply::NoError);
        QCOMPARE(standIn.requests().size(), 3);
        QTest::qWait(100);
        QCOMPARE(connects(), 1);
    }

    // A manager on a worker thread (the Dropbox upload's) takes the proxy
    // saved on the GUI thread just before.
    void workerThreadTakesTheSavedProxy()
    {
        TinyProxy proxy;
        QVERIFY2(proxy.start(), qPrintable(proxy.error()));
        pryx::net::proxyChoice();   // the program reads the settings at start
        setProxy("true", "127.0.0.1", QString::number(proxy.port()));
        const QUrl url("https://" + standIn.host() + "/drive/v1/about");
        QNetworkReply::NetworkError error = QNetworkReply::UnknownNetworkError;
        QScopedPointer<QThread> worker(QThread::create([&] {
            pryx::net::ProxiedAccessManager m;
            QNetworkRequest request(url);
            request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
            QScopedPointer<QNetworkReply> reply(m.get(request));
            QEventLoop loop;
            QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
            error = reply->error();
        }));
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 15000);
        QCOMPARE(error, QNetworkReply::NoError);
        QCOMPARE(standIn.requests().size(), 1);
        QVERIFY2(proxy.logText().contains("CONNECT " + standIn.host()), qPrintable(proxy.logText()));
    }

    void proxyCredentials()
    {
        TinyProxy proxy;
        QVERIFY2(proxy.start("puser", "ppass"), qPrintable(proxy.error()));
        setProxy("true", "127.0.0.1", QString::number(proxy.port()));
        Setting::instance()->setValue("proxy_user", "puser");
        Setting::instance()->setValue("proxy_password", "wrong");
        {
            NetworkAccessManager m;
            QScopedPointer<QNetworkReply> reply(getAbout(m));
            QVERIFY(reply->error() != QNetworkReply::NoError);
            QVERIFY(standIn.requests().isEmpty());
        }
        Setting::instance()->setValue("proxy_password", "ppass");
        NetworkAccessManager m;
        QScopedPointer<QNetworkReply> reply(getAbout(m));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(standIn.requests().size(), 1);
    }

    // A route file given to the stand-in answers before its built-in routes.
    void standInRouteFile()
    {
        const QString routes = QDir::tempPath() + "/extra_routes.py";
        QFile f(routes);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("def route(handler, entry, state):\n"
                "    if handler.command == 'GET' and handler.path.startswith('/extra'):\n"
                "        handler.send(201, b'extra', {'Content-Type': 'text/plain'}, entry)\n"
                "        return True\n"
                "    return False\n");
        f.close();
        StandIn other;
        other.addRouteFile(routes);
        QVERIFY2(other.start(), qPrintable(other.error()));
        NetworkAccessManager m;
        QNetworkRequest r(QUrl("https://" + other.host() + "/extra?x=1"));
        NetworkAccessManager::getAuthRequest(r);
        QScopedPointer<QNetworkReply> reply(m.get(r));
        QSignalSpy done(reply.data(), &QNetworkReply::finished);
        QVERIFY(done.wait(10000));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 201);
        QCOMPARE(reply->readAll(), QByteArray("extra"));
        QCOMPARE(other.requests().size(), 1);
        QCOMPARE(other.requests()[0].path, QByteArray("/extra?x=1"));
        qputenv("PRYX_EXTRA_CA_FILE", standIn.caFile().toLocal8Bit());
    }

    void proxyAuthWhenProxyOff()
    {
        Setting::instance()->setValue("useProxy", "false");
        Setting::instance()->setValue("proxy_user", "puser");
        NetworkAccessManager m;
        QAuthenticator auth;
        m.proxyAuth(QNetworkProxy(), &auth);
        QVERIFY(auth.user().isEmpty());
        Setting::instance()->setValue("useProxy", "true");
        m.proxyAuth(QNetworkProxy(), &auth);
        QCOMPARE(auth.user(), QStringLiteral("puser"));
    }
};

QTEST_GUILESS_MAIN(TestNetworkAccessManager)
#include "tst_networkaccessmanager.moc"
