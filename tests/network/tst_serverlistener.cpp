// The loopback listener of the social logins: what the browser's requests get
// and which codes are handed on.

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

#include "core/core.h"
#include "network/autorization.h"
#include "network/serverlistener.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "windows/messagedialog.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <cstdio>
#include <QGuiApplication>
#include <QTcpServer>
#include <QUrlQuery>

namespace {

const QByteArray kBadRequest =
    "HTTP/1.1 400 OK\r\nDate: Wed, 11 Feb 2009 11:20:59 GMT\r\nServer: Apache\r\n"
    "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\nLast-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
    "Content-Language: ru\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 152\r\n"
    "Connection: close\r\n\r\n"
    "<html><head><title>400 Bad Request</title></head><body bgcolor=\"white\"><center>"
    "<h1>400 Bad Request</h1></center><hr><center>nginx</center></body></html>";

QByteArray redirect(const QByteArray &host)
{
    return "HTTP/1.1 303 OK\r\nDate: Wed, 11 Feb 2009 11:20:59 GMT\r\nServer: Apache\r\n"
           "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\nLast-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
           "Content-Language: ru\r\nLocation: http://"
         + host + "\r\nConnection: close\r\n\r\n";
}

// Holds every port of the list it can, as another program would.
QList<QTcpServer *> holdPorts(int count)
{
    QList<QTcpServer *> held;
    const QList<quint16> ports = ServerListener::redirectPorts().mid(0, count);
    for (quint16 port : ports) {
        auto *server = new QTcpServer;
        if (server->listen(QHostAddress::LocalHost, port))
            held.append(server);
        else
            delete server;
    }
    return held;
}

// Notes when the first message dialog is shown, in ms of the monotonic clock.
class ShowClock : public QObject
{
public:
    qint64 at = -1;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Show && qobject_cast<MessageDialog *>(watched)) {
            QElapsedTimer t;
            t.start();
            at = t.msecsSinceReference();
        }
        return false;
    }
};

// Everything written to the debug stream while it lives.
class DebugCapture
{
public:
    DebugCapture()
    {
        s_text.clear();
        previous_ = qInstallMessageHandler(&DebugCapture::handler);
    }
    ~DebugCapture() { qInstallMessageHandler(previous_); }
    static QString text()
    {
        QMutexLocker lock(&s_mutex);
        return s_text;
    }

private:
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        QMutexLocker lock(&s_mutex);
        s_text += QString::fromLatin1(context.category ? context.category : "") + ": " + message + "\n";
    }
    static QMutex s_mutex;
    static QString s_text;
    QtMessageHandler previous_ = nullptr;
};
QMutex DebugCapture::s_mutex;
QString DebugCapture::s_text;

// Runs one child mode of this program in a network namespace of its own, so
// that the login ports of tests running beside it do not count; without the
// namespace tool it runs in this namespace.
pryx::test::ChildResult runListenChild(const QString &mode, int timeoutMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PRYX_LISTEN_CHILD"), mode);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString self = QCoreApplication::applicationFilePath();
    const pryx::test::ChildResult probe =
        pryx::test::runChild(QStringLiteral("unshare"), {"-n", "true"}, 5000, env);
    if (probe.exitCode == 0) {
        return pryx::test::runChild(
            QStringLiteral("unshare"),
            {"-n", "sh", "-c", "ip link set lo up && exec \"$0\" \"$@\"", self, "childListen"},
            timeoutMs, env);
    }
    return pryx::test::runChild(self, {"childListen"}, timeoutMs, env);
}

// What one client got back: the bytes, and whether the listener closed.
struct Exchange {
    QByteArray reply;
    bool closedByServer = false;
};

} // namespace

class TestServerListener : public QObject
{
    Q_OBJECT
    ServerListener *listener_ = nullptr;

    Exchange send(const QList<QByteArray> &chunks, int pauseMs = 50)
    {
        Exchange result;
        QTcpSocket client;
        QSignalSpy closed(&client, &QTcpSocket::disconnected);
        connect(&client, &QTcpSocket::readyRead, [&] { result.reply += client.readAll(); });
        client.connectToHost(QHostAddress::LocalHost, listener_->serverPort());
        if (!client.waitForConnected(3000))
            return result;
        for (const QByteArray &chunk : chunks) {
            client.write(chunk);
            client.flush();
            QTest::qWait(pauseMs);
        }
        if (closed.isEmpty())
            closed.wait(3000);
        result.reply += client.readAll();
        result.closedByServer = !closed.isEmpty();
        return result;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QTcpSocket *>();
        if (qEnvironmentVariableIsSet("PRYX_LISTEN_CHILD"))
            return;   // the child makes Core itself
        Core::instance()->setAuthHost(QStringLiteral("auth.pryx.test"));
    }

