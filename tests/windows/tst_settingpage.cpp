// The settings window in the real window class with the real settings store:
// what Accept writes and Cancel does not, the proxy page, the save folder,
// the FTP and SFTP checks against real servers, Dropbox, and the hotkey page
// with keys typed through XTest and Print through the key watch.
#include "core/base/setting.h"
#include "core/base/sqldatabase.h"
#include "core/core.h"
#include "core/hookkeybord.h"
#include "network/autorization.h"
#include "windows/messagedialog.h"
#include "windows/proxywidget.h"
#include "windows/settingwidget.h"

#include "support/qmlstandins.h"
#include "support/quickitems.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"
#include "support/xkeyclient.h"
#include "tst_settingpage/settingsstandins.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QGuiApplication>
#include <QQuickItem>
#include <QSet>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

namespace {
const uint32_t kCtrl = 0xffe3, kShift = 0xffe1, kAlt = 0xffe9, kF7 = 0xffc4, kF8 = 0xffc5,
               kF9 = 0xffc6, kPrint = 0xff61, kK = 0x6b, kEscape = 0xff1b;

Setting *st() { return Setting::instance(); }

QStringList settingsTabKeys()
{
    return {"qualityImage", "autostart", "useProxy", "useSaveScreen", "show_upload",
            "show_last_upload", "showActiveWindow", "shortLink", "showMagnifier",
            "showCloseSurfaceWindow", "language"};
}
QStringList hotkeyKeys() { return {"keyFragmentScreen", "keySnapshotScreen", "keyQuickFragmentScreen"}; }
QStringList ftpKeys(const QString &p)
{
    QStringList k;
    for (const char *n : {"host", "port", "user", "password", "path", "base_url"})
        k << p + n;
    return k;
}
} // namespace

class TstSettingPage : public QObject
{
    Q_OBJECT
    SettingsCore *core_ = nullptr;
    AccountStandIn2 account_;
    pryx::test::ScriptServer ftp_, sftp_;
    QScopedPointer<SettingWidget> w_;
    QScopedPointer<pryx::test::XKeyClient> x_;
    pryx::test::WarningCollector warnings_;
    QList<int> fired_;

    QQuickItem *item(const char *name)
    {
        QQuickItem *i = w_->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
        if (!i)
            qWarning() << "no item" << name;
        return i;
    }
    // Items of the same name live in several rows: look below a parent.
    QQuickItem *itemIn(const char *parent, const char *name)
    {
        QQuickItem *p = item(parent);
        return p ? p->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
    }
    void clickOn(QWindow *win, QQuickItem *i, Qt::MouseButton b = Qt::LeftButton)
    {
        pryx::test::clickItem(win, i, b);
        QTest::qWait(20);
    }
    QQuickItem *closeButton()
    {
        for (QQuickItem *i : w_->rootObject()->findChildren<QQuickItem *>())
            if (QString::fromLatin1(i->metaObject()->className()).startsWith("ControllButton"))
                return i;
        return nullptr;
    }
    void click(const char *name) { clickOn(w_.data(), item(name)); }
    bool check(const char *name) { return item(name)->property("check").toBool(); }
    void setText(const char *name, const QString &t) { item(name)->setProperty("text", t); }
    QString text(const char *name) { return item(name)->property("text").toString(); }

    void open()
    {
        w_.reset(new SettingWidget);
        QCOMPARE(w_->status(), QQuickView::Ready);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
    }
    void activate()
    {
        w_->requestActivate();
        QTRY_VERIFY(w_->isActive());
    }
    QString shot(const QString &name)
    {
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        const QString path = dir + "/" + name;
        QTest::qWait(50);
        w_->grabWindow().save(path);
        return path;
    }
    MessageDialog *messageDialog()
    {
        for (QWindow *win : QGuiApplication::topLevelWindows()) {
            auto *d = qobject_cast<MessageDialog *>(win);
            if (d && d->isVisible())
                return d;
        }
        return nullptr;
    }
    void closeDialogs()
    {
        for (QWindow *win : QGuiApplication::topLevelWindows())
            if (auto *d = qobject_cast<MessageDialog *>(win))
                d->close();
        QTest::qWait(20);
    }
    void storeHotkeys(const QString &fragment, const QString &full, const QString &quick)
    {
        st()->setValue("fragmentScreen", 1);
        st()->setValue("snapshotFull", 1);
        st()->setValue("quickFragmentScreen", 1);
        st()->setValue("keyFragmentScreen", fragment);
        st()->setValue("keySnapshotScreen", full);
        st()->setValue("keyQuickFragmentScreen", quick);
        Core::instance()->updateHook();
    }
    // Types a chord on the X server and lets the events arrive.
    QList<int> chordFires(const QList<uint32_t> &keys)
    {
        fired_.clear();
        x_->chord(keys);
        pryx::test::settleEvents(*x_, 150);
        return fired_;
    }

private slots:
    void initTestCase()
    {
        Core::instance();
        HookKeybord::instance()->setTarget(nullptr);
        connect(HookKeybord::instance(), &HookKeybord::shortcutActivated, this,
                [this](int type) { fired_ << type; });
        core_ = new SettingsCore(this);
        core_->setAccount(&account_);
        BasicWindow::setCoreObject(core_);
        x_.reset(new pryx::test::XKeyClient);
        QVERIFY(x_->isOpen());
        st()->setValue("language", "en");
        st()->setValue("token", "test-token");
        st()->setValue("username", "anna");
        st()->setValue("usermail", "anna@example.org");
        st()->setValue("quota", 1048576 * 100);
        st()->setValue("usage", 1048576 * 25);
        QVERIFY(st()->flush());
    }
    void cleanup()
    {
        closeDialogs();
        if (w_)
            w_->close();
        w_.reset();
        if (ProxyWidget *p = core_->proxyWidget())
            p->hide();
        core_->calls.clear();
        x_->releaseAll();
        QCOMPARE(warnings_.take(), QStringList());
    }

