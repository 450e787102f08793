// The login page in its real window, driven through a recording login
// object: e-mail step, password step, registration, errors beside their
// fields, the proxy form, the social logins and the welcome view.
#include "core/base/setting.h"
#include "windows/autorizationwidget.h"

#include "support/pagestandins.h"
#include "support/quickitems.h"
#include "support/qmlstandins.h"

#include <QDir>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

class TstLogin : public QObject, public pryx::test::PageDriver
{
    Q_OBJECT
    PageCore core_;
    PageAccount &account_ = core_.account_;
    QScopedPointer<AutorizationWidget> w_;
    pryx::test::WarningCollector warnings_;

    QQuickView *pageView() const override { return w_.data(); }
    void setText(const QString &name, const QString &t) { item(name)->setProperty("text", t); }
    QSize frame() const
    {
        // The card, without the shadow margin drawn while a compositor runs.
        const int m = 2 * w_->shadowMargin();
        return QSize(int(w_->rootObject()->width()) - m, int(w_->rootObject()->height()) - m);
    }
    void open()
    {
        w_.reset(new AutorizationWidget);
        QCOMPARE(w_->status(), QQuickView::Ready);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
        QVERIFY(pryx::test::activateWindow(w_.data()));
    }
    void press(const QString &name)
    {
        QTest::qWait(30);
        QQuickItem *i = item(name);
        QVERIFY2(i && i->isVisible(), qPrintable(name));
        const QPointF c = i->mapToScene(QPointF(i->width() / 2, i->height() / 2));
        QTest::mousePress(w_.data(), Qt::LeftButton, Qt::NoModifier, c.toPoint());
        if (w_->isVisible())
            QTest::mouseRelease(w_.data(), Qt::LeftButton, Qt::NoModifier, c.toPoint());
    }
    void key(Qt::Key k) { QTest::keyClick(w_.data(), k); }
    bool focused(const QString &name) { return item(name)->property("inputFocus").toBool(); }

private slots:
    void initTestCase() { BasicWindow::setCoreObject(&core_); }
    // Queued settings writes must not meet the database's teardown at exit.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void init()
    {
        core_.calls.clear();
        account_.calls.clear();
        account_.offline = false;
        account_.setAuth(false);
        account_.announce(PageAccount::NoneAuth);
        open();
        account_.calls.clear();
    }
    void cleanup()
    {
        w_.reset();
        QCOMPARE(warnings_.take(), QStringList());
    }

    void emailStep()
    {
        QCOMPARE(text("caption"), QStringLiteral("To get started, enter e-mail"));
        QCOMPARE(frame(), QSize(430, 340));
        QVERIFY(shown("email"));
        QVERIFY(!shown("password"));
        QVERIFY(!shown("confirm"));
        QVERIFY(shown("socialPanel"));
        QVERIFY(!shown("proxyForm"));
        QVERIFY(!shown("welcomeView"));
        QCOMPARE(text("nextButton"), QStringLiteral("Next"));
        clickOn("email");
        type("me@example.org");
        key(Qt::Key_Return);
        QCOMPARE(account_.calls, QStringList{"checkEmail:me@example.org"});
        QVERIFY(shown("busyIndicator"));
        // The next button does the same.
        clickOn("nextButton");
        QCOMPARE(account_.calls.last(), QStringLiteral("checkEmail:me@example.org"));
    }

    void passwordStep()
    {
        setText("email", "a+b@example.org");
        clickOn("nextButton");
        account_.announce(PageAccount::CheckPassword);
        QVERIFY(!shown("busyIndicator"));
        QCOMPARE(frame(), QSize(430, 395));
        QVERIFY(shown("password"));
        QVERIFY(!shown("confirm"));
        QTRY_VERIFY(focused("password"));
        QCOMPARE(text("nextButton"), QStringLiteral("Enter to pryx"));
        type("secret");
        key(Qt::Key_Return);
        QCOMPARE(account_.calls.last(), QStringLiteral("checkPassword:a+b@example.org:secret"));
        // Tab in the password field is a next step too.
        key(Qt::Key_Tab);
        QCOMPARE(account_.calls.filter("checkPassword").size(), 2);
        clickOn("recoveryButton");
        QCOMPARE(core_.calls.last(),
                 "openUrl:https://" + Setting::instance()->currentHostUrl().toString()
                     + "/resetting/request?email=a%2Bb%40example.org");
    }

