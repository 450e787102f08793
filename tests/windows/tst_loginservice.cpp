// The login window of the real Core, its page driving the real login object
// against the HTTPS stand-in with the account routes: registration and
// password login, errors beside their fields, the welcome view and the end
// of the window; a service that never answers.
#include "core/base/setting.h"
#include "core/core.h"
#include "network/autorization.h"
#include "network/uploadservices.h"
#include "windows/autorizationwidget.h"

#include "support/mutetcp.h"
#include "support/quickitems.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

using pryx::test::StandIn;

using pryx::test::windowsOf;

class TstLoginService : public QObject, public pryx::test::PageDriver
{
    Q_OBJECT
    StandIn standIn_;
    Core *core_ = nullptr;
    QPointer<AutorizationWidget> w_;

    QQuickView *pageView() const override { return w_.data(); }
    QSize frame() const
    {
        // The card, without the shadow margin drawn while a compositor runs.
        const int m = 2 * w_->shadowMargin();
        return QSize(int(w_->rootObject()->width()) - m, int(w_->rootObject()->height()) - m);
    }
    // The login window Core shows when a command needs a login.
    void openLogin()
    {
        QVERIFY(!core_->checkAutorization());
        QCOMPARE(windowsOf<AutorizationWidget>().size(), 1);
        w_ = windowsOf<AutorizationWidget>().first();
        QCOMPARE(w_->status(), QQuickView::Ready);
        QCOMPARE(w_->source(), QUrl("qrc:/qml/qml/Window/RegistrationPage.qml"));
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
        QVERIFY(pryx::test::activateWindow(w_.data()));
    }
    // Clears a field by keys, as a user would.
    void clearField(const QString &name)
    {
        clickOn(name);
        QTest::keyClick(w_.data(), Qt::Key_End);
        for (int n = text(name).size(); n > 0; --n)
            QTest::keyClick(w_.data(), Qt::Key_Backspace);
        QCOMPARE(text(name), QString());
    }
    void returnKey() { QTest::keyClick(w_.data(), Qt::Key_Return); }
    // Ends the welcome view with its start button: the login window is
    // closed and freed.
    void start()
    {
        QSignalSpy closed(w_.data(), SIGNAL(closed()));
        clickOn("startButton");
        QCOMPARE(closed.count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w_.isNull());
        QVERIFY(windowsOf<AutorizationWidget>().isEmpty());
    }

private slots:
    void initTestCase()
    {
        standIn_.addRouteFile(pryx::test::supportDir() + "/authroutes.py");
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        const QByteArray host = standIn_.host().toLatin1();
        qputenv("PRYX_AUTH_HOST", host);
        qputenv("PRYX_API_HOST", host);
        qputenv("PRYX_SUPPORT_HOST", host);
        Setting::instance()->setValue("token", QString());
        core_ = Core::instance();
        QVERIFY(core_ && core_->account());
    }
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void cleanup() { Setting::instance()->setValue("token", QString()); }

    // A new e-mail: registration with a mismatched confirmation first.
    void registration()
    {
        openLogin();
        QCOMPARE(text("caption"), QStringLiteral("To get started, enter e-mail"));
        QCOMPARE(frame(), QSize(430, 340));
        QVERIFY(!shown("password"));
        typeInto("email", "nomail");
        returnKey();
        QTRY_VERIFY(shown("emailError"));
        QCOMPARE(text("emailError"), QStringLiteral(" - E-mail is not valid"));
        QVERIFY(!shown("passwordError"));

        clearField("email");
        typeInto("email", "maria@mail.test");
        returnKey();
        QVERIFY(!shown("emailError"));
        QTRY_COMPARE_WITH_TIMEOUT(text("caption"), QStringLiteral("Registration from pryx"), 10000);
        QCOMPARE(frame(), QSize(430, 450));
        QVERIFY(shown("password"));
        QVERIFY(shown("confirm"));
        QCOMPARE(text("nextButton"), QStringLiteral("Registration"));
        QTRY_VERIFY(item("password")->property("inputFocus").toBool());
        type("one");
        returnKey();   // the empty confirmation takes the focus
        QTRY_VERIFY(item("confirm")->property("inputFocus").toBool());
        type("two");
        returnKey();
        QTRY_VERIFY(shown("confirmError"));
        QCOMPARE(text("confirmError"), QStringLiteral(" - Passwords do not match"));
        QVERIFY(!shown("welcomeView"));

        clearField("confirm");
        typeInto("confirm", "one");
        returnKey();
        QTRY_VERIFY_WITH_TIMEOUT(shown("welcomeView"), 10000);
        QVERIFY(!shown("form"));
        QVERIFY(!shown("nextButton"));
        QCOMPARE(frame(), QSize(640, 440));
        QVERIFY(core_->account()->isAuth());
        // The user info that follows names the user.
        QTRY_COMPARE_WITH_TIMEOUT(text("greeting"), QStringLiteral("Wellcome to Pryx,\nmaria!"), 10000);
        start();
    }

