// Analytics events as the HTTPS stand-in on 127.0.0.1 receives them.

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
#include <QtTest>

#include "core/base/localregistry.h"
#include "core/core.h"
#include "network/analyticsevent.h"
#include "network/statisticmodule.h"
#include "support/standin.h"
#include "support/testsupport.h"

namespace {
const QString kTid = "UA-118430627-1";
const QRegularExpression kUuid("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
} // namespace

// What the collector (the HTTPS stand-in) received, oldest first.
struct Sent {
    QByteArray method, path, body;
};

class TestAnalyticsEvent : public QObject
{
    Q_OBJECT
    pryx::test::StandIn standIn_;

    QList<Sent> sent() const
    {
        QList<Sent> list;
        for (const pryx::test::StandInRequest &r : standIn_.requests())
            list.append({r.method.toLatin1(), r.path, r.body});
        return list;
    }

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
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        qputenv("PRYX_ANALYTICS_HOST", standIn_.host().toLatin1());
    }
    void init()
    {
        standIn_.setScript({});
        standIn_.clearLog();
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
        QTRY_COMPARE(sent().size(), 1);
        QCOMPARE(sent().at(0).method, QByteArray("POST"));
        QCOMPARE(sent().at(0).path, QByteArray("/collect"));
        QCOMPARE(sent().at(0).body, expected(ec, ea, label));
        // The event frees itself once the reply is in.
        QTRY_VERIFY(event.isNull());
    }

    void unsentEventSendsNothing()
    {
        auto *event = new AnalyticsEvent(2, 2, false, "fragment");
        auto *plain = new AnalyticsEvent();
        QTest::qWait(300);
        QVERIFY(sent().isEmpty());
        plain->send();
        QTRY_COMPARE(sent().size(), 1);
        QCOMPARE(sent().at(0).body, expected("size", "change"));
        delete event;
    }

    void failedSendFreesEvent()
    {
        standIn_.setScript(QJsonArray{QJsonObject{{"path", "^/collect"}, {"close", true}}});
        QPointer<AnalyticsEvent> event = new AnalyticsEvent(4, 1, true, QString());
        QTRY_VERIFY(event.isNull());
        QVERIFY(!sent().isEmpty());   // Qt may retry once on a dropped connection
    }

    // Events go over https with the collector's certificate verified: one
    // that cannot be verified gets nothing, and the event is dropped quietly.
    void unverifiedCollectorGetsNothing()
    {
        const QByteArray ca = qgetenv("PRYX_EXTRA_CA_FILE");
        qunsetenv("PRYX_EXTRA_CA_FILE");
        QPointer<AnalyticsEvent> event = new AnalyticsEvent(4, 1, true, QString());
        QTRY_VERIFY(event.isNull());
        qputenv("PRYX_EXTRA_CA_FILE", ca);
        QTest::qWait(200);
        QVERIFY(sent().isEmpty());
    }

    void coreEvents()
    {
        Core *core = Core::instance();
        core->addAnalyticsEvent(AnalyticsEvent::CategoryCapture, AnalyticsEvent::ActionHotkey, true,
                                "smart");
        QTRY_COMPARE(sent().size(), 1);
        QCOMPARE(sent().at(0).body, expected("capture", "hotkey", "smart"));
        core->addAnalyticsEvent(1, 0);          // not sent
        core->addAnalyticsEvent(1, 0, false);   // not sent
        core->addAnalyticsEvent(3, 3, true);
        QTRY_COMPARE(sent().size(), 2);
        QCOMPARE(sent().at(1).body, expected("auth", "auth"));
        QTest::qWait(200);
        QCOMPARE(sent().size(), 2);
        QCOMPARE(core->analyticsUrl(), "https://" + standIn_.host()
                                           + "/collect");
    }

    // The first event of a new installation creates the client id; later
    // processes send the same one.
    void clientIdKeptAcrossRestarts()
    {
        QFile::remove(pryx::localRegistryPath());
        for (int run = 0; run < 2; ++run) {
            // The stand-in logs what the children send.
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(PRYX_CORE_DRIVER, {"analytics", "4", "5", QString("run%1").arg(run)});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 15000);
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     child.readAll().constData());
        }
        QTRY_COMPARE(sent().size(), 2);
        const QRegularExpression cid("&cid=([^&]*)&");
        const QString first = cid.match(QString::fromUtf8(sent().at(0).body)).captured(1);
        const QString second = cid.match(QString::fromUtf8(sent().at(1).body)).captured(1);
        QVERIFY2(kUuid.match(first).hasMatch(), qPrintable(first));
        QCOMPARE(second, first);
        QCOMPARE(pryx::localRegistryValue("cid").toString(), first);
        QVERIFY(sent().at(1).body.endsWith("&ec=app&ea=use&an=Pryx&el=run1"));
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
