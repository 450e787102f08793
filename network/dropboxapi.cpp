#include "network/dropboxapi.h"

#include "core/base/servicehosts.h"
#include "network/networkaccessmanager.h"
#include "network/networklog.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>

namespace pryx {

namespace {
std::atomic<int> timeoutMs{60000};

QString httpsUrl(Service service, const QString &path)
{
    return QStringLiteral("https://") + serviceHost(service) + path;
}

QString randomState()
{
    static const char alphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString state;
    for (int i = 0; i < 32; ++i)
        state += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(62)]);
    return state;
}

QJsonObject replyObject(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}
} // namespace

QString dropboxWebUrl(const QString &path) { return httpsUrl(Service::DropboxWeb, path); }
QString dropboxApiUrl(const QString &path) { return httpsUrl(Service::DropboxApi, path); }
QString dropboxContentUrl(const QString &path) { return httpsUrl(Service::DropboxContent, path); }

int dropboxTimeout() { return timeoutMs.load(); }
void setDropboxTimeout(int ms) { timeoutMs = ms; }

QByteArray asciiJson(const QJsonObject &object)
{
    const QString text = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            out += char(c.unicode());
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1();
    }
    return out;
}

} // namespace pryx

namespace {
QNetworkRequest timedRequest(const QString &url)
{
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(pryx::dropboxTimeout());
    // Peer verification on, with the extra authority of PRYX_EXTRA_CA_FILE.
    request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
    return request;
}

const char kCannedHead[] = "Date: Wed, 11 Feb 2009 11:20:59 GMT\r\nServer: Apache\r\n"
                           "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\n"
                           "Last-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
                           "Content-Language: ru\r\n";
} // namespace

// ---------------------------------------------------------------- QDropbox

QDropbox::QDropbox(QString appKey, QString appSecret, QObject *parent)
    : QObject(parent), appKey_(std::move(appKey)), appSecret_(std::move(appSecret))
{
    connect(this, &QDropbox::authComplete, this, &QDropbox::updateInfo);
}

QDropbox::~QDropbox()
{
    delete dropboxAuth_;
    dropboxAuth_ = nullptr;
    delete info_;
    info_ = nullptr;
}

void QDropbox::adopt(QDropboxAuth *auth)
{
    if (dropboxAuth_ == auth)
        return;
    delete dropboxAuth_;
    dropboxAuth_ = auth;
    if (auth) {
        auth->setParent(this);
        connect(auth, &QDropboxAuth::authComplete, this, &QDropbox::authComplete);
        connect(auth, &QDropboxAuth::error, this, &QDropbox::error);
    }
    // The info object follows the current authorisation, never a freed one.
    if (info_)
        info_->setDropboxAuth(auth);
}

void QDropbox::setDropboxAuth(QDropboxAuth *auth)
{
    if (dropboxAuth_ == auth)
        return;
    adopt(auth);
    emit dropboxAuthChanged(auth);
}

void QDropbox::setAppKey(const QString &key)
{
    if (appKey_ == key)
        return;
    appKey_ = key;
    emit appKeyChanged(key);
}

void QDropbox::setAppSecret(const QString &secret)
{
    if (appSecret_ == secret)
        return;
    appSecret_ = secret;
    emit appSecretChanged(secret);
}

QString QDropbox::accessToken() const
{
    return dropboxAuth_ ? dropboxAuth_->accessToken() : QString();
}

void QDropbox::auth()
{
    if (appKey_.isEmpty()) {
        emit error(QStringLiteral("App key can`t be empty"));
        return;
    }
    if (appSecret_.isEmpty()) {
        emit error(QStringLiteral("App secret can`t be empty"));
        return;
    }
    auto *auth = new QDropboxAuth(appKey_, appSecret_, this);
    adopt(auth);
    auth->auth();
    emit dropboxAuthChanged(auth);
}

void QDropbox::updateInfo()
{
    if (!dropboxAuth_) {
        emit error(QStringLiteral("Can`t update info user, auth is empty"));
        return;
    }
    if (!info_) {
        info_ = new QDropboxInfo(dropboxAuth_, this);
        connect(info_, &QDropboxInfo::infoUpdated, this, &QDropbox::infoUpdated);
        connect(info_, &QDropboxInfo::spaceUpdated, this, &QDropbox::infoUpdated);
        connect(info_, &QDropboxInfo::spaceUpdated, this, &QDropbox::loadAllInfo);
        connect(info_, &QDropboxInfo::error, this, &QDropbox::error);
    }
    info_->updateInfo();
}

// ------------------------------------------------------ QDropboxAuthSocket

