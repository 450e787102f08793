// Reply readers: JSON create reply and user info, XML update and account replies.
#include "core/base/setting.h"
#include "network/networkreadreply.h"
#include "network/session.h"

#include <QSignalSpy>
#include <QtTest>

using Map = QMap<QString, QString>;

class TestNetworkReadReply : public QObject
{
    Q_OBJECT
private slots:
    // Settings writes are done before the application object goes.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void readInit_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("link");
        QTest::newRow("full") << QByteArray("{\"id\":\"a1\",\"alternateLink\":\"https://x/s/a1\",\"selfLink\":\"\"}")
                              << "a1" << "https://x/s/a1";
        QTest::newRow("empty") << QByteArray() << "" << "";
        QTest::newRow("not json") << QByteArray("<html>moved</html>") << "" << "";
        QTest::newRow("array") << QByteArray("[\"id\"]") << "" << "";
        QTest::newRow("number id") << QByteArray("{\"id\":5,\"alternateLink\":\"l\"}") << "" << "l";
    }
    void readInit()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, id);
        QFETCH(QString, link);
        NetworkReadReply r;
        const Map m = r.readInit(body);
        QCOMPARE(m.value("id"), id);
        QCOMPARE(m.value("alternateLink"), link);
        QVERIFY(m.contains("selfLink"));
    }

    void readUserInfo_data()
    {
        QTest::addColumn<QByteArray>("quota");
        QTest::addColumn<QString>("expected");
        QTest::newRow("integer") << QByteArray("1073741824") << "1073741824";
        QTest::newRow("exponent") << QByteArray("1.5e12") << "1500000000000";
        QTest::newRow("fraction zero") << QByteArray("1073741824.0") << "1073741824";
        QTest::newRow("string") << QByteArray("\"5368709120\"") << "5368709120";
        QTest::newRow("large") << QByteArray("1e15") << "1000000000000000";
        QTest::newRow("bool") << QByteArray("true") << "";
    }
    void readUserInfo()
    {
        QFETCH(QByteArray, quota);
        QFETCH(QString, expected);
        const QByteArray body = "{\"quotaBytesTotal\":" + quota + ",\"quotaBytesUsed\":2048,"
            "\"maxUploadSizes\":[{\"size\":\"104857600\"}],\"user\":{\"displayName\":\"Ann\","
            "\"emailAddress\":\"a@b.c\",\"isAuthenticatedUser\":\"true\",\"picture\":{\"url\":\"u\"}}}";
        NetworkReadReply r;
        const Map m = r.readUserInfo(body);
        QCOMPARE(m.value("quotaBytesTotal"), expected);
        QCOMPARE(m.value("quotaBytesUsed"), QStringLiteral("2048"));
        QCOMPARE(m.value("maxUploadSizes"), QStringLiteral("104857600"));
        QCOMPARE(m.value("displayName"), QStringLiteral("Ann"));
        QCOMPARE(m.value("emailAddress"), QStringLiteral("a@b.c"));
        QCOMPARE(m.value("isAuthenticatedUser"), QStringLiteral("true"));
        QCOMPARE(m.value("picture"), QStringLiteral("u"));
    }
    void readUserInfoWrongTypes()
    {
        NetworkReadReply r;
        const Map m = r.readUserInfo("{\"maxUploadSizes\":[{\"size\":100}],\"user\":{\"isAuthenticatedUser\":true}}");
        QCOMPARE(m.value("maxUploadSizes"), QString());
        QCOMPARE(m.value("isAuthenticatedUser"), QString());
        QCOMPARE(m.value("quotaBytesTotal"), QString());
    }

    void update_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("emitted");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<bool>("license");
        QTest::newRow("error 1") << QByteArray("<server><update error=\"1\"><version critical=\"1\">3.1</version></update></server>")
                                 << false << false << false;
        QTest::newRow("error 0") << QByteArray("<server><update error=\"0\"><version critical=\"1\" license=\"true\">3.1</version><link>L</link><md5>M</md5></update></server>")
                                 << true << true << true;
        QTest::newRow("no error attr") << QByteArray("<server><update><version critical=\"true\" license=\"0\">3.1</version><link>L</link><md5>M</md5></update></server>")
                                       << true << true << false;
        QTest::newRow("false") << QByteArray("<server><update><version critical=\"false\">3.1</version><link>L</link><md5>M</md5></update></server>")
                               << true << false << false;
    }
    void update()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, emitted);
        QFETCH(bool, critical);
        QFETCH(bool, license);
        NetworkReadReply r;
        QSignalSpy spy(&r, &NetworkReadReply::updateVersionReady);
        QSignalSpy ready(&r, &NetworkReadReply::readReady);
        r.readReply(xml);
        QCOMPARE(ready.count(), 1);
        QCOMPARE(spy.count(), emitted ? 1 : 0);
        if (emitted) {
            QCOMPARE(spy[0][0].toString(), QStringLiteral("3.1"));
            QCOMPARE(spy[0][1].toBool(), critical);
            QCOMPARE(spy[0][2].toBool(), license);
            QCOMPARE(spy[0][3].toString(), QStringLiteral("L"));
            QCOMPARE(spy[0][4].toString(), QStringLiteral("M"));
        }
    }

    void serverSessionAndHistory()
    {
        NetworkReadReply r;
        QSignalSpy hist(&r, &NetworkReadReply::historyLinkReady);
        r.readReply("<server version=\"7\" session=\"s1\"><getHistory><url>a</url><url>b</url></getHistory></server>");
        QCOMPARE(Session::instance()->version(), QStringLiteral("7"));
        QCOMPARE(Session::instance()->session(), QStringLiteral("s1"));
        QCOMPARE(hist.count(), 1);
        QCOMPARE(hist[0][0].value<QList<QString>>(), (QList<QString>{"a", "b"}));
    }

    void response()
    {
        Setting *s = Setting::instance();
        NetworkReadReply r;
        r.readReply("<response><disk quota=\"x12\" usage=\"300\" max_post_size=\"1048576\"/>"
                    "<user><name>Ann</name><email>a@b.c</email><avatar>av</avatar></user></response>");
        QCOMPARE(s->getValue("quota").toULongLong(), 0ull);
        QCOMPARE(s->getValue("usage").toULongLong(), 300ull);
        QCOMPARE(s->getValue("max_post_size").toULongLong(), 1048576ull);
        QCOMPARE(s->getValue("username").toString(), QStringLiteral("Ann"));
        QCOMPARE(s->getValue("usermail").toString(), QStringLiteral("a@b.c"));
        QCOMPARE(s->getValue("useravatar").toString(), QStringLiteral("av"));
    }

    void notXmlStillReady()
    {
        NetworkReadReply r;
        QSignalSpy ready(&r, &NetworkReadReply::readReady);
        r.readReply("{not xml");
        r.readReply(QByteArray());
        QCOMPARE(ready.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestNetworkReadReply)
#include "tst_networkreadreply.moc"