    void acceptWritesTheTabsKeys_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QStringList>("storageKeys");
        QTest::newRow("web service") << "pryx" << false << QStringList{"type_upload"};
        QTest::newRow("ftp") << "ftp" << false
                             << (QStringList{"type_upload", "is_sftp"} + ftpKeys("ftp_") + QStringList{"is_ftp_error_upload_pryx"});
        QTest::newRow("sftp") << "ftp" << true
                              << (QStringList{"type_upload", "is_sftp"} + ftpKeys("sftp_") + QStringList{"is_ftp_error_upload_pryx"});
        QTest::newRow("dropbox") << "dropbox" << false
                                 << QStringList{"type_upload", "is_dropbox_error_upload_pryx"};
    }
    void acceptWritesTheTabsKeys()
    {
        QFETCH(QString, target);
        QFETCH(bool, sftp);
        QFETCH(QStringList, storageKeys);
        st()->setValue("type_upload", target);
        st()->setValue("is_sftp", sftp);
        st()->setValue("proxy_host", "");
        QVERIFY(st()->flush());
        open();
        QSignalSpy changes(st(), &Setting::valueChanged);
        QSignalSpy statements(st()->database(), &SqlDatabase::startExecuted);
        QSignalSpy closed(w_.data(), &BasicWindow::closed);
        click("acceptButton");
        QVERIFY(st()->flush());
        QSet<QString> expected;
        for (const QString &k : storageKeys + hotkeyKeys() + settingsTabKeys())
            expected << k;
        QSet<QString> written;
        for (const QList<QVariant> &c : changes)
            written << c.at(0).toString();
        QCOMPARE(written, expected);
        for (const QList<QVariant> &s : statements)
            QVERIFY2(expected.contains(s.at(1).toList().value(0).toString()),
                     qPrintable(s.at(1).toList().value(0).toString()));
        QCOMPARE(closed.count(), 1);
        QVERIFY(core_->calls.contains("update"));
    }

    // Edits everywhere, then leave without Accept: no statement at all.
    void leavingWithoutAcceptWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("close button") << "close";
        QTest::newRow("escape") << "escape";
    }
    void leavingWithoutAcceptWritesNothing()
    {
        QFETCH(QString, how);
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", false);
        QVERIFY(st()->flush());
        open();
        activate();
        QSignalSpy changes(st(), &Setting::valueChanged);
        QSignalSpy statements(st()->database(), &SqlDatabase::startExecuted);
        setText("ftpHost", "changed.example");
        click("tabSettings");
        click("showUploadBox");
        click("qualityHigh");
        click("tabStorage");
        click("targetDropbox");
        QSignalSpy closed(w_.data(), &BasicWindow::closed);
        if (how == "cancel")
            click("cancelButton");
        else if (how == "escape")
            QTest::keyClick(w_.data(), Qt::Key_Escape);
        else
            clickOn(w_.data(), closeButton());
        QVERIFY(st()->flush());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(statements.count(), 0);
        QCOMPARE(st()->getValue("type_upload").toString(), QStringLiteral("ftp"));
    }

    void valuesReadBackAfterAccept()
    {
        st()->setValue("type_upload", "pryx");
        st()->setValue("qualityImage", 1);
        st()->setValue("show_upload", 1);
        st()->setValue("showMagnifier", 0);
        st()->setValue("proxy_host", "");
        open();
        click("targetFtp");
        setText("ftpHost", "files.example");
        setText("ftpUser", "bob");
        setText("ftpPassword", "pa:ss");
        setText("ftpPath", "shots");
        click("ftpErrorBox");
        click("tabSettings");
        click("qualityLow");
        click("showUploadBox");
        click("magnifierBox");
        click("acceptButton");
        QVERIFY(st()->flush());
        QCOMPARE(st()->getValueDB("type_upload").toString(), QStringLiteral("ftp"));
        QCOMPARE(st()->getValueDB("ftp_host").toString(), QStringLiteral("files.example"));
        QCOMPARE(st()->getValueDB("ftp_port").toString(), QStringLiteral("21"));
        QCOMPARE(st()->getValue("ftp_user").toString(), QStringLiteral("bob"));
        QCOMPARE(st()->getValue("ftp_password").toString(), QStringLiteral("pa:ss"));
        QVERIFY(st()->getValueDB("ftp_password").toString() != QStringLiteral("pa:ss"));
        QVERIFY(st()->getValue("is_ftp_error_upload_pryx").toBool());
        QCOMPARE(st()->getValueDB("qualityImage").toInt(), 0);
        QVERIFY(!st()->getValue("show_upload").toBool());
        QVERIFY(st()->getValue("showMagnifier").toBool());
    }

    // Without a service login the typed login is kept and reads back.
    void ftpLoginTypedWithoutServiceLogin()
    {
        const QString token = st()->getValue("token").toString();
        st()->setValue("token", "");
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", false);
        open();
        setText("ftpHost", "files.example");
        setText("ftpUser", "no-login user");
        setText("ftpPassword", "no-login pw");
        click("acceptButton");
        QVERIFY(st()->flush());
        QCOMPARE(st()->getValue("ftp_user").toString(), QStringLiteral("no-login user"));
        QCOMPARE(st()->getValue("ftp_password").toString(), QStringLiteral("no-login pw"));
        const QString stored = st()->getValueDB("ftp_password").toString();
        QVERIFY(!stored.isEmpty());
        QVERIFY(!stored.contains("no-login"));
        st()->setValue("token", token);
        QCOMPARE(st()->getValue("ftp_password").toString(), QStringLiteral("no-login pw"));
    }

    void languageChangeKeepsTheWindowOpen()
    {
        st()->setValue("language", "ru");
        open();
        click("tabSettings");
        click("languageEn");
        QSignalSpy closed(w_.data(), &BasicWindow::closed);
        click("acceptButton");
        QCOMPARE(closed.count(), 0);
        QVERIFY(w_->isVisible());
        QCOMPARE(st()->getValue("language").toString(), QStringLiteral("en"));
        click("acceptButton");
        QCOMPARE(closed.count(), 1);
    }

    // Qt's own dialogs speak the language chosen on the page: a button box
    // already open follows each switch, a file dialog opened later too.
    void qtDialogsFollowTheLanguage()
    {
        st()->setValue("language", "en");
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const auto cancelText = [&] { return box.button(QDialogButtonBox::Cancel)->text().remove('&'); };
        const auto lookIn = [] {
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            auto *label = dialog.findChild<QLabel *>(QStringLiteral("lookInLabel"));
            return label ? label->text() : QStringLiteral("<no label>");
        };
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
        open();
        click("tabSettings");
        click("languageRu");
        click("acceptButton");
        QCOMPARE(st()->getValue("language").toString(), QStringLiteral("ru"));
        QTRY_COMPARE(cancelText(), QString::fromUtf8("Отмена"));
        QCOMPARE(lookIn(), QString::fromUtf8("Перейти к:"));
        // The window stays open after a language change: back to English.
        click("languageEn");
        click("acceptButton");
        QCOMPARE(st()->getValue("language").toString(), QStringLiteral("en"));
        QTRY_COMPARE(cancelText(), QStringLiteral("Cancel"));
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
    }

    void heightFollowsTheTab()
    {
        st()->setValue("type_upload", "pryx");
        open();
        const int m = 2 * w_->shadowMargin();
        QCOMPARE(w_->height(), 370 + m);
        click("targetFtp");
        QTRY_COMPARE(w_->height(), 490 + m);
        click("targetDropbox");
        QTRY_COMPARE(w_->height(), 360 + m);
        click("tabSettings");
        QTRY_COMPARE(w_->height(), 650 + m);
        click("tabHotKey");
        QTRY_COMPARE(w_->height(), 675 + m);
        QVERIFY(!check("tabStorage"));
        QVERIFY(!check("tabSettings"));
        QCOMPARE(text("versionText"), Core::instance()->appVersion());
    }

    // Use proxy opens the proxy window; closing it without a host turns
    // the proxy off again.
    void proxyWithoutHostIsSwitchedOff()
    {
        st()->setValue("useProxy", 0);
        st()->setValue("proxy_host", "");
        open();
        click("tabSettings");
        click("useProxyBox");
        QVERIFY(check("useProxyBox"));
        QVERIFY(core_->calls.contains("proxy"));
        ProxyWidget *p = core_->proxyWidget();
        QVERIFY(p && p->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(p));
        clickOn(p, p->rootObject()->findChild<QQuickItem *>("proxyAccept"));
        QVERIFY(!p->isVisible());
        QVERIFY(!check("useProxyBox"));
        QVERIFY(!st()->getValue("useProxy").toBool());
        QCOMPARE(st()->getValue("proxy_host").toString(), QString());
    }

    void proxyWithHostStaysOn()
    {
        st()->setValue("useProxy", 0);
        st()->setValue("proxy_host", "");
        open();
        click("tabSettings");
        click("useProxyBox");
        ProxyWidget *p = core_->proxyWidget();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        p->rootObject()->findChild<QQuickItem *>("proxyHost")->setProperty("text", "127.0.0.1");
        p->rootObject()->findChild<QQuickItem *>("proxyPort")->setProperty("text", "3128");
        clickOn(p, p->rootObject()->findChild<QQuickItem *>("proxyAccept"));
        QVERIFY(check("useProxyBox"));
        click("acceptButton");
        QVERIFY(st()->getValue("useProxy").toBool());
    }

    void proxyPort_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("storedPort");
        QTest::newRow("usual") << "proxy.local" << "3128" << true << "3128";
        QTest::newRow("lowest") << "proxy.local" << "1" << true << "1";
        QTest::newRow("highest") << "proxy.local" << "65535" << true << "65535";
        QTest::newRow("blanks around") << "proxy.local" << " 8080 " << true << "8080";
        QTest::newRow("zero") << "proxy.local" << "0" << false << "";
        QTest::newRow("too big") << "proxy.local" << "65536" << false << "";
        QTest::newRow("letters") << "proxy.local" << "80a" << false << "";
        QTest::newRow("negative") << "proxy.local" << "-1" << false << "";
        QTest::newRow("empty with host") << "proxy.local" << "" << false << "";
        QTest::newRow("empty without host") << "" << "" << true << "";
    }
    void proxyPort()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, accepted);
        QFETCH(QString, storedPort);
        for (const char *k : {"proxy_host", "proxy_port", "proxy_user", "proxy_password"})
            st()->setValue(k, "");
        ProxyWidget p;
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.size(), QSize(410, 385) + QSize(2, 2) * p.shadowMargin());
        auto find = [&](const char *n) { return p.rootObject()->findChild<QQuickItem *>(n); };
        find("proxyHost")->setProperty("text", host);
        find("proxyPort")->setProperty("text", port);
        find("proxyLogin")->setProperty("text", "user");
        find("proxyPassword")->setProperty("text", "pw");
        QSignalSpy changes(st(), &Setting::valueChanged);
        QSignalSpy closed(&p, &BasicWindow::closed);
        clickOn(&p, find("proxyAccept"));
        QCOMPARE(closed.count(), accepted ? 1 : 0);
        QCOMPARE(find("proxyError")->isVisible(), !accepted);
        if (accepted) {
            QCOMPARE(changes.count(), 4);
            QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("proxy_user"));
            QCOMPARE(changes.at(3).at(0).toString(), QStringLiteral("proxy_port"));
            QCOMPARE(st()->getValue("proxy_port").toString(), storedPort);
            QCOMPARE(st()->getValue("proxy_host").toString(), host);
            QCOMPARE(st()->getValue("proxy_password").toString(), QStringLiteral("pw"));
        } else {
            QCOMPARE(changes.count(), 0);
            QVERIFY(find("proxyError")->property("text").toString().contains("65535"));
            QCOMPARE(find("proxyPort")->property("text").toString(), port);
        }
    }

    void proxyRightClickPastesAndCloseStoresNothing()
    {
        st()->setValue("proxy_host", "old.host");
        ProxyWidget p;
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QQuickItem *h = p.rootObject()->findChild<QQuickItem *>("proxyHost");
        QCOMPARE(h->property("text").toString(), QStringLiteral("old.host"));
        core_->clipboard = QStringLiteral("10.0.0.8");
        clickOn(&p, h, Qt::RightButton);
        QCOMPARE(h->property("text").toString(), QStringLiteral("10.0.0.8"));
        QSignalSpy changes(st(), &Setting::valueChanged);
        QTest::keyClick(&p, Qt::Key_Escape);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(st()->getValue("proxy_host").toString(), QStringLiteral("old.host"));
    }

    // A cancelled folder choice leaves the copies off, also after Accept.
    void saveFolder_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("cancelled") << "";
        QTest::newRow("chosen") << "/tmp/shots";
    }
    void saveFolder()
    {
        QFETCH(QString, chosen);
        st()->setValue("useSaveScreen", 0);
        st()->setValue("saveScreenFolder", "");
        core_->nextFolder = chosen;
        open();
        click("tabSettings");
        click("saveScreenBox");
        QVERIFY(core_->calls.contains("folder"));
        QCOMPARE(check("saveScreenBox"), !chosen.isEmpty());
        if (!chosen.isEmpty())
            QCOMPARE(text("saveFolderText"), chosen);
        click("acceptButton");
        QCOMPARE(st()->getValue("useSaveScreen").toBool(), !chosen.isEmpty());
        core_->nextFolder.clear();
    }

    void ftpFieldsFollowTheSftpBox()
    {
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", true);
        for (const QString &k : ftpKeys("ftp_"))
            st()->setValue(k, "f-" + k);
        for (const QString &k : ftpKeys("sftp_"))
            st()->setValue(k, "s-" + k);
        st()->setValue("sftp_port", "");
        st()->setValue("ftp_port", "");
        open();
        QCOMPARE(text("ftpHost"), QStringLiteral("s-sftp_host"));
        QCOMPARE(text("ftpPassword"), QStringLiteral("s-sftp_password"));
        QCOMPARE(text("ftpPath"), QStringLiteral("s-sftp_path"));
        QCOMPARE(text("ftpBaseUrl"), QStringLiteral("s-sftp_base_url"));
        QCOMPARE(text("ftpPort"), QStringLiteral("22"));
        setText("ftpHost", "typed.sftp");
        click("sftpBox");
        QVERIFY(!check("sftpBox"));
        QCOMPARE(text("ftpHost"), QStringLiteral("f-ftp_host"));
        QCOMPARE(text("ftpUser"), QStringLiteral("f-ftp_user"));
        QCOMPARE(text("ftpPort"), QStringLiteral("21"));
        click("sftpBox");
        QCOMPARE(text("ftpHost"), QStringLiteral("typed.sftp"));
        // Tab moves on to the next field.
        activate();
        item("ftpHost")->setProperty("text", "typed.sftp");
        QMetaObject::invokeMethod(item("ftpHost"), "focus");
        QTest::keyClick(w_.data(), Qt::Key_Tab);
        QVERIFY(item("ftpPort")->property("inputFocus").toBool());
        click("acceptButton");
        QCOMPARE(st()->getValue("sftp_host").toString(), QStringLiteral("typed.sftp"));
        QCOMPARE(st()->getValue("ftp_host").toString(), QStringLiteral("f-ftp_host"));
    }

    // The check button tests the protocol the box selects, against real
    // servers, and shows the outcome in a message window.
    void connectionCheck_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("ftp right") << false << true << "Well done" << "FTP connection is avaliable";
        QTest::newRow("ftp wrong") << false << false << "Error" << "Login denied";
        QTest::newRow("sftp right") << true << true << "Well done" << "SFTP connection is avaliable";
        QTest::newRow("sftp wrong") << true << false << "Error" << "Login denied";
    }
    void connectionCheck()
    {
        QFETCH(bool, sftp);
        QFETCH(bool, right);
        QFETCH(QString, title);
        QFETCH(QString, message);
        const QString root = pryx::test::testRoot();
        QString err;
        if (!ftp_.isRunning()) {
            QDir().mkpath(root + "/froot/up");
            pryx::test::FtpServerOptions fo;
            fo.root = root + "/froot";
            QVERIFY2(pryx::test::startFtpServer(ftp_, fo, &err), qPrintable(err));
            QDir().mkpath(root + "/sroot/up");
            pryx::test::SftpServerOptions so;
            so.root = root + "/sroot";
            so.hostKey = root + "/hostkey";
            QVERIFY2(pryx::test::startSftpServer(sftp_, so, &err), qPrintable(err));
        }
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", sftp);
        open();
        const int port = sftp ? sftp_.port() : ftp_.port();
        setText("ftpHost", "127.0.0.1");
        setText("ftpPort", QString::number(port));
        setText("ftpUser", "tester");
        setText("ftpPassword", right ? "secret" : "wrong");
        setText("ftpPath", "up");
        QSignalSpy finished(core_, &SettingsCore::checkConnectionFinished);
        QSignalSpy busy(item("busyImage"), SIGNAL(visibleChanged()));
        click("checkButton");
        QCOMPARE(core_->calls.value(0), QString("%1 127.0.0.1 %2").arg(sftp ? "sftp" : "ftp").arg(port));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 15000);
        QCOMPARE(busy.count(), 2);   // shown, then hidden
        QVERIFY(!item("busyImage")->isVisible());
        MessageDialog *d = messageDialog();
        QVERIFY(d);
        QCOMPARE(d->data("title").toString(), title);
        QCOMPARE(d->data("message").toString(), message);
    }

    void dropboxAuthorisationAndLogout()
    {
        st()->setValue("type_upload", "dropbox");
        st()->setValue("is_dropbox_error_upload_pryx", 0);
        account_.dropbox.auth = false;
        open();
        QVERIFY(item("dropboxAuthLink")->isVisible());
        QVERIFY(!item("dropboxAccount")->isVisible());
        click("dropboxAuthLink");
        QCOMPARE(account_.dropbox.authorizations, 1);
        account_.dropbox.authorize("Anna D", "anna@dropbox.test", 2000, 500);
        QVERIFY(!item("dropboxAuthLink")->isVisible());
        QCOMPARE(text("dropboxName"), QStringLiteral("Anna D"));
        QCOMPARE(text("dropboxEmail"), QStringLiteral("anna@dropbox.test"));
        QVERIFY(text("dropboxUsage").endsWith("25%"));
        shot("settings-storage-dropbox-en.png");
        click("dropboxErrorBox");
        click("dropboxLogout");
        QCOMPARE(account_.dropbox.logouts, 1);
        QVERIFY(item("dropboxAuthLink")->isVisible());
        click("acceptButton");
        QVERIFY(st()->getValue("is_dropbox_error_upload_pryx").toBool());
    }

    void withoutAccount()
    {
        core_->setAccount(nullptr);
        st()->setValue("type_upload", "dropbox");
        open();
        click("dropboxAuthLink");
        click("targetPryx");
        QVERIFY(!item("quotaPanel")->isVisible());
        click("logoutLink");
        core_->setAccount(&account_);
    }

    void webServicePage()
    {
        account_.setAuth(true);
        st()->setValue("type_upload", "pryx");
        open();
        QCOMPARE(text("userName"), QStringLiteral("anna"));
        QCOMPARE(text("userMail"), QStringLiteral("anna@example.org"));
        QVERIFY(item("quotaPanel")->isVisible());
        QVERIFY(text("quotaText").contains("25%"));
        QVERIFY(text("quotaText").contains("25.00"));
        click("logoutLink");
        QCOMPARE(account_.exits, 1);
        QVERIFY(!item("quotaPanel")->isVisible());
        account_.setAuth(true);
    }

    // The real logout, pressed on the open window, clears the FTP and SFTP
    // settings: the server page shows that (for both protocols), except what
    // the user typed, and Accept does not write the old values back.
    void logoutClearsTheOpenServerPage_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::newRow("ftp shown") << false;
        QTest::newRow("sftp shown") << true;
    }
    void logoutClearsTheOpenServerPage()
    {
        QFETCH(bool, sftp);
        Autorization *account = Core::instance()->account();
        QVERIFY(account);
        // Core answers a logout with its login window; not here.
        QObject::disconnect(account, SIGNAL(authChanged(bool)), Core::instance(), nullptr);
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", sftp);
        for (const QString &p : QStringList{"ftp_", "sftp_"}) {
            st()->setValue(p + "host", p + "files.example");
            st()->setValue(p + "port", "2222");
            st()->setValue(p + "user", p + "bob");
            st()->setValue(p + "password", p + "secret");
            st()->setValue(p + "path", p + "shots");
            st()->setValue(p + "base_url", "https://" + p + "files.example/s");
        }
        core_->setAccount(account);
        open();
        const QString shown = sftp ? "sftp_" : "ftp_", other = sftp ? "ftp_" : "sftp_";
        QCOMPARE(text("ftpHost"), shown + "files.example");
        QCOMPARE(text("ftpPassword"), shown + "secret");
        setText("ftpUser", "typed user");
        click("targetPryx");
        click("logoutLink");
        QCOMPARE(st()->getValue("ftp_host").toString(), QString());
        click("targetFtp");
        QCOMPARE(text("ftpHost"), QString());
        QCOMPARE(text("ftpPort"), sftp ? QStringLiteral("22") : QStringLiteral("21"));
        QCOMPARE(text("ftpUser"), QStringLiteral("typed user"));
        QCOMPARE(text("ftpPassword"), QString());
        QCOMPARE(text("ftpPath"), QString());
        // Logout keeps the base address.
        QCOMPARE(text("ftpBaseUrl"), "https://" + shown + "files.example/s");
        // The other protocol's values, kept for the box, are cleared as well.
        click("sftpBox");
        QCOMPARE(check("sftpBox"), !sftp);
        QCOMPARE(text("ftpHost"), QString());
        QCOMPARE(text("ftpUser"), QString());
        QCOMPARE(text("ftpPassword"), QString());
        QCOMPARE(text("ftpBaseUrl"), "https://" + other + "files.example/s");
        click("sftpBox");
        click("acceptButton");
        QVERIFY(st()->flush());
        core_->setAccount(&account_);
        for (const QString &p : QStringList{"ftp_", "sftp_"}) {
            QCOMPARE(st()->getValueDB(p + "host").toString(), QString());
            QCOMPARE(st()->getValue(p + "password").toString(), QString());
            QCOMPARE(st()->getValueDB(p + "path").toString(), QString());
        }
        QCOMPARE(st()->getValue(shown + "user").toString(), QStringLiteral("typed user"));
        QCOMPARE(st()->getValue(other + "user").toString(), QString());
        QCOMPARE(st()->getValueDB(shown + "port").toString(), sftp ? QStringLiteral("22") : QStringLiteral("21"));
        st()->setValue("token", "test-token");
        st()->setValue("username", "anna");
        st()->setValue("usermail", "anna@example.org");
    }

    // Values stored while the window is open (here an upload window's "Do
    // not show" box and a hotkey reset) reach the controls the user left
    // alone; a control the user changed keeps the change.
    void otherTabsFollowTheStore()
    {
        st()->setValue("show_upload", 1);
        st()->setValue("showMagnifier", 1);
        st()->setValue("qualityImage", 1);
        storeHotkeys("Ctrl + Shift + F7", "Ctrl + Shift + F8", "Ctrl + Shift + F9");
        open();
        click("tabSettings");
        QVERIFY(check("showUploadBox"));
        click("qualityHigh");                       // the user's own change
        st()->setValue("show_upload", 0);
        st()->setValue("showMagnifier", 0);
        st()->setValue("qualityImage", 0);
        QVERIFY(!check("showUploadBox"));
        QVERIFY(!check("magnifierBox"));
        QVERIFY(check("qualityHigh"));
        QVERIFY(!check("qualityLow"));
        st()->resetHootKey();
        click("tabHotKey");
        QCOMPARE(itemIn("fragmentRow", "hotkeyText")->property("text").toString(),
                 QStringLiteral("Ctrl + Print Screen"));
        click("acceptButton");
        QVERIFY(st()->flush());
        QVERIFY(!st()->getValue("show_upload").toBool());
        QVERIFY(!st()->getValue("showMagnifier").toBool());
        QCOMPARE(st()->getValue("qualityImage").toInt(), 2);
        QCOMPARE(st()->getValue("keyFragmentScreen").toString(), QStringLiteral("Ctrl + Print Screen"));
        storeHotkeys("Ctrl + Shift + F7", "Ctrl + Shift + F8", "Ctrl + Shift + F9");
    }

    // Change, a combination typed on the X server, Accept: the new hotkey
    // fires and the old one does not.
    void changeAndAccept()
    {
        storeHotkeys("Ctrl + Shift + F7", "Ctrl + Shift + F8", "Ctrl + Shift + F9");
        QCOMPARE(chordFires({kCtrl, kShift, kF7}), QList<int>{0});
        open();
        activate();
        click("tabHotKey");
        clickOn(w_.data(), itemIn("fragmentRow", "changeLink"));
        QVERIFY(core_->calls.contains("unhook"));
        QVERIFY(itemIn("fragmentRow", "hotkeyInput")->isVisible());
        QCOMPARE(chordFires({kCtrl, kShift, kF8}), QList<int>());   // dropped while editing
        // A duplicate of the full-screen row is refused.
        QCOMPARE(itemIn("fragmentRow", "hotkeyInput")->property("text").toString(), QString());
        QCOMPARE(item("fragmentRow")->property("hotkey").toString(), QStringLiteral("Ctrl + Shift + F7"));
        clickOn(w_.data(), itemIn("fragmentRow", "changeLink"));
        chordFires({kCtrl, kAlt, kK});
        QCOMPARE(item("fragmentRow")->property("hotkey").toString(), QStringLiteral("Ctrl + Alt + K"));
        QVERIFY(!itemIn("fragmentRow", "hotkeyInput")->isVisible());
        shot("settings-hotkey-en.png");
        click("acceptButton");
        QCOMPARE(st()->getValue("keyFragmentScreen").toString(), QStringLiteral("Ctrl + Alt + K"));
        QCOMPARE(chordFires({kCtrl, kAlt, kK}), QList<int>{0});
        QCOMPARE(chordFires({kCtrl, kShift, kF7}), QList<int>());
        QCOMPARE(chordFires({kCtrl, kShift, kF9}), QList<int>{1});
    }

    void duplicatesRefused_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QList<uint32_t>>("typed");
        QTest::newRow("same text") << "Ctrl + Shift + F7" << QList<uint32_t>{kCtrl, kShift, kF7};
        QTest::newRow("Print and Print Screen") << "Ctrl + Print" << QList<uint32_t>{kCtrl, kPrint};
    }
    void duplicatesRefused()
    {
        QFETCH(QString, fragment);
        QFETCH(QList<uint32_t>, typed);
        storeHotkeys(fragment, "Ctrl + Shift + F8", "Ctrl + Shift + F9");
        open();
        activate();
        click("tabHotKey");
        clickOn(w_.data(), itemIn("fullRow", "changeLink"));
        for (uint32_t k : typed)
            x_->press(k);
        pryx::test::settleEvents(*x_, 120);
        x_->releaseAll();
        pryx::test::settleEvents(*x_, 60);
        QCOMPARE(item("fullRow")->property("hotkey").toString(), QStringLiteral("Ctrl + Shift + F8"));
        QVERIFY(itemIn("fullRow", "hotkeyInput")->isVisible());
        // Escape closes the input, not the window.
        chordFires({kEscape});
        QVERIFY(w_->isVisible());
        QVERIFY(!itemIn("fullRow", "hotkeyInput")->isVisible());
        QCOMPARE(itemIn("fullRow", "hotkeyText")->property("text").toString(), QStringLiteral("Ctrl + Shift + F8"));
    }

    // Print reaches the page through the key watch with the modifiers held
    // at that moment; a Ctrl released before is not kept.
    void printThroughTheWatch_data()
    {
        QTest::addColumn<QList<uint32_t>>("held");
        QTest::addColumn<bool>("realKey");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Shift held, real Print") << QList<uint32_t>{kShift} << true << "Shift + Print Screen";
        QTest::newRow("Ctrl held, watch only") << QList<uint32_t>{kCtrl} << false << "Ctrl + Print Screen";
        QTest::newRow("Ctrl released before") << QList<uint32_t>{} << false << "Print Screen";
        QTest::newRow("nothing held, real Print") << QList<uint32_t>{} << true << "Print Screen";
    }
    void printThroughTheWatch()
    {
        QFETCH(QList<uint32_t>, held);
        QFETCH(bool, realKey);
        QFETCH(QString, expected);
        storeHotkeys("Ctrl + Shift + F7", "Ctrl + Shift + F8", "Ctrl + Shift + F9");
        open();
        activate();
        click("tabHotKey");
        clickOn(w_.data(), itemIn("quickRow", "changeLink"));
        // Ctrl pressed and released: the input must not keep it.
        chordFires({kCtrl});
        for (uint32_t k : held)
            x_->press(k);
        pryx::test::settleEvents(*x_, 80);
        if (realKey) {
            x_->press(kPrint);
            x_->release(kPrint);
            pryx::test::settleEvents(*x_, 150);
        } else {
            emit Core::instance()->printModifiers(true);
        }
        x_->releaseAll();
        pryx::test::settleEvents(*x_, 50);
        QCOMPARE(item("quickRow")->property("hotkey").toString(), expected);
    }

    // Leaving after "Change" brings the hotkeys back; Reset registers the
    // reset ones and leaves none of the old ones live.
    void leavingAfterChangeRestores_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("close button") << "close";
        QTest::newRow("reset") << "reset";
    }
    void leavingAfterChangeRestores()
    {
        QFETCH(QString, how);
        storeHotkeys("Ctrl + Shift + F7", "Ctrl + Shift + F8", "Ctrl + Shift + F9");
        open();
        activate();
        click("tabHotKey");
        clickOn(w_.data(), itemIn("fragmentRow", "changeLink"));
        QCOMPARE(chordFires({kCtrl, kShift, kF7}), QList<int>());
        if (how == "cancel") {
            click("cancelButton");
        } else if (how == "escape") {
            w_->rootObject()->forceActiveFocus();
            QTest::keyClick(w_.data(), Qt::Key_Escape);
        } else if (how == "close") {
            clickOn(w_.data(), closeButton());
        } else {
            click("resetButton");
        }
        QVERIFY(!w_->isVisible());
        if (how == "reset") {
            QCOMPARE(st()->getValue("keyFragmentScreen").toString(), QStringLiteral("Print Screen"));
            QCOMPARE(chordFires({kCtrl, kShift, kF7}), QList<int>());
            QCOMPARE(chordFires({kCtrl, kShift, kPrint}), QList<int>{2});
        } else {
            QCOMPARE(st()->getValue("keyFragmentScreen").toString(), QStringLiteral("Ctrl + Shift + F7"));
            QCOMPARE(chordFires({kCtrl, kShift, kF7}), QList<int>{0});
        }
    }

    // With the program's own Core (no service account yet) the page loads
    // and saves without a warning.
    void withTheRealCore()
    {
        BasicWindow::setCoreObject(nullptr);
        st()->setValue("type_upload", "dropbox");
        open();
        click("dropboxAuthLink");
        click("targetPryx");
        click("tabHotKey");
        clickOn(w_.data(), itemIn("quickRow", "changeLink"));
        QVERIFY(HookKeybord::instance()->shortcut(1) == nullptr);
        click("acceptButton");
        QVERIFY(!w_->isVisible());
        QVERIFY(HookKeybord::instance()->shortcut(1) != nullptr);
        QCOMPARE(st()->getValue("type_upload").toString(), QStringLiteral("pryx"));
        BasicWindow::setCoreObject(core_);
    }

    // Each tab, in English and in Russian, for a look.
    void screenshots()
    {
        st()->setValue("type_upload", "ftp");
        st()->setValue("is_sftp", false);
        for (const char *lang : {"en", "ru"}) {
            st()->setLanguage(QString::fromLatin1(lang));
            open();
            shot(QString("settings-storage-ftp-%1.png").arg(lang));
            click("targetPryx");
            shot(QString("settings-storage-pryx-%1.png").arg(lang));
            click("tabSettings");
            shot(QString("settings-settings-%1.png").arg(lang));
            click("tabHotKey");
            shot(QString("settings-hotkey-%1.png").arg(lang));
            w_->close();
            ProxyWidget p;
            p.show();
            QVERIFY(QTest::qWaitForWindowExposed(&p));
            QTest::qWait(50);
            p.grabWindow().save(QStringLiteral(PRYX_BINARY_DIR) + QString("/screenshots/proxy-%1.png").arg(lang));
        }
        st()->setLanguage(QStringLiteral("en"));
    }
};

QTEST_MAIN(TstSettingPage)
#include "tst_settingpage.moc"
