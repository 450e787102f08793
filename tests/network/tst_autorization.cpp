// The service account against an HTTPS stand-in of the web service on
// 127.0.0.1: the password and registration dialogues, the reply outcomes,
// the social logins through the loopback listener, overlapping requests,
// logout, feedback and the internet check.

#include <QDesktopServices>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QNetworkReply>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QtTest>

#include "core/base/logging.h"
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "network/autorization.h"
#include "network/networkaccessmanager.h"
#include "network/serverlistener.h"
#include "network/uploadservices.h"
#include "support/mutetcp.h"
#include "support/standin.h"
#include "support/testsupport.h"

namespace {

const QString kBasic = "Basic " + QString::fromLatin1(QByteArray("7_dsk:4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z").toBase64());

QString setting(const char *key) { return Setting::instance()->getValue(QLatin1String(key)).toString(); }
void setSetting(const char *key, const QString &value) { Setting::instance()->setValue(QLatin1String(key), value); }

QString statusName(int status)
{
    return QString::fromLatin1(QMetaEnum::fromType<Autorization::StatusAutorization>().valueToKey(status));
}

QByteArray readLog()
{
    QFile f(pryx::logFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One logged request as the account tests read it.
struct Seen {
    QString method, target, path, body;
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    struct Part {
        QString name, body;
        QMap<QString, QString> headers;
    };
    QList<Part> parts;
    QString header(const QString &name) const
    {
        for (const auto &h : headers) {
            if (QString::fromUtf8(h.first).compare(name, Qt::CaseInsensitive) == 0)
                return QString::fromUtf8(h.second);
        }
        return QString();
    }
};

QList<Seen::Part> multipartParts(const QString &contentType, const QByteArray &body)
{
    QList<Seen::Part> parts;
    const int at = contentType.indexOf(QLatin1String("boundary="));
    if (at < 0)
        return parts;
    const QByteArray boundary = "--" + contentType.mid(at + 9).remove('"').trimmed().toLatin1();
    QList<QByteArray> chunks;
    int from = body.indexOf(boundary);
    while (from >= 0) {
        const int next = body.indexOf(boundary, from + boundary.size());
        if (next < 0)
            break;
        chunks.append(body.mid(from + boundary.size() + 2, next - from - boundary.size() - 4));
        from = next;
    }
    for (const QByteArray &chunk : chunks) {
        const int split = chunk.indexOf("\r\n\r\n");
        Seen::Part part;
        for (const QByteArray &line : chunk.left(split).split('\n')) {
            const int colon = line.indexOf(':');
            if (colon > 0)
                part.headers.insert(QString::fromUtf8(line.left(colon)).trimmed(),
                                    QString::fromUtf8(line.mid(colon + 1)).trimmed());
        }
        const QString disposition = part.headers.value("Content-Disposition");
        part.name = disposition.section("name=\"", 1).section('"', 0, 0);
        part.body = QString::fromUtf8(chunk.mid(split + 4));
        parts.append(part);
    }
    return parts;
}

} // namespace

class TestAutorization : public QObject
{
    Q_OBJECT
    pryx::test::StandIn standIn_;
    Autorization *account_ = nullptr;
    QStringList events_;
    QList<QUrl> opened_;

    // The analytics events the stand-in has seen.
    QByteArrayList analyticsBodies() const
    {
        QByteArrayList bodies;
        for (const pryx::test::StandInRequest &r : standIn_.requests())
            if (r.path == "/collect")
                bodies << r.body;
        return bodies;
    }

    QList<Seen> seen() const
    {
        QList<Seen> list;
        for (const pryx::test::StandInRequest &r : standIn_.requests()) {
            if (r.path == "/collect")
                continue;   // analytics events, read by the logout test
            Seen s;
            s.method = r.method;
            s.target = QString::fromUtf8(r.path);
            s.path = s.target.section('?', 0, 0);
            s.query = QUrlQuery(s.target.section('?', 1));
            s.headers = r.headers;
            s.body = QString::fromUtf8(r.body);
            s.parts = multipartParts(QString::fromUtf8(r.header("Content-Type")), r.body);
            list.append(s);
        }
        return list;
    }
    QList<Seen> to(const QString &path) const
    {
        QList<Seen> list;
        for (const Seen &s : seen()) {
            if (s.path == path)
                list.append(s);
        }
        return list;
    }
    // The next answer of the route matching the pattern.
    bool script(const QString &pattern, int status, const QString &body,
                const QString &contentType = QStringLiteral("application/json"))
    {
        standIn_.setScript(QJsonArray{QJsonObject{{"path", pattern}, {"times", 1}, {"status", status},
                                                  {"body", body},
                                                  {"headers", QJsonObject{{"Content-Type", contentType}}}}});
        return true;
    }
    // The route's next answer comes late.
    bool delay(const QString &pattern, double seconds)
    {
        standIn_.setScript(QJsonArray{QJsonObject{{"path", pattern}, {"times", 1}, {"delay", seconds}}});
        return true;
    }
    // Registers an account at the service directly.
    bool makeAccount(const QString &email, const QString &password)
    {
        QNetworkAccessManager nam;
        QNetworkRequest request(QUrl("https://" + standIn_.host() + "/oauth2/token"));
        request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
        request.setRawHeader("Authorization", kBasic.toLatin1());
        auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        for (const auto &f : QList<QPair<QString, QString>>{{"grant_type", "password"}, {"username", email},
                                                              {"password", password}}) {
            QHttpPart part;
            part.setHeader(QNetworkRequest::ContentDispositionHeader,
                           QStringLiteral("form-data; name=\"%1\"").arg(f.first));
            part.setBody(f.second.toUtf8());
            form->append(part);
        }
        QNetworkReply *reply = nam.post(request, form);
        form->setParent(reply);
        QSignalSpy done(reply, &QNetworkReply::finished);
        const bool ok = done.wait(5000) && reply->error() == QNetworkReply::NoError;
        delete reply;
        standIn_.clearLog();
        return ok;
    }

    void clearAccount()
    {
        for (const char *key : {"token", "username", "usermail", "useravatar", "quota", "usage",
                                "max_post_size"})
            setSetting(key, QString());
    }

    // Follows the service's redirects like a browser and brings the last one
    // (the loopback address with the code) to the listener; returns what the
    // listener answered.
    QByteArray browse(const QUrl &start, QString *code)
    {
        QNetworkAccessManager browser;
        QUrl url = start;
        for (int hop = 0; hop < 5 && url.scheme() == QLatin1String("https"); ++hop) {
            QNetworkRequest request(url);
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
            request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
            QNetworkReply *reply = browser.get(request);
            QSignalSpy done(reply, &QNetworkReply::finished);
            if (!done.wait(5000))
                return "no reply from " + url.toEncoded();
            url = QUrl(QString::fromUtf8(reply->rawHeader("Location")));
            delete reply;
        }
        if (url.host() != QLatin1String("localhost"))
            return "not redirected to the loopback: " + url.toEncoded();
        *code = QUrlQuery(url).queryItemValue(QStringLiteral("code"));
        QTcpSocket socket;
        QByteArray answer;
        connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        socket.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
        if (!socket.waitForConnected(3000))
            return "listener not reached";
        socket.write("GET " + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)
                     + " HTTP/1.1\r\nHost: localhost:" + QByteArray::number(url.port())
                     + "\r\nUser-Agent: browser\r\n\r\n");
        if (closed.isEmpty())
            closed.wait(3000);
        return answer + socket.readAll();
    }

    QByteArray redirectReply() const
    {
        return "HTTP/1.1 303 OK\r\nDate: Wed, 11 Feb 2009 11:20:59 GMT\r\nServer: Apache\r\n"
               "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\nLast-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
               "Content-Language: ru\r\nLocation: http://"
             + standIn_.host().toLatin1() + "\r\nConnection: close\r\n\r\n";
    }

public slots:
    void openUrl(const QUrl &url) { opened_.append(url); }

private slots:
    void initTestCase()
    {
        standIn_.addRouteFile(pryx::test::supportDir() + "/authroutes.py");
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));

