#include "network/autorization.h"
#include "network/dropboxauth.h"
#include "network/networklog.h"

#include <QAuthenticator>
#include <QDebug>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdlib>

#include "core/base/logging.h"
#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "network/analyticsevent.h"
#include "network/networkaccessmanager.h"
#include "network/networkreadreply.h"
#include "network/quietreply.h"
#include "network/uploadservices.h"
#include "network/serverlistener.h"
#include "windows/messagedialog.h"


namespace {

const char *const kClientId = "7_dsk";
const char *const kClientSecret = "4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z";
const char *const kKindProperty = "pryxRequestKind";
const char *const kTokenProperty = "pryxRequestToken";
const char *const kHidden = "<hidden>";

Setting *settings() { return Setting::instance(); }

QString authHost() { return pryx::serviceHost(pryx::Service::Auth); }

// Every request verifies the service's certificate.
void verified(QNetworkRequest &request)
{
    request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
}

bool matchesEmail(const QString &email, int longestTopLevel)
{
    const QRegularExpression pattern(
        QStringLiteral("\\A\\b[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,%1}\\b\\z").arg(longestTopLevel),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(email).hasMatch();
}

QHttpPart formPart(const QString &name, const QByteArray &value)
{
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"%1\"").arg(name));
    part.setBody(value);
    return part;
}

// An unsigned number from a text that may spell it as an integer or in the
// exponent form of a JSON number; 0 when it is no such number.
quint64 toQuota(const QString &text)
{
    bool ok = false;
    const quint64 value = text.trimmed().toULongLong(&ok);
    if (ok)
        return value;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < 0 || d >= 18446744073709551616.0 || std::floor(d) != d)
        return 0;
    return quint64(d);
}

// The text of the first "state" element of an XML reply; null when there is
// none or the XML breaks before it.
QString xmlState(const QByteArray &body)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("state")) {
            QString text = xml.readElementText();
            if (xml.hasError())
                return QString();
            return text.remove(QLatin1Char('"'));
        }
    }
    return QString();
}

// The URL with the secrets of its query replaced.
QString maskedUrl(QUrl url)
{
    QUrlQuery query(url);
    bool changed = false;
    for (const char *key : {"client_secret", "code", "password"}) {
        if (query.hasQueryItem(QLatin1String(key))) {
            const QString name = QLatin1String(key);
            query.removeAllQueryItems(name);
            query.addQueryItem(name, QLatin1String(kHidden));
            changed = true;
        }
    }
    if (changed)
        url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

// A text that may quote the URL (a reply's error string): the same secrets
// replaced wherever a query names them.
QString maskedText(QString text)
{
    static const QRegularExpression secret(
        QStringLiteral("([?&](?:client_secret|code|password)=)[^&#\\s]*"));
    return text.replace(secret, QStringLiteral("\\1") + QLatin1String(kHidden));
}

QByteArray maskedHeader(const QByteArray &name, const QByteArray &value)
{
    if (name.compare("Authorization", Qt::CaseInsensitive) != 0)
        return value;
    const int blank = value.indexOf(' ');
    return (blank < 0 ? QByteArray() : value.left(blank + 1)) + kHidden;
}

} // namespace

Autorization::Autorization(QObject *parent) : QObject(parent)
{
    // QML pages call dropBoxAuth().
    qRegisterMetaType<DropboxAuth *>("DropboxAuth*");
    userInfoTimer_.setInterval(86400000);
    userInfoTimer_.setSingleShot(false);
    connect(&userInfoTimer_, SIGNAL(timeout()), this, SLOT(updateUserInfo()));
    readReply_ = new NetworkReadReply(this);

    setStatus(NoneAuth, true);
    // Managers on worker threads (the Dropbox upload) read this copy of the
    // proxy settings.
    pryx::net::proxyChoice();
    connect(this, SIGNAL(authFinished()), this, SLOT(sendAuthorizationStatistic()));
    connect(this, SIGNAL(registrationFinished()), this, SLOT(sendRegistrationStatistic()));
    connect(this, SIGNAL(registrationFinished()), this, SLOT(sendAuthorizationStatistic()));
    userInfoTimer_.start();
}

