// Analytics events as a stand-in collector on 127.0.0.1 receives them.

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "core/base/localregistry.h"
#include "core/core.h"
#include "network/analyticsevent.h"
#include "network/statisticmodule.h"
#include "support/testsupport.h"

namespace {
const QString kTid = "UA-118430627-1";
const QRegularExpression kUuid("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
} // namespace

// Reads HTTP requests, records them and answers 200 (or closes at once).
class Collector : public QObject
{
    Q_OBJECT
public:
    struct Request {
        QByteArray method, path, body;
    };
    QList<Request> requests;
    bool drop = false;

    bool listen()
    {
        connect(&server_, &QTcpServer::newConnection, this, &Collector::accept);
        return server_.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return server_.serverPort(); }

private slots:
    void accept()
    {
        while (QTcpSocket *s = server_.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    }

private:
    void read(QTcpSocket *s)
    {
        QByteArray &buf = buffers_[s];
        buf += s->readAll();
        const int end = buf.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buf.left(end);
        int length = 0;
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toInt();
        }
        if (buf.size() < end + 4 + length)
            return;
        const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
        requests.append({first.value(0), first.value(1), buf.mid(end + 4, length)});
        buffers_.remove(s);
        if (drop) {
            s->abort();
            return;
        }
        s->write("HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 2\r\n"
                 "Connection: close\r\n\r\nok");
        s->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> buffers_;
};

class TestAnalyticsEvent : public QObject
{
    Q_OBJECT
    Collector collector_;

    QByteArray expected(const QString &ec, const QString &ea, const QString &label = QString())
    {
        QString body = QString("v=1&tid=%1&cid=%2&t=event&ec=%3&ea=%4&an=Pryx")
                           .arg(kTid, StatisticModule::readClientId(), ec, ea);
        if (!label.isEmpty())
            body += "&el=" + label;
        return body.toUtf8();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(collector_.listen());
        qputenv("PRYX_ANALYTICS_HOST", "127.0.0.1:" + QByteArray::number(collector_.port()));
    }
    void init()
    {
        collector_.requests.clear();
        collector_.drop = false;
    }

    void bodies_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("ec");
        QTest::addColumn<QString>("ea");
        QTest::newRow("size change") << 0 << 0 << "" << "size" << "change";
        QTest::newRow("color change with colour") << 1 << 0 << "#ba0500" << "color" << "change";
        QTest::newRow("capture hotkey fragment") << 2 << 2 << "fragment" << "capture" << "hotkey";
        QTest::newRow("logout: auth auth") << 3 << 3 << "" << "auth" << "auth";
        QTest::newRow("app, action 4 is signout") << 4 << 4 << "" << "app" << "signout";
        QTest::newRow("tool use") << 5 << 5 << "Arrow" << "tool" << "use";
        QTest::newRow("tool click") << 5 << 1 << "" << "tool" << "click";
        QTest::newRow("unknown category") << 6 << 1 << "" << "undefined" << "click";
        QTest::newRow("unknown action") << 2 << 9 << "" << "capture" << "undefined";
        QTest::newRow("negative values") << -1 << -1 << "" << "undefined" << "undefined";
        QTest::newRow("label sent unchanged") << 5 << 5 << "a&b=c d" << "tool" << "use";
    }
    void bodies()
    {
        QFETCH(int, category);
        QFETCH(int, action);
        QFETCH(QString, label);
        QFETCH(QString, ec);
        QFETCH(QString, ea);
        QPointer<AnalyticsEvent> event = new AnalyticsEvent(category, action, true, label);
        QTRY_COMPARE(collector_.requests.size(), 1);
        QCOMPARE(collector_.requests.at(0).method, QByteArray("POST"));
        QCOMPARE(collector_.requests.at(0).path, QByteArray("/collect"));
        QCOMPARE(collector_.requests.at(0).body, expected(ec, ea, label));
        // The event frees itself once the reply is in.
        QTRY_VERIFY(event.isNull());
    }

