// Core's service addresses and the host the settings page shows follow the
// service-host module: the environment read each time, "-beta" through Core.

#include <QtTest>

#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "core/core.h"

class TestCoreAddresses : public QObject
{
    Q_OBJECT

private slots:
    void addressesFollowTheHosts()
    {
        qputenv("PRYX_AUTH_HOST", "127.0.0.1:1001");
        qputenv("PRYX_API_HOST", "127.0.0.1:1002");
        qputenv("PRYX_SUPPORT_HOST", "127.0.0.1:1003");
        qputenv("PRYX_ANALYTICS_HOST", "127.0.0.1:1004");
        Core *core = Core::instance();
        QCOMPARE(core->authHost(), QString("127.0.0.1:1001"));
        QCOMPARE(core->apiHost(), QString("127.0.0.1:1002"));
        QCOMPARE(core->filesApiUrl(),
                 QString("https://127.0.0.1:1002/drive/v1/files?fields=id,alternateLink,selfLink"));
        QCOMPARE(core->uploadApiUrl(), QString("https://127.0.0.1:1002/upload/drive/v1/files"));
        QCOMPARE(core->supportTicketsUrl(), QString("https://127.0.0.1:1003/support/tickets/"));
        QCOMPARE(core->pingUrl(), QString("https://127.0.0.1:1003/ping?q="));
        QCOMPARE(core->analyticsUrl(), QString("https://127.0.0.1:1004/collect"));
        QCOMPARE(core->appTitle(), QString("Pryx " PRYX_VERSION));
        QCOMPARE(Setting::instance()->currentHostUrl().toString(), QString("127.0.0.1:1001"));

        // Changed after Core was made: read again.
        qputenv("PRYX_AUTH_HOST", "127.0.0.1:1011");
        qputenv("PRYX_API_HOST", "127.0.0.1:1012");
        QCOMPARE(core->authHost(), QString("127.0.0.1:1011"));
        QCOMPARE(core->uploadApiUrl(), QString("https://127.0.0.1:1012/upload/drive/v1/files"));
        QCOMPARE(Setting::instance()->currentHostUrl().toString(), QString("127.0.0.1:1011"));

        // "-beta" A B: above the environment, for every reader of the hosts.
        core->setAuthHost("beta-auth.test");
        core->setApiHost("beta-api.test");
        QCOMPARE(core->authHost(), QString("beta-auth.test"));
        QCOMPARE(core->apiHost(), QString("beta-api.test"));
        QCOMPARE(pryx::serviceHost(pryx::Service::Auth), QString("beta-auth.test"));
        QCOMPARE(Setting::instance()->currentHostUrl().toString(), QString("beta-auth.test"));
        QCOMPARE(core->filesApiUrl(),
                 QString("https://beta-api.test/drive/v1/files?fields=id,alternateLink,selfLink"));
        QCOMPARE(pryx::uploadApiUrl(), QString("https://beta-api.test/upload/drive/v1/files"));
        QCOMPARE(core->supportTicketsUrl(), QString("https://127.0.0.1:1003/support/tickets/"));
        QCOMPARE(core->analyticsUrl(), QString("https://127.0.0.1:1004/collect"));
    }
};

QTEST_MAIN(TestCoreAddresses)
#include "tst_coreaddresses.moc"