Autorization::~Autorization() = default;

QString Autorization::name() const
{
    return settings()->getValue(QStringLiteral("username")).toString();
}

QString Autorization::email() const
{
    return settings()->getValue(QStringLiteral("usermail")).toString();
}

bool Autorization::isAuth() { return !token().isEmpty(); }

QString Autorization::token() { return settings()->getValue(QStringLiteral("token")).toString(); }

QString Autorization::clientId() { return QString::fromLatin1(kClientId); }

QString Autorization::clientSecret() { return QString::fromLatin1(kClientSecret); }

void Autorization::setStatus(StatusAutorization status, bool announce)
{
    status_ = status;
    if (announce)
        emit statusAutorizationChanged(status_);
}

void Autorization::listen()
{
    if (!listener_) {
        listener_ = new ServerListener(this);
        connect(listener_, SIGNAL(newConnection()), listener_, SLOT(newClient()));
        connect(listener_, SIGNAL(checkCode(QTcpSocket*,QString)), this,
                SLOT(checkCode(QTcpSocket*,QString)));
    }
    if (listener_->isListening())
        return;
    QString error;
    for (quint16 port : ServerListener::redirectPorts()) {
        if (listener_->listen(QHostAddress::LocalHost, port)) {
            redirectPort_ = port;
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "login listener on port" << port;
            return;
        }
        error = listener_->errorString();
    }
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "no login port free:" << error;
    auto *dialog = new MessageDialog();
    connect(dialog, SIGNAL(closed()), dialog, SLOT(deleteLater()));
    dialog->showInformation(tr("Error start socket"), error);
    dialog->show();
    // Precise: a coarse timer may end the program up to half a second early.
    QTimer::singleShot(10000, Qt::PreciseTimer, Core::instance(), SLOT(exitApp()));
}

NetworkAccessManager *Autorization::manager(bool withProxyAuth)
{
    if (!manager_) {
        manager_ = new NetworkAccessManager(this);
        connect(manager_, SIGNAL(finished(QNetworkReply*)), this, SLOT(finished(QNetworkReply*)));
    }
    if (withProxyAuth && !proxyAuthConnected_) {
        connect(manager_, SIGNAL(proxyAuthenticationRequired(QNetworkProxy,QAuthenticator*)), this,
                SLOT(proxyAuthenticationRequired(QNetworkProxy,QAuthenticator*)));
        proxyAuthConnected_ = true;
    }
    return manager_;
}

QNetworkReply *Autorization::send(RequestKind kind, QNetworkReply *reply)
{
    reply->setProperty(kKindProperty, int(kind));
    // A service that accepts and never answers ends like one that is gone.
    pryx::net::abortWhenQuiet(reply, pryx::net::services().transferTimeoutMs);
    return reply;
}

// E-mail check.
void Autorization::checkEmail(QString email)
{
    if (!matchesEmail(email, 99)) {
        emit authError(QStringLiteral("email"), tr("E-mail is not valid"));
        return;
    }
    if (status_ == CheckEmail)
        return;
    setStatus(CheckEmail, false);
    QUrl url(QStringLiteral("https://") + authHost() + QStringLiteral("/join/email/check.xml"));
    url.setQuery(QStringLiteral("email=") + QString::fromLatin1(QUrl::toPercentEncoding(email)));
    QNetworkRequest request(url);
    verified(request);
    send(RequestEmailCheck, manager(false)->get(request));
}

void Autorization::sendPasswordGrant(RequestKind kind, const QString &email, const QString &password)
{
    QNetworkRequest request(QUrl(QStringLiteral("https://") + authHost() + QStringLiteral("/oauth2/token")));
    request.setRawHeader("Authorization",
                         "Basic " + (clientId() + ':' + clientSecret()).toUtf8().toBase64());
    verified(request);

    auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(formPart(QStringLiteral("grant_type"), "password"));
    form->append(formPart(QStringLiteral("username"), email.toUtf8()));
    form->append(formPart(QStringLiteral("password"), password.toUtf8()));
    QNetworkReply *reply = send(kind, manager(false)->post(request, form));
    form->setParent(reply);
}