    // A known e-mail: the password step, a wrong password beside its field,
    // then the welcome view.
    void passwordLogin()
    {
        openLogin();
        typeInto("email", "maria@mail.test");
        clickOn("nextButton");
        QVERIFY(shown("busyIndicator"));
        QTRY_COMPARE_WITH_TIMEOUT(text("nextButton"), QStringLiteral("Enter to pryx"), 10000);
        QVERIFY(!shown("busyIndicator"));
        QCOMPARE(frame(), QSize(430, 395));
        QVERIFY(shown("password"));
        QVERIFY(!shown("confirm"));
        QVERIFY(shown("recoveryButton"));
        QTRY_VERIFY(item("password")->property("inputFocus").toBool());
        type("wrong");
        returnKey();
        QTRY_VERIFY_WITH_TIMEOUT(shown("passwordError"), 10000);
        QCOMPARE(text("passwordError"), QStringLiteral(" - Wrong password"));
        QVERIFY(!shown("emailError"));
        QVERIFY(!core_->account()->isAuth());
        QVERIFY(!shown("welcomeView"));

        clearField("password");
        typeInto("password", "one");
        returnKey();
        QVERIFY(!shown("passwordError"));
        QTRY_VERIFY_WITH_TIMEOUT(shown("welcomeView"), 10000);
        QVERIFY(core_->account()->isAuth());
        QCOMPARE(frame(), QSize(640, 440));
        QTRY_COMPARE_WITH_TIMEOUT(text("greeting"), QStringLiteral("Wellcome to Pryx,\nmaria!"), 10000);
        // The stand-in's avatar address answers nothing: the default picture.
        QTRY_COMPARE_WITH_TIMEOUT(item("avatar")->property("source").toUrl(),
                                  QUrl("qrc:/image/image/image/avatar_default.png"), 10000);
        start();
    }

    // A service that accepts and never answers: the busy e-mail step ends in
    // the internet error (the proxy form) after the quiet time-out, and the
    // next check goes out.
    void silentServiceEndsTheEmailStep()
    {
        pryx::test::MuteServer silent;
        QVERIFY(silent.listen());
        const QByteArray host = qgetenv("PRYX_AUTH_HOST");
        const int timeout = pryx::net::services().transferTimeoutMs;
        qputenv("PRYX_AUTH_HOST", silent.host());
        pryx::net::services().transferTimeoutMs = 1500;
        openLogin();
        typeInto("email", "silent@mail.test");
        clickOn("nextButton");
        QVERIFY(shown("busyIndicator"));
        QTRY_VERIFY_WITH_TIMEOUT(shown("proxyForm"), 20000);
        qputenv("PRYX_AUTH_HOST", host);
        pryx::net::services().transferTimeoutMs = timeout;
        QCOMPARE(silent.connections(), 1);
        QVERIFY(!shown("busyIndicator"));
        QCOMPARE(text("proxyError"), QStringLiteral("Internet connect not found"));

        clickOn("backButton");
        QTRY_VERIFY(shown("form"));
        typeInto("email", "silent@mail.test");
        returnKey();
        QTRY_COMPARE_WITH_TIMEOUT(text("nextButton"), QStringLiteral("Registration"), 10000);
    }
};

QTEST_MAIN(TstLoginService)
#include "tst_loginservice.moc"