QDropboxAuthSocket::QDropboxAuthSocket(QString redirectUrlAfterAuth, QString state,
                                       QObject *parent)
    : QTcpServer(parent), redirectUrlAfterAuth_(std::move(redirectUrlAfterAuth)),
      state_(std::move(state))
{
    connect(this, &QTcpServer::newConnection, this, &QDropboxAuthSocket::newClient);
}

void QDropboxAuthSocket::newClient()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, &QDropboxAuthSocket::clientReady);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void QDropboxAuthSocket::clientReady()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket)
        return;
    // Collect the request head; a browser may send it in pieces.
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    if (!head.contains("\r\n\r\n") && head.size() < 16384) {
        socket->setProperty("head", head);
        return;
    }
    socket->setProperty("head", QVariant());
    disconnect(socket, &QTcpSocket::readyRead, this, &QDropboxAuthSocket::clientReady);

    const QStringList lines = QString::fromUtf8(head).split(QStringLiteral("\r\n"));
    const QStringList parts = lines.value(0).split(QLatin1Char(' '));
    const QString target = parts.value(1);
    const int q = target.indexOf(QLatin1Char('?'));
    if (q >= 0) {
        const QUrlQuery query(target.mid(q + 1));
        const QString code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
        const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
        if (!code.isEmpty() && !state_.isEmpty() && state == state_) {
            // One code per authorisation: a reload of the page, or a
            // browser's retry, must not exchange it a second time.
            state_.clear();
            emit codeComplete(code);
        }
        else if (!code.isEmpty())
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "redirect with a wrong state ignored";
    }

    QByteArray answer;
    if (!redirectUrlAfterAuth_.isEmpty()) {
        answer = QByteArray("HTTP/1.1 303 OK\r\n") + kCannedHead + "Location: "
                 + redirectUrlAfterAuth_.toUtf8() + "\r\nContent-Length: 0\r\n\r\n";
    } else {
        answer = QByteArray("HTTP/1.1 200 OK\r\n") + kCannedHead
                 + "Connection: close\r\n\r\ndrpbox auth complete";
    }
    socket->write(answer);
    socket->disconnectFromHost();
}

// ------------------------------------------------------------ QDropboxAuth

QDropboxAuth::QDropboxAuth(QString appKey, QString appSecret, QObject *parent)
    : QObject(parent), appKey_(std::move(appKey)), appSecret_(std::move(appSecret))
{
    connect(this, &QDropboxAuth::accessTokenChanged, this, &QDropboxAuth::authComplete);
}

QDropboxAuth::~QDropboxAuth() { closeListener(); }

void QDropboxAuth::closeListener()
{
    if (listener_) {
        listener_->close();
        listener_->deleteLater();
        listener_ = nullptr;
    }
}

bool QDropboxAuth::isListening() const { return listener_ && listener_->isListening(); }

void QDropboxAuth::setRedirectUrlAfterAuth(const QString &url)
{
    if (redirectUrlAfterAuth_ == url)
        return;
    redirectUrlAfterAuth_ = url;
    emit redirectUrlAfterAuthChanged(url);
}

void QDropboxAuth::setPort(int port)
{
    if (port_ == port)
        return;
    port_ = port;
    emit portChanged(port);
}

void QDropboxAuth::setAccessToken(const QString &token)
{
    if (accessToken_ == token)
        return;
    accessToken_ = token;
    emit accessTokenChanged(token);
}

void QDropboxAuth::setAppKey(const QString &key)
{
    if (appKey_ == key)
        return;
    appKey_ = key;
    emit appKeyChanged(key);
}

void QDropboxAuth::setAppSecret(const QString &secret)
{
    if (appSecret_ == secret)
        return;
    appSecret_ = secret;
    emit appSecretChanged(secret);
}

QNetworkRequest QDropboxAuth::authorizedRequest(QNetworkRequest request) const
{
    request.setRawHeader("Authorization", "Bearer " + accessToken_.toUtf8());
    request.setRawHeader("Content-Type", " ");
    return request;
}

void QDropboxAuth::auth()
{
    closeListener();
    listener_ = new QDropboxAuthSocket(redirectUrlAfterAuth_, state_ = pryx::randomState());
    if (!listener_->listen(QHostAddress::LocalHost, quint16(port_))) {
        const QString why = listener_->errorString();
        closeListener();
        emit error(tr("Dropbox authorization: cannot listen on 127.0.0.1:%1 (%2)")
                       .arg(port_)
                       .arg(why));
        return;
    }
    connect(listener_, &QDropboxAuthSocket::codeComplete, this, &QDropboxAuth::codeComplete);

    const QString url = pryx::dropboxWebUrl(QStringLiteral("/oauth2/authorize")) + "?client_id="
                        + appKey_ + "&redirect_uri=http://127.0.0.1:" + QString::number(port_)
                        + "&response_type=code&state=" + state_;
    const bool opened = QDesktopServices::openUrl(QUrl(url));
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "browser opened:" << opened;
    // The listener keeps waiting: the address can still be opened by hand.
    if (!opened)
        emit error(tr("No web browser could be started. Open this address to authorise Pryx: %1").arg(url));
}