    void editingTheEmailReturnsToTheEmailStep()
    {
        setText("email", "me@example.org");
        account_.announce(PageAccount::CheckPassword);
        setText("password", "typed");
        account_.calls.clear();
        setText("email", "me@example.orgx");
        QCOMPARE(account_.calls, QStringList{"reset"});
        QCOMPARE(account_.statusAutorization(), int(PageAccount::NoneAuth));
        QCOMPARE(text("email"), QStringLiteral("me@example.orgx"));
        QCOMPARE(text("password"), QString());
        QVERIFY(!shown("password"));
        QCOMPARE(frame(), QSize(430, 340));
    }

    void registrationStep()
    {
        setText("email", "new@example.org");
        account_.announce(PageAccount::CheckRegistration);
        QCOMPARE(text("caption"), QStringLiteral("Registration from pryx"));
        QCOMPARE(frame(), QSize(430, 450));
        QVERIFY(shown("password"));
        QVERIFY(shown("confirm"));
        QVERIFY(!shown("recoveryButton"));
        QCOMPARE(text("nextButton"), QStringLiteral("Registration"));
        QTRY_VERIFY(focused("password"));
        type("pw1");
        key(Qt::Key_Return);   // confirmation still empty: it takes the focus
        QVERIFY(account_.calls.filter("checkRegistration").isEmpty());
        QTRY_VERIFY(focused("confirm"));
        type("pw1");
        key(Qt::Key_Return);
        QCOMPARE(account_.calls.last(), QStringLiteral("checkRegistration:new@example.org:pw1:pw1"));
        key(Qt::Key_Tab);
        QTRY_VERIFY(focused("email"));
    }