    void init()
    {
        listener_ = new ServerListener(this);
        connect(listener_, SIGNAL(newConnection()), listener_, SLOT(newClient()));
        QVERIFY(listener_->listen(QHostAddress::LocalHost, 0));
    }
    void cleanup()
    {
        delete listener_;
        listener_ = nullptr;
    }

    void portList()
    {
        const QList<quint16> ports = ServerListener::redirectPorts();
        QCOMPARE(ports.size(), 40);
        QCOMPARE(ports.first(), quint16(62000));
        QCOMPARE(ports.at(9), quint16(62009));
        QCOMPARE(ports.at(10), quint16(63000));
        QCOMPARE(ports.at(20), quint16(64000));
        QCOMPARE(ports.last(), quint16(65009));
    }

    void replies()
    {
        QCOMPARE(ServerListener::badRequestReply(), kBadRequest);
        QCOMPARE(ServerListener::redirectReply("login.example:8443"), redirect("login.example:8443"));
    }

    void requests_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("code");   // empty: refused with 400

        const QByteArray tail = "Host: localhost:62000\r\nUser-Agent: browser\r\n\r\n";
        QTest::newRow("plain code") << QList<QByteArray>{"GET /?code=abc HTTP/1.1\r\n" + tail}
                                    << "abc";
        QTest::newRow("code with state") << QList<QByteArray>{"GET /?code=abc&state=x HTTP/1.1\r\n" + tail}
                                         << "abc";
        QTest::newRow("state first") << QList<QByteArray>{"GET /?state=x&code=Q9_z-1 HTTP/1.1\r\n" + tail}
                                     << "Q9_z-1";
        QTest::newRow("percent-encoded") << QList<QByteArray>{"GET /?code=a%2Bb%2F%3D HTTP/1.1\r\n" + tail}
                                         << "a+b/=";
        QTest::newRow("HTTP/1.0") << QList<QByteArray>{"GET /?code=abc HTTP/1.0\r\n\r\n"} << "abc";
        QTest::newRow("head in pieces")
            << QList<QByteArray>{"GET /?co", "de=split HTTP/1.1\r\nHost: local", "host\r\n\r\n"}
            << "split";
        QTest::newRow("site icon") << QList<QByteArray>{"GET /favicon.ico HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("code in a header only")
            << QList<QByteArray>{"GET / HTTP/1.1\r\nX-code: code=abc\r\n\r\n"} << "";
        QTest::newRow("other path") << QList<QByteArray>{"GET /x?code=abc HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("POST") << QList<QByteArray>{"POST /?code=abc HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("similar name") << QList<QByteArray>{"GET /?xcode=abc HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("empty code") << QList<QByteArray>{"GET /?code= HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("code without =") << QList<QByteArray>{"GET /?code HTTP/1.1\r\n" + tail} << "";
        QTest::newRow("no version") << QList<QByteArray>{"GET /?code=abc\r\n\r\n"} << "";
        QTest::newRow("not HTTP") << QList<QByteArray>{QByteArray::fromHex("1603010200") + "code=1\r\n\r\n"}
                                  << "";
        QTest::newRow("endless head")
            << QList<QByteArray>{"GET /?code=abc HTTP/1.1\r\n", QByteArray(ServerListener::kMaxHeadSize, 'a')}
            << "";
    }
    void requests()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, code);
        listener_->setExpectingCode(true);
        QSignalSpy codes(listener_, SIGNAL(checkCode(QTcpSocket*,QString)));

        const Exchange got = send(chunks);
        QVERIFY2(got.closedByServer, "the listener left the socket open");
        if (code.isEmpty()) {
            QCOMPARE(got.reply, kBadRequest);
            QCOMPARE(codes.size(), 0);
            QVERIFY(listener_->isExpectingCode());
        } else {
            QCOMPARE(got.reply, redirect("auth.pryx.test"));
            QCOMPARE(codes.size(), 1);
            QCOMPARE(codes.at(0).at(1).toString(), code);
            QVERIFY(!listener_->isExpectingCode());
        }
    }

    // Only a social login started by the user may hand a code on, and only
    // one code per login.
    void codeOnlyWhileLoginPending()
    {
        QSignalSpy codes(listener_, SIGNAL(checkCode(QTcpSocket*,QString)));
        const QByteArray request = "GET /?code=abc HTTP/1.1\r\n\r\n";

        QCOMPARE(send({request}).reply, kBadRequest);
        QCOMPARE(codes.size(), 0);

        listener_->setExpectingCode(true);
        QCOMPARE(send({request}).reply, redirect("auth.pryx.test"));
        QCOMPARE(codes.size(), 1);

        QCOMPARE(send({"GET /?code=replayed HTTP/1.1\r\n\r\n"}).reply, kBadRequest);
        QCOMPARE(codes.size(), 1);
    }