void QDropboxAuth::codeComplete(QString code)
{
    QNetworkRequest request = timedRequest(pryx::dropboxApiUrl(QStringLiteral("/oauth2/token/")));
    request.setRawHeader("Authorization",
                         "Basic " + QString(appKey_ + ":" + appSecret_).toUtf8().toBase64());
    // What the HTTP layer would pick for a posted form anyway.
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    const QByteArray body = "code=" + QUrl::toPercentEncoding(code)
                            + "&redirect_uri=http://127.0.0.1:" + QByteArray::number(port_)
                            + "&grant_type=authorization_code";
    if (!manager_) {
        manager_ = new pryx::net::ProxiedAccessManager(this);
        connect(manager_, &QNetworkAccessManager::finished, this, &QDropboxAuth::managerFinished);
    }
    manager_->post(request, body);
}

void QDropboxAuth::managerFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (manager_ == reply->manager()) {
        manager_->deleteLater();
        manager_ = nullptr;
    }
    const QByteArray body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError) {
        emit error(QStringLiteral("Auth error: ") + QString::fromUtf8(body));
        return;
    }
    const QString token = pryx::replyObject(body).value(QStringLiteral("access_token")).toString();
    if (token.isEmpty()) {
        // Keep what we had rather than store an empty token.
        emit error(QStringLiteral("Auth error: ") + QString::fromUtf8(body));
        return;
    }
    setAccessToken(token);
    closeListener();
}

// ------------------------------------------------------------ QDropboxFile

QDropboxFile::QDropboxFile(QDropboxAuth *auth, QObject *parent)
    : QObject(parent), dropboxAuth_(auth)
{
}

void QDropboxFile::setDropboxAuth(QDropboxAuth *auth)
{
    if (dropboxAuth_ == auth)
        return;
    dropboxAuth_ = auth;
    emit dropboxAuthChanged(auth);
}

void QDropboxFile::setShortUrl(bool on)
{
    if (shortUrl_ == on)
        return;
    shortUrl_ = on;
    emit shortUrlChanged(on);
}

QNetworkAccessManager *QDropboxFile::manager()
{
    if (!manager_) {
        manager_ = new pryx::net::ProxiedAccessManager(this);
        connect(manager_, &QNetworkAccessManager::finished, this, &QDropboxFile::managerFinished);
    }
    return manager_;
}

void QDropboxFile::releaseManager()
{
    if (manager_) {
        manager_->deleteLater();
        manager_ = nullptr;
    }
}

void QDropboxFile::upload(QString localFileName, bool link)
{
    if (!dropboxAuth_) {
        emit error(QStringLiteral("DropboxFile auth is empty"));
        return;
    }
    link_ = link;
    // The name as it is on disk: "#", "?" and "%" are part of it.
    const QString name = QFileInfo(localFileName).fileName();

    auto *file = new QFile(localFileName);
    if (!QFileInfo(localFileName).isFile() || !file->open(QIODevice::ReadOnly)) {
        delete file;
        emit error(QStringLiteral("DropboxFile: cannot read ") + localFileName);
        return;
    }

    QNetworkRequest request = dropboxAuth_->authorizedRequest(
        timedRequest(pryx::dropboxContentUrl(QStringLiteral("/2/files/upload"))));
    request.setRawHeader("Content-Type", "application/octet-stream");
    QJsonObject arg;
    arg.insert(QStringLiteral("path"), QStringLiteral("/") + name);
    arg.insert(QStringLiteral("mode"), QStringLiteral("add"));
    arg.insert(QStringLiteral("autorename"), true);
    arg.insert(QStringLiteral("mute"), true);
    request.setRawHeader("Dropbox-API-Arg", pryx::asciiJson(arg));

    QNetworkReply *reply = manager()->post(request, file);
    reply->setProperty("dropboxCall", QStringLiteral("upload"));
    file->setParent(reply);
    connect(reply, &QNetworkReply::uploadProgress, this, &QDropboxFile::uploadProgress);
}