// Password login.
void Autorization::checkPassword(QString email, QString password)
{
    setStatus(CheckPassword, false);
    if (password.isEmpty()) {
        emit authError(QStringLiteral("password"), tr("No password"));
        return;
    }
    sendPasswordGrant(RequestPassword, email, password);
    lastRequestData_ = QStringLiteral("form-data; name=\"grant_type\"\npassword\n"
                                      "form-data; name=\"username\"\nusername\n"
                                      "form-data; name=\"password\"\npassword\n");
}

// Registration: the service makes the account for a password grant of an
// e-mail it does not know.
void Autorization::checkRegistration(QString email, QString password, QString confirmPass)
{
    setStatus(CheckRegistration, false);
    if (password.isEmpty()) {
        emit authError(QStringLiteral("password"), tr("Password is empty"));
    } else if (confirmPass.isEmpty()) {
        emit authError(QStringLiteral("confirm"), tr("Confirm password is empty"));
    } else if (password == confirmPass) {
        sendPasswordGrant(RequestRegistration, email, password);
        lastRequestData_ = QStringLiteral("form-data; name=\"grant_type\"\npassword\n"
                                          "form-data; name=\"username\"usernameform-data; "
                                          "name=\"password\"password");
    } else {
        emit authError(QStringLiteral("confirm"), tr("Passwords do not match"));
    }
}

// Internet check: the support host echoes a random text.
bool Autorization::checkInternetAccess()
{
    setStatus(CheckInternetAccess, false);
    const int alphabet = int(qstrlen(pryx::kRandomAlphabet));
    pingValue_.clear();
    for (int i = 0; i < 32; ++i)
        pingValue_ += QLatin1Char(pryx::kRandomAlphabet[std::rand() % alphabet]);

    // Through the user's proxy, like the requests it stands for.
    pryx::net::ProxiedAccessManager pinger;
    QNetworkRequest request(QUrl(pryx::pingUrl() + pingValue_));
    verified(request);
    request.setTransferTimeout(kInternetCheckTimeoutMs);
    QEventLoop loop;
    connect(&pinger, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
    QNetworkReply *reply = pinger.get(request);
    loop.exec();
    const QByteArray body = reply->readAll();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->error() << body.size();
    delete reply;

    setStatus(NoneAuth, false);
    return !body.isEmpty() && body == pingValue_.toLatin1();
}

QUrl Autorization::socialLoginUrl(const QString &networkPath) const
{
    const QString base = QStringLiteral("https://") + authHost();
    const QString continueUri = base
                              + QStringLiteral("/oauth2/auth?client_id=7_dsk&response_type=code"
                                               "&redirect_uri=http://localhost:")
                              + QString::number(redirectPort_);
    QUrl url(base + networkPath);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("continue_uri"),
                       QString::fromLatin1(QUrl::toPercentEncoding(continueUri)));
    url.setQuery(query);
    return url;
}

void Autorization::openSocialLogin(const QString &networkPath)
{
    if (status_ == CheckInternetAccess)
        return;
    if (!checkInternetAccess()) {
        setStatus(InternetError, false);
        emit authError(QStringLiteral("internet"), tr("Internet connect not found"));
        return;
    }
    if (listener_)
        listener_->setExpectingCode(true);
    const QUrl url = socialLoginUrl(networkPath);
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << url;
    QDesktopServices::openUrl(url);
}

void Autorization::openFbUrl() { openSocialLogin(QStringLiteral("/connect/facebook")); }
void Autorization::openVkUrl() { openSocialLogin(QStringLiteral("/connect/vkontakte")); }
void Autorization::openTwitterUrl() { openSocialLogin(QStringLiteral("/connect/twitter")); }
void Autorization::openOdnoklasnikiUrl() { openSocialLogin(QStringLiteral("/connect/odnoklassniki")); }