    // The Location follows the login host, also after "-beta" replaced it.
    void locationIsLoginHost()
    {
        Core::instance()->setAuthHost(QStringLiteral("beta.pryx.test"));
        listener_->setExpectingCode(true);
        QCOMPARE(send({"GET /?code=abc HTTP/1.1\r\n\r\n"}).reply, redirect("beta.pryx.test"));
        Core::instance()->setAuthHost(QStringLiteral("auth.pryx.test"));
    }

    // Several browsers at once: each is answered and closed; one code wins.
    void clientsSideBySide()
    {
        listener_->setExpectingCode(true);
        QSignalSpy codes(listener_, SIGNAL(checkCode(QTcpSocket*,QString)));
        QList<QTcpSocket *> clients;
        for (int i = 0; i < 4; ++i) {
            auto *c = new QTcpSocket(this);
            c->connectToHost(QHostAddress::LocalHost, listener_->serverPort());
            clients.append(c);
        }
        for (QTcpSocket *c : clients)
            QVERIFY(c->waitForConnected(3000));
        clients[0]->write("GET /favicon.ico HTTP/1.1\r\n\r\n");
        clients[1]->write("GET /?code=first HTTP/1.1\r\n\r\n");
        clients[2]->write("GET /?code=second HTTP/1.1\r\n\r\n");
        for (QTcpSocket *c : clients)
            c->flush();
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE(clients[i]->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(codes.size(), 1);
        // The silent one is still waiting; the listener drops it later.
        QCOMPARE(clients[3]->state(), QAbstractSocket::ConnectedState);
        qDeleteAll(clients);
    }

    // With the first ten ports taken the listener opens 63000, and the
    // social-login address carries that port.
    void portFallback()
    {
        const pryx::test::ChildResult r = runListenChild(QStringLiteral("fallback"), 30000);
        QVERIFY2(!r.timedOut && !r.crashed && r.exitCode == 0, (r.out + r.err).constData());
        QVERIFY2(r.out.contains("port=63000\n"), (r.out + r.err).constData());
        QVERIFY2(r.out.contains("redirect=http://localhost:63000\n"), (r.out + r.err).constData());
    }

    // With all forty taken: "Error start socket", and the program ends 10 s later.
    void noPortFree()
    {
        QElapsedTimer clock;
        clock.start();
        const pryx::test::ChildResult r = runListenChild(QStringLiteral("none"), 40000);
        QVERIFY2(!r.timedOut && !r.crashed && r.exitCode == 0, (r.out + r.err).constData());
        QVERIFY2(r.out.contains("dialog=Error start socket\n"), (r.out + r.err).constData());
        QVERIFY2(r.out.contains("port=0\n"), (r.out + r.err).constData());
        QVERIFY2(!r.out.contains("still running"), (r.out + r.err).constData());
        // The child reports when its dialog was shown, on the monotonic clock
        // this process reads too: the exit comes 10 s after that, not earlier.
        QElapsedTimer now;
        now.start();
        const qint64 exitAt = now.msecsSinceReference();
        bool ok = false;
        const qint64 shownAt = r.out.mid(r.out.indexOf("shown-at=") + 9).split('\n').value(0).toLongLong(&ok);
        QVERIFY2(r.out.contains("shown-at=") && ok, r.out.constData());
        QVERIFY2(exitAt - shownAt >= 10000, qPrintable(QString::number(exitAt - shownAt)));
        QVERIFY2(clock.elapsed() >= 10000, qPrintable(QString::number(clock.elapsed())));
    }

    // The child side of the two tests above.
    void childListen()
    {
        const QString mode = qEnvironmentVariable("PRYX_LISTEN_CHILD");
        if (mode.isEmpty())
            QSKIP("runs in a child process only");
        const QList<QTcpServer *> held = holdPorts(mode == QLatin1String("none") ? 40 : 10);
        ShowClock dialogShown;
        qApp->installEventFilter(&dialogShown);
        Autorization *account = Core::instance()->account();
        qApp->removeEventFilter(&dialogShown);
        QVERIFY(account);
        std::printf("held=%d\nport=%d\n", int(held.size()), account->redirectPort());
        const QUrl continueUri(QUrl::fromPercentEncoding(
            QUrlQuery(account->socialLoginUrl(QStringLiteral("/connect/facebook")))
                .queryItemValue(QStringLiteral("continue_uri"), QUrl::FullyEncoded)
                .toLatin1()));
        std::printf("redirect=%s\n",
                    qPrintable(QUrlQuery(continueUri).queryItemValue(QStringLiteral("redirect_uri"))));
        if (mode == QLatin1String("none")) {
            QTest::qWait(200);
            for (QWindow *w : QGuiApplication::topLevelWindows()) {
                if (auto *d = qobject_cast<MessageDialog *>(w)) {
                    if (d->isVisible())
                        std::printf("dialog=%s\nmessage=%s\n", qPrintable(d->data("title").toString()),
                                    qPrintable(d->data("message").toString()));
                }
            }
            std::printf("shown-at=%lld\n", dialogShown.at);
            std::fflush(stdout);
            QTest::qWait(20000);   // Core::exitApp ends the process before this
            std::printf("still running\n");
        }
        std::fflush(stdout);
    }

    // The wait for a code ends 10 minutes after the login started; a code
    // after that is refused, and a new login waits afresh.
    void codeAfterTimeLimitRefused()
    {
        QCOMPARE(ServerListener().codeWaitLimit(), 10 * 60 * 1000);
        QSignalSpy codes(listener_, SIGNAL(checkCode(QTcpSocket*,QString)));
        listener_->setCodeWaitLimit(300);
        listener_->setExpectingCode(true);
        QVERIFY(listener_->isExpectingCode());
        QTRY_VERIFY_WITH_TIMEOUT(!listener_->isExpectingCode(), 5000);
        QCOMPARE(send({"GET /?code=late HTTP/1.1\r\n\r\n"}).reply, kBadRequest);
        QCOMPARE(codes.size(), 0);

        listener_->setExpectingCode(true);
        QCOMPARE(send({"GET /?code=intime HTTP/1.1\r\n\r\n"}).reply, redirect("auth.pryx.test"));
        QCOMPARE(codes.size(), 1);
        QCOMPARE(codes.at(0).at(1).toString(), QStringLiteral("intime"));
    }

    // Neither a taken nor a refused code reaches the debug stream, in any
    // spelling of its query.
    void debugStreamHoldsNoCode_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("expecting");
        QTest::newRow("taken") << QByteArray("GET /?code=Zq81secret&state=st9secret HTTP/1.1\r\n"
                                             "Host: localhost\r\n\r\n")
                               << true;
        QTest::newRow("refused, no login waiting")
            << QByteArray("GET /?code=Zq81secret HTTP/1.1\r\n\r\n") << false;
        QTest::newRow("encoded name") << QByteArray("GET /?c%6Fde=Zq81secret HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("second code") << QByteArray("GET /?code=Zq81secret HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("head never ends") << QByteArray("GET /?code=Zq81secret HTTP/1.1\r\n")
                                         + QByteArray(ServerListener::kMaxHeadSize, 'a')
                                         << true;
    }
    void debugStreamHoldsNoCode()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, expecting);
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
        listener_->setExpectingCode(expecting);
        if (QByteArray(QTest::currentDataTag()) == "second code")
            QVERIFY(!send({"GET /?code=first HTTP/1.1\r\n\r\n"}).reply.isEmpty());
        QString seen;
        {
            DebugCapture capture;
            QVERIFY(send({request}).closedByServer);
            QTest::qWait(50);
            seen = DebugCapture::text();
        }
        QLoggingCategory::setFilterRules(QString());
        QVERIFY2(seen.contains("clientReady"), qPrintable(seen));   // the request was logged
        QVERIFY2(!seen.contains("Zq81secret") && !seen.contains("st9secret"), qPrintable(seen));
    }

    // The same through the program's own "-debug" console: a page that
    // hands the running program a code does not see it printed.
    void programDebugHoldsNoCode()
    {
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), {"-debug"}));
        QVERIFY2(child.waitFor("login listener on port", 20000), child.output().constData());
        const QRegularExpressionMatch port =
            QRegularExpression("login listener on port (\\d+)").match(QString::fromUtf8(child.output()));
        QVERIFY(port.hasMatch());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, quint16(port.captured(1).toUInt()));
        QVERIFY(client.waitForConnected(5000));
        client.write("GET /?code=Zq81secret&state=st9secret HTTP/1.1\r\nHost: localhost\r\n\r\n");
        QByteArray reply;
        QElapsedTimer clock;
        clock.start();
        while (!reply.contains("</html>") && clock.elapsed() < 10000) {
            client.waitForReadyRead(100);
            reply += client.readAll();
        }
        QVERIFY2(reply.startsWith("HTTP/1.1 400 OK"), reply.constData());   // no login was started
        QVERIFY(child.waitFor("clientReady", 5000));
        QTest::qWait(200);
        child.stop();
        QVERIFY2(!child.output().contains("Zq81secret"), child.output().constData());
        QVERIFY2(!child.output().contains("st9secret"), child.output().constData());
    }

    void silentClientDropped()
    {
        listener_->setClientTimeout(300);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, listener_->serverPort());
        QVERIFY(client.waitForConnected(3000));
        client.write("GET /?code=abc HTTP/1.1\r\n");   // the head never ends
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    }
};

QTEST_MAIN(TestServerListener)
#include "tst_serverlistener.moc"
