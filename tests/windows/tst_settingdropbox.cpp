// The Dropbox storage page with the program's own account objects against the
// Dropbox stand-in: authorisation through the captured browser address, the
// account shown from the service's answers, logout from the page.
#include "core/base/setting.h"
#include "core/core.h"
#include "network/autorization.h"
#include "network/dropboxauth.h"
#include "windows/settingwidget.h"

#include "support/dropboxstandin.h"
#include "support/qmlstandins.h"
#include "support/quickitems.h"

#include <QDesktopServices>
#include <QQuickItem>
#include <QtTest>

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TstSettingDropbox : public QObject
{
    Q_OBJECT
    pryx::test::DropboxStandin standin_;
    UrlRecorder browser_;
    pryx::test::WarningCollector warnings_;
    QScopedPointer<SettingWidget> w_;

    Setting *st() { return Setting::instance(); }
    QQuickItem *item(const char *name)
    {
        QQuickItem *i = w_->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
        if (!i)
            qWarning() << "no item" << name;
        return i;
    }
    void click(const char *name)
    {
        pryx::test::clickItem(w_.data(), item(name));
        QTest::qWait(30);
    }
    bool shown(const char *name)
    {
        QQuickItem *i = item(name);
        return i && i->isVisible();
    }
    QString text(const char *name) { return item(name) ? item(name)->property("text").toString() : QString(); }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(standin_.start(&error), qPrintable(error));
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser_, "open");
        st()->setValue("language", "en");
        st()->setValue("token", "test-token");
        st()->setValue("username", "anna");
        st()->setValue("drop_box_token_apiv2", QString());
        QVERIFY(Core::instance()->account());
    }
    void cleanupTestCase()
    {
        w_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void authoriseShowAndLogout()
    {
        st()->setValue("type_upload", "dropbox");
        st()->setValue("ftp_host", "ftp.example.test");
        w_.reset(new SettingWidget);
        QCOMPARE(w_->status(), QQuickView::Ready);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
        QTRY_VERIFY(shown("dropboxAuthLink"));
        QVERIFY(!shown("dropboxAccount"));

        click("dropboxAuthLink");
        QTRY_COMPARE(browser_.urls.size(), 1);
        QCOMPARE(pryx::test::followAuthorizeUrl(browser_.urls.first()), QByteArray("drpbox auth complete"));

        DropboxAuth *dropbox = Core::instance()->account()->dropBoxAuth();
        QTRY_VERIFY_WITH_TIMEOUT(dropbox->isAuth() && dropbox->total() > 0, 10000);
        QTRY_VERIFY(shown("dropboxAccount"));
        QVERIFY(!shown("dropboxAuthLink"));
        QCOMPARE(text("dropboxName"), dropbox->name());
        QVERIFY(!dropbox->name().isEmpty());
        QCOMPARE(text("dropboxEmail"), dropbox->email());
        QVERIFY(text("dropboxUsage").endsWith(
            QString::number(qRound(double(dropbox->usage()) * 100 / double(dropbox->total()))) + "%"));
        QCOMPARE(st()->getValue("drop_box_token_apiv2", true).toString(), standin_.token());

        click("dropboxLogout");
        QTRY_VERIFY(shown("dropboxAuthLink"));
        QVERIFY(!dropbox->isAuth());
        QVERIFY(st()->getValue("drop_box_token_apiv2", true).toString().isEmpty());
        QCOMPARE(st()->getValue("ftp_host").toString(), QStringLiteral("ftp.example.test"));
        QCOMPARE(warnings_.take(), QStringList());
    }
};

QTEST_MAIN(TstSettingDropbox)
#include "tst_settingdropbox.moc"