// Code exchange after the browser's redirect reached the listener.
void Autorization::checkCode(QTcpSocket *client, QString code)
{
    Q_UNUSED(client)
    setStatus(CheckToken, false);
    const QString url = QStringLiteral("https://") + authHost()
                      + QStringLiteral("/oauth2/token?grant_type=authorization_code&client_id=%1"
                                       "&code=%2&client_secret=%3&redirect_uri=http://localhost:")
                            .arg(clientId(), QString::fromLatin1(QUrl::toPercentEncoding(code)),
                                 clientSecret())
                      + QString::number(redirectPort_) + QLatin1Char('/');
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("User-agent", pryx::appTitle().toUtf8());
    verified(request);
    send(RequestCodeExchange, manager(false)->get(request));
}

void Autorization::getUserInfo()
{
    setStatus(GetUserInfo, false);
    QNetworkRequest request(
        QUrl(QStringLiteral("https://") + pryx::serviceHost(pryx::Service::Api) + QStringLiteral("/drive/v1/about")));
    NetworkAccessManager::getAuthRequest(request);
    QNetworkReply *reply = send(RequestUserInfo, manager(true)->get(request));
    // The data belong to the account that asked; a logout or another login
    // in between makes them stale.
    reply->setProperty(kTokenProperty, token());
}

void Autorization::updateUserInfo()
{
    if (isAuth())
        getUserInfo();
}

void Autorization::exit()
{
    new AnalyticsEvent(AnalyticsEvent::CategoryAuth, AnalyticsEvent::ActionSignout, true, QString());
    for (const char *key : {"token", "usermail", "username", "ftp_host", "ftp_port", "ftp_user",
                            "ftp_password", "ftp_path", "sftp_host", "sftp_port", "sftp_user",
                            "sftp_password", "sftp_path"})
        settings()->setValue(QLatin1String(key), QString(QLatin1String("")));
    if (listener_)
        listener_->setExpectingCode(false);
    setStatus(NoneAuth, true);
    dropBoxAuth()->logout();
    emit authChanged(false);
}

void Autorization::resetAutorization()
{
    if (listener_)
        listener_->setExpectingCode(false);
    setStatus(NoneAuth, true);
}

void Autorization::sendFeedback(QString email, QString data)
{
    setStatus(SendFeedBack, false);
    if (email.isNull()) {
        emit feedBackResponse(tr("Email not specified"));
        return;
    }
    if (!matchesEmail(email, 4)) {
        emit feedBackResponse(tr("E-mail is not valid"));
        return;
    }
    if (data.isNull()) {
        emit feedBackResponse(tr("Feedback not specified"));
        return;
    }
    QNetworkRequest request{QUrl(pryx::supportTicketsUrl())};
    NetworkAccessManager::getAuthRequest(request);

    auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    auto *log = new QFile(pryx::logFilePath(), form);
    if (log->exists() && log->open(QIODevice::ReadOnly)) {
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
        part.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"log\""));
        part.setBodyDevice(log);
        form->append(part);
    }
    form->append(formPart(QStringLiteral("email"), email.toUtf8()));
    form->append(formPart(QStringLiteral("body"), data.toUtf8()));
    QNetworkReply *reply = send(RequestFeedback, manager(true)->post(request, form));
    form->setParent(reply);
}

void Autorization::proxyAuthenticationRequired(QNetworkProxy proxy, QAuthenticator *authenticator)
{
    Q_UNUSED(proxy)
    if (settings()->flag(QStringLiteral("useProxy"))) {
        authenticator->setUser(settings()->getValue(QStringLiteral("proxy_user")).toString());
        authenticator->setPassword(settings()->getValue(QStringLiteral("proxy_password")).toString());
    }
}

void Autorization::sendAuthorizationStatistic() {}
void Autorization::sendRegistrationStatistic() {}
void Autorization::sendOAuthStatistic() {}
void Autorization::sendAutentificationStatistic() {}