    void unsentEventSendsNothing()
    {
        auto *event = new AnalyticsEvent(2, 2, false, "fragment");
        auto *plain = new AnalyticsEvent();
        QTest::qWait(300);
        QVERIFY(collector_.requests.isEmpty());
        plain->send();
        QTRY_COMPARE(collector_.requests.size(), 1);
        QCOMPARE(collector_.requests.at(0).body, expected("size", "change"));
        delete event;
    }

    void failedSendFreesEvent()
    {
        collector_.drop = true;
        QPointer<AnalyticsEvent> event = new AnalyticsEvent(4, 1, true, QString());
        QTRY_VERIFY(event.isNull());
        QVERIFY(!collector_.requests.isEmpty());   // Qt may retry once on a dropped connection
    }

    void coreEvents()
    {
        Core *core = Core::instance();
        core->addAnalyticsEvent(AnalyticsEvent::CategoryCapture, AnalyticsEvent::ActionHotkey, true,
                                "smart");
        QTRY_COMPARE(collector_.requests.size(), 1);
        QCOMPARE(collector_.requests.at(0).body, expected("capture", "hotkey", "smart"));
        core->addAnalyticsEvent(1, 0);          // not sent
        core->addAnalyticsEvent(1, 0, false);   // not sent
        core->addAnalyticsEvent(3, 3, true);
        QTRY_COMPARE(collector_.requests.size(), 2);
        QCOMPARE(collector_.requests.at(1).body, expected("auth", "auth"));
        QTest::qWait(200);
        QCOMPARE(collector_.requests.size(), 2);
        QCOMPARE(core->analyticsUrl(), "https://127.0.0.1:" + QString::number(collector_.port())
                                           + "/collect");
    }

    // The first event of a new installation creates the client id; later
    // processes send the same one.
    void clientIdKeptAcrossRestarts()
    {
        QFile::remove(pryx::localRegistryPath());
        for (int run = 0; run < 2; ++run) {
            // Run without blocking: the collector lives in this event loop.
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(PRYX_CORE_DRIVER, {"analytics", "4", "5", QString("run%1").arg(run)});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 15000);
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     child.readAll().constData());
        }
        QTRY_COMPARE(collector_.requests.size(), 2);
        const QRegularExpression cid("&cid=([^&]*)&");
        const QString first = cid.match(QString::fromUtf8(collector_.requests.at(0).body)).captured(1);
        const QString second = cid.match(QString::fromUtf8(collector_.requests.at(1).body)).captured(1);
        QVERIFY2(kUuid.match(first).hasMatch(), qPrintable(first));
        QCOMPARE(second, first);
        QCOMPARE(pryx::localRegistryValue("cid").toString(), first);
        QVERIFY(collector_.requests.at(1).body.endsWith("&ec=app&ea=use&an=Pryx&el=run1"));
        QCOMPARE(StatisticModule::readClientId(), first);
    }

    void clientIdFormat()
    {
        QFile::remove(pryx::localRegistryPath());
        const QString id = StatisticModule::readClientId();
        QCOMPARE(id.size(), 36);
        QVERIFY(kUuid.match(id).hasMatch());
        QCOMPARE(StatisticModule::readClientId(), id);
        QFile::remove(pryx::localRegistryPath());
        QVERIFY(StatisticModule::readClientId() != id);
    }

    void queuedModuleBody()
    {
        StatisticModule module;
        module.addEvent("click", "tool");
        const QString cid = StatisticModule::readClientId();
        QCOMPARE(module.body(), "t=event&ec=tool&ea=click&cid=" + cid);
        module.addEvent("change", "size", "4", "Pen");
        QCOMPARE(module.body(), "[0]t=event&[0]ec=tool&[0]ea=click&[0]cid=" + cid
                                    + "&[1]t=event&[1]ec=size&[1]ea=change&[1]cid=" + cid
                                    + "&[1]el=Pen&[1]ev=4");
    }
};

QTEST_MAIN(TestAnalyticsEvent)
#include "tst_analyticsevent.moc"