        const QByteArray host = standIn_.host().toLatin1();
        qputenv("PRYX_AUTH_HOST", host);
        qputenv("PRYX_API_HOST", host);
        qputenv("PRYX_SUPPORT_HOST", host);
        qputenv("PRYX_ANALYTICS_HOST", host);
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");

        account_ = Core::instance()->account();
        QVERIFY(account_);
        QCOMPARE(Core::instance()->property("account").value<Autorization *>(), account_);
        QVERIFY(account_->redirectPort() >= 62000);

        connect(account_, &Autorization::authFinished, this, [this] { events_ << "authFinished"; });
        connect(account_, &Autorization::registrationFinished, this, [this] { events_ << "registrationFinished"; });
        connect(account_, &Autorization::authChanged, this,
                [this](bool a) { events_ << QStringLiteral("authChanged:%1").arg(a); });
        connect(account_, &Autorization::nameChanged, this, [this](QString n) { events_ << "name:" + n; });
        connect(account_, &Autorization::emailChanged, this, [this](QString e) { events_ << "email:" + e; });
        connect(account_, &Autorization::statusAutorizationChanged, this,
                [this](Autorization::StatusAutorization s) { events_ << "status:" + statusName(s); });
        connect(account_, &Autorization::authError, this,
                [this](QString k, QString v) { events_ << "error:" + k + ":" + v; });
        connect(account_, &Autorization::feedBackResponse, this, [this](QString d) { events_ << "feedback:" + d; });
    }

    // QML pages reach the Dropbox account through the service account.
    void dropboxAccountReachesQml()
    {
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("account"), account_);
        QQmlExpression expr(engine.rootContext(), nullptr,
                            QStringLiteral("account.dropBoxAuth() !== null && account.dropBoxAuth().isAuth === false"));
        const QVariant result = expr.evaluate();
        QVERIFY2(!expr.hasError(), qPrintable(expr.error().toString()));
        QVERIFY(result.toBool());
    }

    // The types Core registers for the pages; each is creatable.
    void qmlTypes_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("type");
        QTest::newRow("Autorization") << "Core" << "Autorization";
        QTest::newRow("DropboxAuth") << "Core" << "DropboxAuth";
        QTest::newRow("HandleFTPUpload") << "PryxComponent" << "HandleFTPUpload";
    }
    void qmlTypes()
    {
        QFETCH(QString, module);
        QFETCH(QString, type);
        QQmlEngine engine;
        QQmlComponent c(&engine);
        c.setData(QStringLiteral("import QtQml 2.0\nimport %1 1.0\n%2 {}\n").arg(module, type).toUtf8(), QUrl());
        QScopedPointer<QObject> object(c.create());
        QVERIFY2(object, qPrintable(c.errorString()));
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()), type);
    }

    void init()
    {
        clearAccount();
        account_->resetAutorization();
        standIn_.setScript(QJsonArray());
        standIn_.clearLog();
        events_.clear();
        opened_.clear();
    }

    void passwordLogin()
    {
        const QString email = "anna+pryx@mail.test";
        QVERIFY(makeAccount(email, "pässwörd"));

        account_->checkEmail(email);
        QTRY_COMPARE(events_, QStringList{"status:CheckPassword"});
        const QList<Seen> checks = to("/join/email/check.xml");
        QCOMPARE(checks.size(), 1);
        QCOMPARE(checks.at(0).target, "/join/email/check.xml?email=anna%2Bpryx%40mail.test");
        QCOMPARE(checks.at(0).query.queryItemValue("email", QUrl::FullyDecoded), email);

        account_->checkPassword(email, "pässwörd");
        QTRY_COMPARE(events_.size(), 6);
        QCOMPARE(events_, (QStringList{"status:CheckPassword", "authFinished", "name:anna+pryx",
                                       "email:" + email, "authChanged:1", "authFinished"}));

        const QList<Seen> grants = to("/oauth2/token");
        QCOMPARE(grants.size(), 1);
        QCOMPARE(grants.at(0).method, "POST");
        QCOMPARE(grants.at(0).header("Authorization"), kBasic);
        QVERIFY(grants.at(0).header("Content-Type").startsWith("multipart/form-data; boundary="));
        QCOMPARE(grants.at(0).parts.size(), 3);
        const QStringList names{"grant_type", "username", "password"};
        const QStringList values{"password", email, "pässwörd"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(grants.at(0).parts.at(i).name, names.at(i));
            QCOMPARE(grants.at(0).parts.at(i).headers.value("Content-Disposition"),
                     QStringLiteral("form-data; name=\"%1\"").arg(names.at(i)));
            QCOMPARE(grants.at(0).parts.at(i).body, values.at(i));
        }

        const QList<Seen> about = to("/drive/v1/about");
        QCOMPARE(about.size(), 1);
        QCOMPARE(about.at(0).header("User-agent"), "Pryx " PRYX_VERSION);
        const QString token = setting("token");
        QVERIFY(token.startsWith("tok-"));
        QCOMPARE(about.at(0).header("Authorization"), "Bearer " + token);

        QVERIFY(account_->isAuth());
        QCOMPARE(account_->token(), token);
        QCOMPARE(account_->name(), "anna+pryx");
        QCOMPARE(account_->email(), email);
        QCOMPARE(setting("useravatar"), "https://127.0.0.1/avatar/anna+pryx.png");
        QCOMPARE(setting("quota"), "10737418240");
        QCOMPARE(setting("usage"), "1048576");
        QCOMPARE(setting("max_post_size"), "104857600");
        QCOMPARE(account_->statusAutorization(), Autorization::GetUserInfo);

        // Written through to the database, plain.
        QVERIFY(Setting::instance()->flush());
        QCOMPARE(Setting::instance()->getValueDB("token").toString(), token);
        QCOMPARE(Setting::instance()->getValueDB("username").toString(), "anna+pryx");
        QCOMPARE(Setting::instance()->getValueDB("max_post_size").toString(), "104857600");
    }

    void registration()
    {
        const QString email = "new.user@mail.test";
        account_->checkEmail(email);
        QTRY_COMPARE(events_, QStringList{"status:CheckRegistration"});

        account_->checkRegistration(email, "s3cret", "s3cret");
        QTRY_COMPARE(events_.size(), 6);
        QCOMPARE(events_, (QStringList{"status:CheckRegistration", "registrationFinished",
                                       "name:new.user", "email:" + email, "authChanged:1",
                                       "authFinished"}));
        const QList<Seen> grants = to("/oauth2/token");
        QCOMPARE(grants.size(), 1);
        QCOMPARE(grants.at(0).header("Authorization"), kBasic);
        QCOMPARE(grants.at(0).parts.at(1).body, email);
        QVERIFY(account_->isAuth());

        // The account now exists: the next check asks for the password.
        events_.clear();
        account_->resetAutorization();
        account_->checkEmail(email);
        QTRY_COMPARE(events_, (QStringList{"status:NoneAuth", "status:CheckPassword"}));
    }

    // Input refused before anything is sent.
    void inputChecks_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("sent");

        QTest::newRow("e-mail without @") << "email" << QStringList{"anna.mail.test"} << "error:email:E-mail is not valid" << false;
        QTest::newRow("e-mail without top level") << "email" << QStringList{"anna@mail"} << "error:email:E-mail is not valid" << false;
        QTest::newRow("e-mail one-letter top level") << "email" << QStringList{"anna@mail.t"} << "error:email:E-mail is not valid" << false;
        QTest::newRow("e-mail with blank") << "email" << QStringList{"an na@mail.test"} << "error:email:E-mail is not valid" << false;
        QTest::newRow("e-mail with trailing text") << "email" << QStringList{"anna@mail.test x"} << "error:email:E-mail is not valid" << false;
        QTest::newRow("e-mail five-letter top level") << "email" << QStringList{"anna@mail.abcde"} << "status:CheckRegistration" << true;
        QTest::newRow("no password") << "password" << QStringList{"anna@mail.test", ""} << "error:password:No password" << false;
        QTest::newRow("registration no password") << "register" << QStringList{"a@mail.test", "", "x"} << "error:password:Password is empty" << false;
        QTest::newRow("registration no confirmation") << "register" << QStringList{"a@mail.test", "x", ""} << "error:confirm:Confirm password is empty" << false;
        QTest::newRow("registration mismatch") << "register" << QStringList{"a@mail.test", "x", "y"} << "error:confirm:Passwords do not match" << false;
        QTest::newRow("feedback null e-mail") << "feedback" << QStringList{} << "feedback:Email not specified" << false;
        QTest::newRow("feedback five-letter top level") << "feedback" << QStringList{"anna@mail.abcde", "hi"} << "feedback:E-mail is not valid" << false;
        QTest::newRow("feedback null text") << "feedback" << QStringList{"anna@mail.test"} << "feedback:Feedback not specified" << false;
    }
    void inputChecks()
    {
        QFETCH(QString, call);
        QFETCH(QStringList, args);
        QFETCH(QString, event);
        QFETCH(bool, sent);
        if (call == "email")
            account_->checkEmail(args.at(0));
        else if (call == "password")
            account_->checkPassword(args.at(0), args.at(1));
        else if (call == "register")
            account_->checkRegistration(args.at(0), args.at(1), args.at(2));
        else
            account_->sendFeedback(args.value(0, QString()), args.size() > 1 ? args.at(1) : QString());
        QTRY_COMPARE(events_.value(0), event);
        QTest::qWait(sent ? 0 : 200);
        QCOMPARE(!seen().isEmpty(), sent);
    }

    void secondEmailCheckWhileFirstRuns()
    {
        QVERIFY(delay("/join/email/check.xml", 0.5));
        account_->checkEmail("one@mail.test");
        account_->checkEmail("two@mail.test");
        QTRY_COMPARE(events_, QStringList{"status:CheckRegistration"});
        QTest::qWait(200);
        QCOMPARE(to("/join/email/check.xml").size(), 1);
        QCOMPARE(seen().at(0).query.queryItemValue("email", QUrl::FullyDecoded), "one@mail.test");
    }

    // A service that accepts and never answers: the e-mail step ends in its
    // error after the uploads' quiet time-out, and the next check goes out.
    void silentServiceTimesOut()
    {
        pryx::test::MuteServer silent;
        QVERIFY(silent.listen());
        const QByteArray host = qgetenv("PRYX_AUTH_HOST");
        qputenv("PRYX_AUTH_HOST", silent.host());
        const int timeout = pryx::net::services().transferTimeoutMs;
        pryx::net::services().transferTimeoutMs = 1500;
        QElapsedTimer t;
        t.start();
        account_->checkEmail("slow@mail.test");
        QTRY_VERIFY_WITH_TIMEOUT(events_.contains("error:internet:Internet connect not found"), 20000);
        const qint64 waited = t.elapsed();
        qputenv("PRYX_AUTH_HOST", host);
        pryx::net::services().transferTimeoutMs = timeout;
        QVERIFY2(waited >= 1400, qPrintable(QString::number(waited)));
        QCOMPARE(silent.connections(), 1);
        QCOMPARE(account_->statusAutorization(), Autorization::InternetError);
        const QByteArray log = readLog();
        QVERIFY2(log.contains("Error id:4") && log.contains("Error string:No answer in time"),
                 log.constData());

        events_.clear();
        account_->checkEmail("one@mail.test");
        QTRY_COMPARE(events_, QStringList{"status:CheckRegistration"});
        QCOMPARE(to("/join/email/check.xml").size(), 1);
    }

    void replyOutcomes_data()
    {
        QTest::addColumn<QString>("call");        // "email" or "password"
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("token");       // the token afterwards
        QTest::addColumn<int>("finalStatus");

        const QString internet = "error:internet:Internet connect not found";
        QTest::newRow("wrong password")
            << "password" << "/oauth2/token" << 400 << R"({"error":"invalid_grant"})"
            << QStringList{"error:password:Wrong password"} << "stale" << int(Autorization::CheckPassword);
        QTest::newRow("wrong password, with a description")
            << "password" << "/oauth2/token" << 400
            << R"({"error":"invalid_grant","error_description":"Invalid username and password combination"})"
            << QStringList{"error:password:Wrong password"} << "stale" << int(Autorization::CheckPassword);
        QTest::newRow("other error body")
            << "password" << "/oauth2/token" << 401 << R"({"error":"invalid_client"})"
            << QStringList{internet} << "stale" << int(Autorization::InternetError);
        QTest::newRow("server error")
            << "password" << "/oauth2/token" << 500 << "<html><body>Internal Server Error</body></html>"
            << QStringList{internet} << "" << int(Autorization::InternetError);
        QTest::newRow("server error on the e-mail check")
            << "email" << "/join/email/check.xml" << 502 << ""
            << QStringList{internet} << "" << int(Autorization::InternetError);
        QTest::newRow("failed check, state unknown")
            << "email" << "/join/email/check.xml" << 404 << "<response><state>unknown</state></response>"
            << QStringList{"status:CheckRegistration"} << "stale" << int(Autorization::CheckRegistration);
        QTest::newRow("blocked account")
            << "password" << "/oauth2/token" << 403 << "<response><state>blocked</state></response>"
            << QStringList{"authChanged:0", internet} << "" << int(Autorization::InternetError);
        QTest::newRow("broken XML in a failed reply")
            << "email" << "/join/email/check.xml" << 500 << "<response><state>unkn"
            << QStringList{"authChanged:0", internet} << "" << int(Autorization::InternetError);
        QTest::newRow("broken XML in a check reply")
            << "email" << "/join/email/check.xml" << 200 << "<response><sta"
            << QStringList{internet} << "stale" << int(Autorization::InternetError);
        QTest::newRow("login reply without a token")
            << "password" << "/oauth2/token" << 200 << R"({"token_type":"bearer","expires_in":3600})"
            << QStringList{"error:internet:The service sent no access token"} << "stale"
            << int(Autorization::InternetError);
        QTest::newRow("login reply that is not JSON")
            << "password" << "/oauth2/token" << 200 << "access_token=abc,xyz"
            << QStringList{"error:internet:The service sent no access token"} << "stale"
            << int(Autorization::InternetError);
    }
    void replyOutcomes()
    {
        QFETCH(QString, call);
        QFETCH(QString, route);
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QStringList, expected);
        QFETCH(QString, token);
        QFETCH(int, finalStatus);
        setSetting("token", "stale");
        events_.clear();
        const QByteArray logBefore = readLog();
        QVERIFY(script(route, status, body,
                                body.startsWith('<') ? "text/xml" : "application/json"));
        if (call == "email")
            account_->checkEmail("anna@mail.test");
        else
            account_->checkPassword("anna@mail.test", "pw");
        QTRY_COMPARE(events_, expected);
        QTest::qWait(100);
        QCOMPARE(events_, expected);
        QCOMPARE(setting("token"), token);
        QCOMPARE(statusName(account_->statusAutorization()), statusName(finalStatus));
        // Every failed reply leaves its report in the log.
        if (status != 200 || expected.first().startsWith("error:internet:Internet")) {
            const QByteArray added = readLog().mid(logBefore.size());
            QVERIFY2(added.contains("------------ Autorization ERROR ------------"), added.constData());
            if (!body.isEmpty())
                QVERIFY2(added.contains(body.left(20).toUtf8()), added.constData());
        }
    }

    // A token that is not the first member of the reply is still read.
    void tokenAnywhereInTheReply()
    {
        QVERIFY(script("/oauth2/token", 200,
                                R"({"token_type":"bearer","expires_in":3600,"access_token":"abc:def,1"})"));
        account_->checkPassword("anna@mail.test", "pw");
        QTRY_VERIFY(events_.contains("authFinished"));
        QCOMPARE(setting("token"), "abc:def,1");
    }

    void errorReportMasksSecrets()
    {
        // A failed user-info request with a bearer token.
        setSetting("token", "tok-very-secret");
        QVERIFY(script("/drive/v1/about", 500, ""));
        QByteArray before = readLog();
        account_->getUserInfo();
        QTRY_VERIFY(readLog().size() > before.size());
        QByteArray added = readLog().mid(before.size());
        QVERIFY2(added.contains("Method: GET"), added.constData());
        QVERIFY2(added.contains("Url: https://" + standIn_.host().toLatin1() + "/drive/v1/about"), added.constData());
        QVERIFY2(added.contains("User-agent: Pryx " PRYX_VERSION), added.constData());
        QVERIFY2(added.contains("Authorization: Bearer <hidden>"), added.constData());
        QVERIFY(!added.contains("tok-very-secret"));

        // A failed password login: the client credentials and the password
        // stay out; the request data are the fixed lines.
        before = readLog();
        QVERIFY(script("/oauth2/token", 400, R"({"error":"invalid_grant"})"));
        account_->checkPassword("anna@mail.test", "my-own-password");
        QTRY_VERIFY(readLog().mid(before.size()).contains("Method: POST"));
        added = readLog().mid(before.size());
        QVERIFY2(added.contains("Method: POST"), added.constData());
        QVERIFY2(added.contains("Authorization: Basic <hidden>"), added.constData());
        QVERIFY(!added.contains(kBasic.mid(6).toLatin1()));
        QVERIFY(!added.contains("my-own-password"));
        QVERIFY2(added.contains("form-data; name=\"grant_type\"\r\n\t\t\t\t\tpassword\r\n"), added.constData());
        QVERIFY2(added.contains("Error id:"), added.constData());
        QVERIFY2(added.contains("************ DATA INFO ************"), added.constData());
    }

    void socialLogin_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("path");
        QTest::newRow("Facebook") << "openFbUrl" << "/connect/facebook";
        QTest::newRow("VK") << "openVkUrl" << "/connect/vkontakte";
        QTest::newRow("Twitter") << "openTwitterUrl" << "/connect/twitter";
        QTest::newRow("Odnoklassniki") << "openOdnoklasnikiUrl" << "/connect/odnoklassniki";
    }
    void socialLogin()
    {
        QFETCH(QString, method);
        QFETCH(QString, path);
        const QString email = QString(path).remove("/connect/") + "@social.test";

        QVERIFY(QMetaObject::invokeMethod(account_, method.toLatin1().constData()));
        QCOMPARE(opened_.size(), 1);
        const QUrl opened = opened_.at(0);
        QCOMPARE(opened.scheme(), "https");
        QCOMPARE(opened.authority(), standIn_.host());
        QCOMPARE(opened.path(), path);
        const QString port = QString::number(account_->redirectPort());
        QCOMPARE(opened.query(QUrl::FullyEncoded),
                 "continue_uri=https%3A%2F%2F127.0.0.1%3A" + QString::number(standIn_.port())
                     + "%2Foauth2%2Fauth%3Fclient_id%3D7_dsk%26response_type%3Dcode%26redirect_uri%3D"
                       "http%3A%2F%2Flocalhost%3A" + port);
        // The internet check ran first.
        const QList<Seen> pings = to("/ping");
        QCOMPARE(pings.size(), 1);
        QCOMPARE(pings.at(0).query.queryItemValue("q").size(), 32);

        QString code;
        QCOMPARE(browse(opened, &code), redirectReply());
        QVERIFY(code.startsWith("code-"));
        QTRY_VERIFY2(events_.size() >= 6, qPrintable(events_.join('|')));
        QCOMPARE(events_, (QStringList{"authChanged:1", "authFinished", "name:" + email.section('@', 0, 0),
                                       "email:" + email, "authChanged:1", "authFinished"}));
        const QList<Seen> exchanges = to("/oauth2/token");
        QCOMPARE(exchanges.size(), 1);
        QCOMPARE(exchanges.at(0).method, "GET");
        QCOMPARE(exchanges.at(0).target,
                 "/oauth2/token?grant_type=authorization_code&client_id=7_dsk&code=" + code
                     + "&client_secret=4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z"
                       "&redirect_uri=http://localhost:" + port + "/");
        QCOMPARE(exchanges.at(0).header("User-agent"), "Pryx " PRYX_VERSION);
        QCOMPARE(account_->email(), email);
        QVERIFY(account_->isAuth());

        // The login is over: a code sent now is refused.
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, quint16(account_->redirectPort()));
        QVERIFY(late.waitForConnected(3000));
        late.write("GET /?code=" + code.toLatin1() + " HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(late.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(late.readAll().startsWith("HTTP/1.1 400 OK\r\n"));
        QTest::qWait(200);
        QCOMPARE(to("/oauth2/token").size(), 1);
    }

    // A refused code exchange is logged without the client secret and the code.
    void failedCodeExchangeLogMasked()
    {
        QVERIFY(script("/oauth2/token", 400, R"({"error":"invalid_grant"})"));
        const QByteArray before = readLog();
        account_->openFbUrl();
        QCOMPARE(opened_.size(), 1);
        QString code;
        browse(opened_.at(0), &code);
        QVERIFY(code.startsWith("code-"));
        QTRY_VERIFY(readLog().mid(before.size()).contains("/oauth2/token"));
        QCOMPARE(to("/oauth2/token").size(), 1);
        QVERIFY(!account_->isAuth());
        const QByteArray added = readLog().mid(before.size());
        QVERIFY2(added.contains("client_secret=%3Chidden%3E") || added.contains("client_secret=<hidden>"),
                 added.constData());
        QVERIFY2(!added.contains("4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z"), added.constData());
        QVERIFY2(!added.contains(code.toUtf8()), added.constData());
        QVERIFY2(!added.contains(QUrl::toPercentEncoding(code)), added.constData());
    }

    void codeWithoutPendingLoginRefused()
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(account_->redirectPort()));
        QVERIFY(socket.waitForConnected(3000));
        socket.write("GET /?code=forged HTTP/1.1\r\nHost: localhost\r\n\r\n");
        QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(socket.readAll(), ServerListener::badRequestReply());
        QTest::qWait(200);
        QVERIFY(to("/oauth2/token").isEmpty());
        QVERIFY(events_.isEmpty());
    }

    void socialLoginWithoutInternet()
    {
        QVERIFY(script("/ping", 200, "something else", "text/plain"));
        account_->openFbUrl();
        QCOMPARE(events_, QStringList{"error:internet:Internet connect not found"});
        QCOMPARE(account_->statusAutorization(), Autorization::InternetError);
        QVERIFY(opened_.isEmpty());
        QVERIFY(!account_->listener()->isExpectingCode());
    }

    void internetCheck_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("ok");
        QTest::newRow("echo") << 0 << "" << true;
        QTest::newRow("other text") << 200 << "hello" << false;
        QTest::newRow("empty") << 200 << "" << false;
        QTest::newRow("server error") << 503 << "" << false;
    }
    void internetCheck()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(bool, ok);
        if (status)
            QVERIFY(script("/ping", status, body, "text/plain"));
        QCOMPARE(account_->checkInternetAccess(), ok);
        QCOMPARE(account_->statusAutorization(), Autorization::NoneAuth);
        QCOMPARE(to("/ping").size(), 1);
    }

    // Certificates are verified: without the test CA the service is not
    // reached.
    void untrustedCertificateRefused()
    {
        const QByteArray ca = qgetenv("PRYX_EXTRA_CA_FILE");
        qunsetenv("PRYX_EXTRA_CA_FILE");
        const bool reached = account_->checkInternetAccess();
        qputenv("PRYX_EXTRA_CA_FILE", ca);
        QVERIFY(!reached);
        QVERIFY(seen().isEmpty());
    }

    // The hourly refresh of an earlier login overlaps a new login: the late
    // reply of the old account does not overwrite the new one.
    void staleUserInfoDropped()
    {
        QVERIFY(makeAccount("old@mail.test", "pw"));
        QVERIFY(makeAccount("new@mail.test", "pw"));
        account_->checkPassword("old@mail.test", "pw");
        QTRY_COMPARE(account_->name(), "old");
        events_.clear();

        QVERIFY(delay("/drive/v1/about", 1.0));
        account_->updateUserInfo();   // old account, answered late
        QTest::qWait(100);
        account_->checkPassword("new@mail.test", "pw");
        QTRY_COMPARE(account_->name(), "new");
        const QString newToken = setting("token");
        QTRY_COMPARE(to("/drive/v1/about").size(), 3);
        QTest::qWait(1300);
        QCOMPARE(account_->name(), "new");
        QCOMPARE(account_->email(), "new@mail.test");
        QCOMPARE(setting("token"), newToken);
        QCOMPARE(events_.count("authChanged:1"), 1);
    }

    void userInfoAfterLogoutDropped()
    {
        QVERIFY(makeAccount("gone@mail.test", "pw"));
        account_->checkPassword("gone@mail.test", "pw");
        QTRY_COMPARE(account_->name(), "gone");
        QVERIFY(delay("/drive/v1/about", 0.5));
        account_->getUserInfo();
        QTest::qWait(100);
        account_->exit();
        events_.clear();
        QTest::qWait(800);
        QVERIFY(events_.isEmpty());
        QCOMPARE(account_->name(), "");
        QVERIFY(!account_->isAuth());
        // The sign-out event must not reach the collector in the next case.
        QTRY_COMPARE_WITH_TIMEOUT(analyticsBodies().size(), 1, 30000);
    }

    void logout()
    {
        setSetting("token", "tok-logout");
        setSetting("username", "Anna");
        setSetting("usermail", "anna@mail.test");
        for (const char *key : {"ftp_host", "ftp_port", "ftp_user", "ftp_password", "ftp_path",
                                "sftp_host", "sftp_port", "sftp_user", "sftp_password", "sftp_path"})
            setSetting(key, QStringLiteral("value of ") + key);
        QCOMPARE(setting("ftp_password"), "value of ftp_password");
        setSetting("ftp_base_url", "https://files.test/");
        events_.clear();

        account_->exit();
        // Core answers authChanged by resetting the status again for its
        // login window: only NoneAuth announcements come before it.
        QVERIFY(events_.size() >= 2);
        QCOMPARE(events_.last(), QStringLiteral("authChanged:0"));
        QCOMPARE(events_.mid(0, events_.size() - 1),
                 QStringList(QVector<QString>(events_.size() - 1, QStringLiteral("status:NoneAuth")).toList()));
        QVERIFY(!account_->isAuth());
        for (const char *key : {"token", "usermail", "username", "ftp_host", "ftp_port", "ftp_user",
                                "ftp_password", "ftp_path", "sftp_host", "sftp_port", "sftp_user",
                                "sftp_password", "sftp_path"})
            QVERIFY2(setting(key).isEmpty(), key);
        QCOMPARE(setting("ftp_base_url"), "https://files.test/");
        QVERIFY(Setting::instance()->flush());
        QCOMPARE(Setting::instance()->getValueDB("token").toString(), "");
        QCOMPARE(Setting::instance()->getValueDB("ftp_host").toString(), "");

        // The sign-out event reaches the analytics collector.
        QTRY_COMPARE_WITH_TIMEOUT(analyticsBodies().size(), 1, 30000);
        const QString body = QString::fromUtf8(analyticsBodies().at(0));
        QVERIFY2(body.contains("&ec=auth&ea=auth&"), qPrintable(body));
    }

    void feedback()
    {
        Logging().writeMessage("an earlier report\nsecond line");
        setSetting("token", "tok-feedback");
        const QByteArray log = readLog();
        QVERIFY(!log.isEmpty());

        account_->sendFeedback("anna@mail.test", "Hallo, Прикс ✓");
        QTRY_COMPARE(events_, QStringList{"feedback:Your review posted!"});
        const QList<Seen> tickets = to("/support/tickets/");
        QCOMPARE(tickets.size(), 1);
        const Seen &t = tickets.at(0);
        QCOMPARE(t.method, "POST");
        QCOMPARE(t.header("Authorization"), "Bearer tok-feedback");
        QCOMPARE(t.parts.size(), 3);
        QCOMPARE(t.parts.at(0).name, "log");
        QCOMPARE(t.parts.at(0).headers.value("Content-Type"), "application/octet-stream");
        QCOMPARE(t.parts.at(0).headers.value("Content-Disposition"), "form-data; name=\"log\"");
        QCOMPARE(t.parts.at(0).body.toUtf8(), log);
        QCOMPARE(t.parts.at(1).name, "email");
        QCOMPARE(t.parts.at(1).body, "anna@mail.test");
        QCOMPARE(t.parts.at(2).name, "body");
        QCOMPARE(t.parts.at(2).body, QString("Hallo, Прикс ✓"));
        // The reply is reported in the log, successful as it is.
        QVERIFY(readLog().size() > log.size());
        QVERIFY(readLog().mid(log.size()).contains("Url: https://" + standIn_.host().toLatin1() + "/support/tickets/"));
    }

    void feedbackWithoutLogFile()
    {
        QFile::remove(pryx::logFilePath());
        account_->sendFeedback("anna@mail.test", "no log");
        QTRY_COMPARE(events_.size(), 1);
        const Seen t = to("/support/tickets/").value(0);
        QCOMPARE(t.parts.size(), 2);
        QCOMPARE(t.parts.at(0).name, "email");
    }

    void failedFeedback()
    {
        QVERIFY(script("/support/tickets/", 500, R"({"message":"down"})"));
        account_->sendFeedback("anna@mail.test", "text");
        QTRY_COMPARE(events_.size(), 1);
        QVERIFY(events_.at(0).startsWith("feedback:"));
        QVERIFY(events_.at(0) != "feedback:Your review posted!");
        QVERIFY(events_.at(0).size() > 9);
    }

    void quotaSpellings()
    {
        QVERIFY(makeAccount("q@mail.test", "pw"));
        account_->checkPassword("q@mail.test", "pw");
        QTRY_COMPARE(account_->name(), "q");
        QVERIFY(script("/drive/v1/about", 200,
                                R"({"quotaBytesTotal":1.5e12,"quotaBytesUsed":"12",)"
                                R"("maxUploadSizes":[{"size":"abc"}],"user":{"displayName":"Q2"}})"));
        account_->getUserInfo();
        QTRY_COMPARE(account_->name(), "Q2");
        QCOMPARE(setting("quota"), "1500000000000");
        QCOMPARE(setting("usage"), "12");
        QCOMPARE(setting("max_post_size"), "0");
    }
};

QTEST_MAIN(TestAutorization)
#include "tst_autorization.moc"