DropboxAuth *Autorization::dropBoxAuth()
{
    if (!dropBoxAuth_) {
        dropBoxAuth_ = new DropboxAuth(this);
        connect(dropBoxAuth_, SIGNAL(isAuthChanged()), this, SLOT(dropboxISAuthChanged()));
        connect(dropBoxAuth_, &DropboxAuth::error, this, &Autorization::dropboxError);
    }
    return dropBoxAuth_;
}

void Autorization::dropboxISAuthChanged()
{
    if (dropBoxAuth_ && dropBoxAuth_->isAuth()) {
        settings()->setValue(QStringLiteral("drop_box_quota"), qint64(dropBoxAuth_->total()));
        settings()->setValue(QStringLiteral("drop_box_usage"), qint64(dropBoxAuth_->usage()));
    }
}

// Replies.
QString Autorization::errorReport(QNetworkReply *reply, const QByteArray &body) const
{
    QString text = QStringLiteral("------------ Autorization ERROR ------------\n"
                                  "************ ERROR INFO ************\n");
    text += QStringLiteral("Error id:") + QString::number(int(pryx::net::replyError(reply)))
          + QLatin1Char('\n');
    text += QStringLiteral("Error string:")
          + (pryx::net::timedOut(reply) ? QStringLiteral("No answer in time")
                                        : maskedText(reply->errorString()));
    text += QStringLiteral("\n************ ********** ************");
    text += QStringLiteral("\n************ HEADER INFO ************");
    text += QLatin1Char('\n');
    switch (reply->operation()) {
    case QNetworkAccessManager::HeadOperation: text += QStringLiteral("Method: HEAD\n"); break;
    case QNetworkAccessManager::GetOperation: text += QStringLiteral("Method: GET\n"); break;
    case QNetworkAccessManager::PutOperation: text += QStringLiteral("Method: PUT\n"); break;
    case QNetworkAccessManager::PostOperation: text += QStringLiteral("Method: POST\n"); break;
    case QNetworkAccessManager::DeleteOperation: text += QStringLiteral("Method: DELETE\n"); break;
    case QNetworkAccessManager::CustomOperation: text += QStringLiteral("Method: CUSTOM\n"); break;
    default: break;
    }
    const QNetworkRequest request = reply->request();
    text += QStringLiteral("Url: ") + maskedUrl(request.url()) + QLatin1Char('\n');
    for (const QByteArray &name : request.rawHeaderList()) {
        text += QString::fromUtf8(name) + QStringLiteral(": ")
              + QString::fromUtf8(maskedHeader(name, request.rawHeader(name))) + QLatin1Char('\n');
    }
    text += lastRequestData_;
    text += QStringLiteral("************ ********** ************\n");
    if (!body.isNull())
        text += QStringLiteral("************ DATA INFO ************\n") + QString::fromUtf8(body)
              + QLatin1Char('\n');
    text += QStringLiteral("************ ********** ************\n");
    text += QStringLiteral("------------ ------------ ------------\n");
    return text;
}

void Autorization::writeReport(QNetworkReply *reply, const QByteArray &body)
{
    Logging log;
    log.writeMessage(errorReport(reply, body));
}

void Autorization::internetError()
{
    setStatus(InternetError, false);
    emit authError(QStringLiteral("internet"), tr("Internet connect not found"));
}

void Autorization::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->error();
    bool known = false;
    const auto kind = RequestKind(reply->property(kKindProperty).toInt(&known));
    if (!known)
        return;
    // A reply ended by its time-out is closed: it has no body.
    const QByteArray body = reply->isOpen() ? reply->readAll() : QByteArray();

    const QNetworkReply::NetworkError error = pryx::net::replyError(reply);
    if (kind == RequestFeedback) {
        setStatus(SendFeedBack, false);
        writeReport(reply, body);
        emit feedBackResponse(error == QNetworkReply::NoError ? tr("Your review posted!")
                              : pryx::net::timedOut(reply) ? tr("No answer in time")
                                                           : reply->errorString());
        return;
    }
    if (error != QNetworkReply::NoError)
        replyFailed(kind, reply, body);
    else
        replySucceeded(kind, reply, body);
}

