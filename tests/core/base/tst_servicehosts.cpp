// Service addresses: built-in hosts, the environment overrides and "-beta".

#include <QtTest>

#include "core/base/servicehosts.h"

using pryx::Service;
Q_DECLARE_METATYPE(pryx::Service)

class TestServiceHosts : public QObject
{
    Q_OBJECT

private slots:
    // The test harness points every host at loopback; start from none.
    void initTestCase()
    {
        for (const char *v : {"PRYX_AUTH_HOST", "PRYX_API_HOST", "PRYX_SUPPORT_HOST", "PRYX_ANALYTICS_HOST",
                              "PRYX_UPDATE_HOST", "PRYX_DROPBOX_WEB_HOST", "PRYX_DROPBOX_API_HOST",
                              "PRYX_DROPBOX_CONTENT_HOST"})
            qunsetenv(v);
    }
    void overrides_data()
    {
        QTest::addColumn<Service>("service");
        QTest::addColumn<QByteArray>("variable");
        QTest::newRow("auth") << Service::Auth << QByteArray("PRYX_AUTH_HOST");
        QTest::newRow("api") << Service::Api << QByteArray("PRYX_API_HOST");
        QTest::newRow("support") << Service::Support << QByteArray("PRYX_SUPPORT_HOST");
        QTest::newRow("analytics") << Service::Analytics << QByteArray("PRYX_ANALYTICS_HOST");
        QTest::newRow("update") << Service::Update << QByteArray("PRYX_UPDATE_HOST");
        QTest::newRow("dropbox web") << Service::DropboxWeb << QByteArray("PRYX_DROPBOX_WEB_HOST");
        QTest::newRow("dropbox api") << Service::DropboxApi << QByteArray("PRYX_DROPBOX_API_HOST");
        QTest::newRow("dropbox content") << Service::DropboxContent
                                         << QByteArray("PRYX_DROPBOX_CONTENT_HOST");
    }
    void overrides()
    {
        QFETCH(Service, service);
        QFETCH(QByteArray, variable);
        QCOMPARE(QByteArray(pryx::serviceHostVariable(service)), variable);
        qunsetenv(variable.constData());
        const QString builtIn = pryx::serviceHost(service);
        QVERIFY(!builtIn.isEmpty());
        QCOMPARE(builtIn, pryx::defaultServiceHost(service));
        QVERIFY(!builtIn.contains("127.0.0.1"));

        qputenv(variable.constData(), "127.0.0.1:4443");
        QCOMPARE(pryx::serviceHost(service), QString("127.0.0.1:4443"));
        // Only this service moves.
        for (Service other : {Service::Auth, Service::Api, Service::Support, Service::Analytics,
                              Service::Update, Service::DropboxWeb, Service::DropboxApi,
                              Service::DropboxContent}) {
            if (other != service)
                QCOMPARE(pryx::serviceHost(other), pryx::defaultServiceHost(other));
        }
        qputenv(variable.constData(), "  ");   // blank counts as unset
        QCOMPARE(pryx::serviceHost(service), builtIn);
        qunsetenv(variable.constData());
    }

    void addresses()
    {
        qputenv("PRYX_AUTH_HOST", "127.0.0.1:1001");
        qputenv("PRYX_API_HOST", "127.0.0.1:1002");
        qputenv("PRYX_SUPPORT_HOST", "127.0.0.1:1003");
        qputenv("PRYX_ANALYTICS_HOST", "127.0.0.1:1004");
        QCOMPARE(pryx::serviceHost(Service::Auth), QString("127.0.0.1:1001"));
        QCOMPARE(pryx::filesApiUrl(),
                 QString("https://127.0.0.1:1002/drive/v1/files?fields=id,alternateLink,selfLink"));
        QCOMPARE(pryx::uploadApiUrl(), QString("https://127.0.0.1:1002/upload/drive/v1/files"));
        QCOMPARE(pryx::supportTicketsUrl(), QString("https://127.0.0.1:1003/support/tickets/"));
        QCOMPARE(pryx::pingUrl(), QString("https://127.0.0.1:1003/ping?q="));
        QCOMPARE(pryx::analyticsUrl(), QString("https://127.0.0.1:1004/collect"));
        QCOMPARE(pryx::appTitle(), QString("Pryx 3.0.48"));

        // "-beta" A B: A is the authorisation host, B the API host, above the
        // environment; the support and analytics hosts stay.
        pryx::setServiceHostOverride(Service::Api, "beta-api.test");
        pryx::setServiceHostOverride(Service::Auth, "beta-auth.test");
        pryx::setServiceHostOverride(Service::Support, "beta-support.test");
        QCOMPARE(pryx::serviceHost(Service::Auth), QString("beta-auth.test"));
        QCOMPARE(pryx::filesApiUrl(),
                 QString("https://beta-api.test/drive/v1/files?fields=id,alternateLink,selfLink"));
        QCOMPARE(pryx::uploadApiUrl(), QString("https://beta-api.test/upload/drive/v1/files"));
        QCOMPARE(pryx::supportTicketsUrl(), QString("https://127.0.0.1:1003/support/tickets/"));
        QCOMPARE(pryx::analyticsUrl(), QString("https://127.0.0.1:1004/collect"));

        // Read each time: the environment still counts for the others, and
        // an empty value lifts the override.
        qputenv("PRYX_SUPPORT_HOST", "127.0.0.1:1005");
        QCOMPARE(pryx::pingUrl(), QString("https://127.0.0.1:1005/ping?q="));
        pryx::setServiceHostOverride(Service::Auth, QString());
        QCOMPARE(pryx::serviceHost(Service::Auth), QString("127.0.0.1:1001"));
        pryx::setServiceHostOverride(Service::Api, QString());
        QCOMPARE(pryx::serviceHost(Service::Api), QString("127.0.0.1:1002"));
    }
};

QTEST_MAIN(TestServiceHosts)
#include "tst_servicehosts.moc"