    void errorsBesideTheirFields_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");
        QTest::newRow("email") << int(PageAccount::NoneAuth) << "email" << "emailError";
        QTest::newRow("password") << int(PageAccount::CheckPassword) << "password" << "passwordError";
        QTest::newRow("confirm") << int(PageAccount::CheckRegistration) << "confirm" << "confirmError";
    }
    void errorsBesideTheirFields()
    {
        QFETCH(int, status);
        QFETCH(QString, key);
        QFETCH(QString, label);
        account_.announce(status);
        clickOn("nextButton");
        QVERIFY(shown("busyIndicator"));
        emit account_.authError(key, "Bad value");
        QVERIFY(!shown("busyIndicator"));
        for (const QString l : {"emailError", "passwordError", "confirmError"}) {
            QCOMPARE(shown(l), l == label);
        }
        QCOMPARE(text(label), QStringLiteral(" - Bad value"));
        // The next step hides them again.
        clickOn("nextButton");
        QVERIFY(!shown(label));
    }

    void proxyFormAfterInternetError_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("useProxy");
        QTest::newRow("next, empty") << "nextButton" << "" << true;
        QTest::newRow("proxy next, empty") << "proxyNextButton" << "" << false;
        QTest::newRow("back, empty") << "backButton" << "" << false;
        QTest::newRow("back, host") << "backButton" << "127.0.0.1" << true;
        QTest::newRow("proxy next, host") << "proxyNextButton" << "127.0.0.1" << true;
    }
    void proxyFormAfterInternetError()
    {
        QFETCH(QString, button);
        QFETCH(QString, host);
        QFETCH(bool, useProxy);
        Setting::instance()->setValue("useProxy", 0);
        account_.announce(PageAccount::CheckEmail);
        emit account_.authError("internet", "Internet connect not found");
        account_.announce(PageAccount::InternetError);
        // The status announcement restores the e-mail form; the error again shows the proxy form.
        emit account_.authError("internet", "Internet connect not found");
        QVERIFY(shown("proxyForm"));
        QVERIFY(!shown("form"));
        QVERIFY(!shown("socialPanel"));
        QVERIFY(shown("backButton"));
        QVERIFY(shown("proxyNextButton"));
        QVERIFY(shown("nextButton"));
        QCOMPARE(text("proxyError"), QStringLiteral("Internet connect not found"));
        QCOMPARE(frame(), QSize(430, 390));
        setText("proxyHost", host);
        setText("proxyPort", host.isEmpty() ? "" : "3128");
        setText("proxyLogin", "user");
        setText("proxyPassword", "pw");
        account_.calls.clear();
        clickOn(button);
        QCOMPARE(account_.calls, QStringList{"reset"});
        Setting *st = Setting::instance();
        QCOMPARE(st->getValue("proxy_host").toString(), host);
        QCOMPARE(st->getValue("proxy_user").toString(), QStringLiteral("user"));
        QCOMPARE(st->getValue("proxy_password").toString(), QStringLiteral("pw"));
        QCOMPARE(st->getValue("useProxy").toBool(), useProxy);
        QVERIFY(!shown("proxyForm"));
        QVERIFY(shown("form"));
        QVERIFY(shown("socialPanel"));
    }

    void proxyPortTakesOnlyNumbers()
    {
        emit account_.authError("internet", "x");
        clickOn("proxyPort");
        type("12ab34");
        QCOMPARE(text("proxyPort"), QStringLiteral("1234"));
    }

    void socialLoginHidesAndWelcomes()
    {
        press("social_vk");
        QCOMPARE(account_.calls, QStringList{"social:vk"});
        QVERIFY(!w_->isVisible());
        Setting::instance()->setValue("username", "Tester");
        emit account_.authFinished();
        QVERIFY(w_->isVisible());
        QVERIFY(shown("welcomeView"));
        QVERIFY(!shown("form"));
        QVERIFY(!shown("nextButton"));
        QVERIFY(!shown("socialPanel"));
        QCOMPARE(frame(), QSize(640, 440));
        QCOMPARE(text("greeting"), QStringLiteral("Wellcome to Pryx,\nTester!"));
        QVERIFY(core_.calls.contains("startArrowAnimation"));
        core_.calls.clear();
        clickOn("startButton");
        QCOMPARE(core_.calls,
                 QStringList({"stopArrowAnimation", "showMainWindow", "registrationWidgetDestroy"}));
    }

    // The social login hid the window; its "internet" error, arriving later,
    // brings the window back with the proxy form, not reset to the e-mail step.
    void internetErrorAfterSocialLoginShowsTheWindowAgain()
    {
        press("social_fb");
        QCOMPARE(account_.calls, QStringList{"social:fb"});
        QVERIFY(!w_->isVisible());
        account_.calls.clear();
        emit account_.authError("internet", "Internet connect not found");
        QVERIFY(w_->isVisible());
        QVERIFY(shown("proxyForm"));
        QVERIFY(!shown("form"));
        QVERIFY(!shown("socialPanel"));
        QCOMPARE(text("proxyError"), QStringLiteral("Internet connect not found"));
        QCOMPARE(frame(), QSize(430, 390));
        QCOMPARE(account_.calls, QStringList());
    }

    void socialLoginWithoutInternetStaysVisible_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::newRow("fb") << "fb";
        QTest::newRow("tw") << "tw";
        QTest::newRow("vk") << "vk";
        QTest::newRow("od") << "od";
    }
    void socialLoginWithoutInternetStaysVisible()
    {
        QFETCH(QString, icon);
        account_.offline = true;
        press("social_" + icon);
        QCOMPARE(account_.calls, QStringList{"social:" + icon});
        QVERIFY(w_->isVisible());
        QVERIFY(shown("proxyForm"));
        QCOMPARE(frame(), QSize(430, 390));
    }

    void registrationFinishedShowsWelcome()
    {
        account_.announce(PageAccount::CheckRegistration);
        emit account_.registrationFinished();
        QVERIFY(shown("welcomeView"));
        QCOMPARE(frame(), QSize(640, 440));
        QCOMPARE(item("startPicture")->property("status").toInt(), 1);   // Image.Ready
    }

    void everyOpeningStartsAtTheEmailStep()
    {
        setText("email", "me@example.org");
        account_.announce(PageAccount::CheckPassword);
        setText("password", "pw");
        w_->hide();
        account_.calls.clear();
        w_->show();
        QCOMPARE(account_.calls, QStringList{"reset"});
        QCOMPARE(text("caption"), QStringLiteral("To get started, enter e-mail"));
        QCOMPARE(text("email"), QString());
        QVERIFY(!shown("password"));
    }

    void rightClickPastesTheClipboard_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("field");
        QTest::newRow("email") << int(PageAccount::NoneAuth) << "email";
        QTest::newRow("password") << int(PageAccount::CheckPassword) << "password";
        QTest::newRow("confirm") << int(PageAccount::CheckRegistration) << "confirm";
    }
    void rightClickPastesTheClipboard()
    {
        QFETCH(int, status);
        QFETCH(QString, field);
        account_.announce(status);
        core_.clipboard = "pasted";
        clickOn(field, Qt::RightButton);
        QCOMPARE(text(field), QStringLiteral("pasted"));
    }

    void pageWithoutLoginObject()
    {
        core_.withAccount = false;
        emit core_.accountChange(nullptr);
        w_->hide();
        w_->show();
        QVERIFY(shown("email"));
        clickOn("nextButton");   // nothing to call: no error either
        core_.withAccount = true;
        emit core_.accountChange(&account_);
    }

    void screenshots()
    {
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/login-email.png"));
        setText("email", "me@example.org");
        account_.announce(PageAccount::CheckRegistration);
        emit account_.authError("confirm", "Passwords do not match");
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/login-registration.png"));
        emit account_.authError("internet", "Internet connect not found");
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/login-proxy.png"));
        emit account_.registrationFinished();
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/login-welcome.png"));
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