void Autorization::replyFailed(RequestKind kind, QNetworkReply *reply, const QByteArray &body)
{
    writeReport(reply, body);

    if (body.contains("error")) {
        const QJsonObject json = QJsonDocument::fromJson(body).object();
        if (json.value(QStringLiteral("error")).toString() == QLatin1String("invalid_grant"))
            emit authError(QStringLiteral("password"), tr("Wrong password"));
        else
            internetError();
        return;
    }
    if (!body.contains("state")) {
        if (kind == RequestEmailCheck || kind == RequestPassword) {
            internetError();
            settings()->setValue(QStringLiteral("token"), QString(QLatin1String("")));
        } else if (kind == RequestRegistration || kind == RequestCodeExchange) {
            internetError();
        }
        return;
    }
    if (xmlState(body) == QLatin1String("unknown")) {
        setStatus(CheckRegistration, true);
        return;
    }
    setStatus(InternetError, false);
    emit authChanged(false);
    settings()->setValue(QStringLiteral("token"), QString(QLatin1String("")));
    emit authError(QStringLiteral("internet"), tr("Internet connect not found"));
}

void Autorization::replySucceeded(RequestKind kind, QNetworkReply *reply, const QByteArray &body)
{
    switch (kind) {
    case RequestEmailCheck: {
        const QString state = xmlState(body);
        if (state.isNull()) {
            writeReport(reply, body);
            internetError();
            return;
        }
        setStatus(state == QLatin1String("unknown") ? CheckRegistration : CheckPassword, true);
        return;
    }
    case RequestPassword:
    case RequestRegistration:
    case RequestCodeExchange:
        takeToken(kind, reply, body);
        return;
    case RequestUserInfo:
        takeUserInfo(reply, body);
        return;
    case RequestFeedback:
        return;
    }
}

void Autorization::takeToken(RequestKind kind, QNetworkReply *reply, const QByteArray &body)
{
    const QJsonObject json = QJsonDocument::fromJson(body).object();
    const QString token = json.value(QStringLiteral("access_token")).toString();
    if (token.isEmpty()) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "reply without an access token";
        writeReport(reply, body);
        setStatus(InternetError, false);
        emit authError(QStringLiteral("internet"), tr("The service sent no access token"));
        return;
    }
    settings()->setValue(QStringLiteral("token"), token);
    if (kind == RequestPassword) {
        emit authFinished();
    } else if (kind == RequestRegistration) {
        emit registrationFinished();
    } else {
        emit authChanged(true);
        emit authFinished();
    }
    getUserInfo();
}

void Autorization::takeUserInfo(QNetworkReply *reply, const QByteArray &body)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << body;
    if (reply->property(kTokenProperty).toString() != token() || token().isEmpty()) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "user info of an earlier login dropped";
        return;
    }
    if (!QJsonDocument::fromJson(body).isObject()) {
        writeReport(reply, body);
        return;
    }
    const QMap<QString, QString> info = readReply_->readUserInfo(body);
    settings()->setValue(QStringLiteral("quota"), toQuota(info.value(QStringLiteral("quotaBytesTotal"))));
    settings()->setValue(QStringLiteral("usage"), toQuota(info.value(QStringLiteral("quotaBytesUsed"))));
    settings()->setValue(QStringLiteral("max_post_size"), toQuota(info.value(QStringLiteral("maxUploadSizes"))));
    settings()->setValue(QStringLiteral("username"), info.value(QStringLiteral("displayName")));
    settings()->setValue(QStringLiteral("usermail"), info.value(QStringLiteral("emailAddress")));
    settings()->setValue(QStringLiteral("useravatar"), info.value(QStringLiteral("picture")));
    emit nameChanged(name());
    emit emailChanged(email());
    emit authChanged(true);
    emit authFinished();
}