void QDropboxFile::shareUrl()
{
    if (!dropboxAuth_) {
        emit error(QStringLiteral("DropboxFile auth is empty"));
        return;
    }
    if (serverFileName_.isEmpty()) {
        emit error(QStringLiteral("DropboxFile serverFileName is empty"));
        return;
    }
    QNetworkRequest request = dropboxAuth_->authorizedRequest(
        timedRequest(pryx::dropboxApiUrl(QStringLiteral("/2/sharing/create_shared_link"))));
    request.setRawHeader("Content-Type", "application/json");
    QJsonObject body;
    body.insert(QStringLiteral("path"), serverFileName_);
    body.insert(QStringLiteral("short_url"), shortUrl_);
    QNetworkReply *reply = manager()->post(request, pryx::asciiJson(body));
    reply->setProperty("dropboxCall", QStringLiteral("share"));
}

void QDropboxFile::managerFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit error(QStringLiteral("DropboxFile: ") + reply->errorString());
        releaseManager();
        return;
    }
    const QString call = reply->property("dropboxCall").toString();
    if (call == QLatin1String("upload")) {
        serverFileName_ =
            pryx::replyObject(reply->readAll()).value(QStringLiteral("path_lower")).toString();
        if (link_)
            shareUrl();
        else
            releaseManager();
    } else if (call == QLatin1String("share")) {
        const QString url =
            pryx::replyObject(reply->readAll()).value(QStringLiteral("url")).toString();
        releaseManager();
        if (url.isEmpty())
            emit error(QStringLiteral("DropboxFile: the reply holds no shared link"));
        else
            emit shareLinkComplete(url);
    }
}

void QDropboxFile::uploadFinished(QNetworkReply *reply)
{
    serverFileName_ =
        pryx::replyObject(reply->readAll()).value(QStringLiteral("path_lower")).toString();
}

// ------------------------------------------------------------ QDropboxInfo

QDropboxInfo::QDropboxInfo(QDropboxAuth *auth, QObject *parent)
    : QObject(parent), dropboxAuth_(auth)
{
    connect(this, &QDropboxInfo::infoUpdated, this, &QDropboxInfo::updateSpace);
}

QDropboxInfo::~QDropboxInfo() { qCDebug(pryx::lcNetwork) << Q_FUNC_INFO; }

void QDropboxInfo::releaseManager()
{
    if (manager_) {
        manager_->deleteLater();
        manager_ = nullptr;
    }
}

void QDropboxInfo::post(const QString &path)
{
    if (!dropboxAuth_) {
        emit error(QStringLiteral("DropboxFile auth is empty"));
        return;
    }
    if (!manager_) {
        manager_ = new pryx::net::ProxiedAccessManager(this);
        connect(manager_, &QNetworkAccessManager::finished, this, &QDropboxInfo::managerFinished);
    }
    const QNetworkRequest request =
        dropboxAuth_->authorizedRequest(timedRequest(pryx::dropboxApiUrl(path)));
    QNetworkReply *reply = manager_->post(request, QByteArray());
    reply->setProperty("dropboxCall", path);
}

void QDropboxInfo::updateInfo() { post(QStringLiteral("/2/users/get_current_account")); }

void QDropboxInfo::updateSpace() { post(QStringLiteral("/2/users/get_space_usage")); }

void QDropboxInfo::managerFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit error(QStringLiteral("Dropbox info ") + reply->errorString());
        releaseManager();
        return;
    }
    const QJsonObject object = pryx::replyObject(reply->readAll());
    const QString call = reply->property("dropboxCall").toString();
    auto store = [](auto &member, const auto &value, auto notify) {
        if (member != value) {
            member = value;
            notify(value);
        }
    };
    if (call == QLatin1String("/2/users/get_current_account")) {
        const QJsonObject name = object.value(QStringLiteral("name")).toObject();
        store(giveName_, name.value(QStringLiteral("given_name")).toString(),
              [this](const QString &v) { emit giveNameChanged(v); });
        store(surname_, name.value(QStringLiteral("surname")).toString(),
              [this](const QString &v) { emit surnameChanged(v); });
        store(familiarName_, name.value(QStringLiteral("familiar_name")).toString(),
              [this](const QString &v) { emit familiarNameChanged(v); });
        store(displayName_, name.value(QStringLiteral("display_name")).toString(),
              [this](const QString &v) { emit displayNameChanged(v); });
        store(email_, object.value(QStringLiteral("email")).toString(),
              [this](const QString &v) { emit emailChanged(v); });
        emit infoUpdated();
    } else if (call == QLatin1String("/2/users/get_space_usage")) {
        const auto number = [](const QJsonValue &v) {
            const double d = v.toDouble();
            return d > 0 ? qulonglong(d) : qulonglong(0);
        };
        store(used_, number(object.value(QStringLiteral("used"))),
              [this](qulonglong v) { emit usedChanged(v); });
        store(allocated_,
              number(object.value(QStringLiteral("allocation")).toObject().value(
                  QStringLiteral("allocated"))),
              [this](qulonglong v) { emit allocatedChanged(v); });
        emit spaceUpdated();
    }
}
