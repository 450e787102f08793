#pragma once
// Dropbox API v2 client: the authorisation through the system browser and a
// loopback listener, the token exchange, account and space figures, file
// upload and shared links. Every request goes through a plain network manager
// of the class that sends it (no proxy).

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

class QNetworkAccessManager;
class QNetworkReply;
class QDropboxAuth;
class QDropboxInfo;

namespace pryx {
// "https://" + the Dropbox web, API or content host + path.
QString dropboxWebUrl(const QString &path);
QString dropboxApiUrl(const QString &path);
QString dropboxContentUrl(const QString &path);
// Inactivity limit of every Dropbox request in ms (thread-safe).
int dropboxTimeout();
void setDropboxTimeout(int ms);
// Compact JSON of the object, every character outside ASCII written as
// \uXXXX, so the text can travel in an HTTP header.
QByteArray asciiJson(const QJsonObject &object);
} // namespace pryx

class QDropbox : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QDropboxAuth *dropboxAuth READ dropboxAuth WRITE setDropboxAuth NOTIFY dropboxAuthChanged)
    Q_PROPERTY(QDropboxInfo *info READ info)
    Q_PROPERTY(QString appKey READ appKey WRITE setAppKey NOTIFY appKeyChanged)
    Q_PROPERTY(QString appSecret READ appSecret WRITE setAppSecret NOTIFY appSecretChanged)
    Q_PROPERTY(bool isAuth READ isAuth)

public:
    QDropbox(QString appKey, QString appSecret, QObject *parent = nullptr);
    ~QDropbox() override;

    QDropboxAuth *dropboxAuth() const { return dropboxAuth_; }
    // Takes ownership; the previous authorisation object is freed.
    void setDropboxAuth(QDropboxAuth *auth);
    QDropboxInfo *info() const { return info_; }
    QString appKey() const { return appKey_; }
    QString appSecret() const { return appSecret_; }
    void setAppKey(const QString &key);
    void setAppSecret(const QString &secret);
    bool isAuth() const { return !token_.isEmpty(); }
    // The authorisation object's token, empty without one.
    QString accessToken() const;

    Q_INVOKABLE void auth();

public slots:
    void updateInfo();

signals:
    void error(QString error);
    void authComplete();
    void dropboxAuthChanged(QDropboxAuth *auth);
    void infoUpdated();
    void loadAllInfo();
    void appKeyChanged(QString key);
    void appSecretChanged(QString secret);

private:
    void adopt(QDropboxAuth *auth);

    QString appKey_;
    QString appSecret_;
    QString token_;
    QDropboxAuth *dropboxAuth_ = nullptr;
    QDropboxInfo *info_ = nullptr;
};

class QDropboxAuthSocket : public QTcpServer
{
    Q_OBJECT
public:
    // Hands on the code of a redirect only when its "state" is state, and
    // only once: the state is spent by the first code.
    QDropboxAuthSocket(QString redirectUrlAfterAuth, QString state = QString(),
                       QObject *parent = nullptr);

    // A client that sends no complete request head in this time is dropped.
    static constexpr int kClientTimeoutMs = 10000;
    int clientTimeout() const { return clientTimeoutMs_; }
    void setClientTimeout(int ms) { clientTimeoutMs_ = ms; }

signals:
    void codeComplete(QString code);

public slots:
    void newClient();
    void clientReady();

private:
    QString redirectUrlAfterAuth_;
    QString state_;
    int clientTimeoutMs_ = kClientTimeoutMs;
};

class QDropboxAuth : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString redirectUrlAfterAuth READ redirectUrlAfterAuth WRITE setRedirectUrlAfterAuth NOTIFY redirectUrlAfterAuthChanged)
    Q_PROPERTY(int port READ port WRITE setPort NOTIFY portChanged)
    Q_PROPERTY(QString accessToken READ accessToken WRITE setAccessToken NOTIFY accessTokenChanged)
    Q_PROPERTY(QString appKey READ appKey WRITE setAppKey NOTIFY appKeyChanged)
    Q_PROPERTY(QString appSecret READ appSecret WRITE setAppSecret NOTIFY appSecretChanged)

public:
    QDropboxAuth(QString appKey, QString appSecret, QObject *parent = nullptr);
    ~QDropboxAuth() override;

    QString redirectUrlAfterAuth() const { return redirectUrlAfterAuth_; }
    void setRedirectUrlAfterAuth(const QString &url);
    int port() const { return port_; }
    void setPort(int port);
    QString accessToken() const { return accessToken_; }
    void setAccessToken(const QString &token);
    QString appKey() const { return appKey_; }
    void setAppKey(const QString &key);
    QString appSecret() const { return appSecret_; }
    void setAppSecret(const QString &secret);

    // The state value sent with the last authorisation (empty before one).
    QString state() const { return state_; }
    // True while the loopback listener waits for the browser.
    bool isListening() const;

    QNetworkRequest authorizedRequest(QNetworkRequest request) const;

    Q_INVOKABLE void auth();

public slots:
    void codeComplete(QString code);
    void managerFinished(QNetworkReply *reply);

signals:
    void authComplete();
    void error(QString error);
    void accessTokenChanged(QString token);
    void redirectUrlAfterAuthChanged(QString url);
    void portChanged(int port);
    void appKeyChanged(QString key);
    void appSecretChanged(QString secret);

private:
    void closeListener();

    int port_ = 6609;
    QString appKey_;
    QString appSecret_;
    QString accessToken_;
    QString redirectUrlAfterAuth_;
    QNetworkAccessManager *manager_ = nullptr;
    QDropboxAuthSocket *listener_ = nullptr;
    QString state_;
};

class QDropboxFile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QDropboxAuth *dropboxAuth READ dropboxAuth WRITE setDropboxAuth NOTIFY dropboxAuthChanged)
    Q_PROPERTY(bool shortUrl READ shortUrl WRITE setShortUrl NOTIFY shortUrlChanged)

public:
    QDropboxFile(QDropboxAuth *auth, QObject *parent = nullptr);

    QDropboxAuth *dropboxAuth() const { return dropboxAuth_; }
    void setDropboxAuth(QDropboxAuth *auth);
    bool shortUrl() const { return shortUrl_; }
    void setShortUrl(bool on);
    // The "path_lower" of the last upload.
    QString serverFileName() const { return serverFileName_; }

    Q_INVOKABLE void upload(QString localFileName, bool link);
    Q_INVOKABLE void upload(QString localFileName) { upload(localFileName, false); }
    Q_INVOKABLE void shareUrl();

public slots:
    void managerFinished(QNetworkReply *reply);
    void uploadFinished(QNetworkReply *reply);

signals:
    void error(QString error);
    void uploadProgress(qlonglong sent, qlonglong total);
    void dropboxAuthChanged(QDropboxAuth *auth);
    void shortUrlChanged(bool on);
    void shareLinkComplete(QString link);

private:
    QNetworkAccessManager *manager();
    void releaseManager();

    QPointer<QDropboxAuth> dropboxAuth_;
    bool link_ = false;
    bool shortUrl_ = false;
    QString serverFileName_;
    QNetworkAccessManager *manager_ = nullptr;
};

class QDropboxInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString giveName READ giveName NOTIFY giveNameChanged)
    Q_PROPERTY(QString surname READ surname NOTIFY surnameChanged)
    Q_PROPERTY(QString familiarName READ familiarName NOTIFY familiarNameChanged)
    Q_PROPERTY(QString displayName READ displayName NOTIFY displayNameChanged)
    Q_PROPERTY(QString email READ email NOTIFY emailChanged)
    Q_PROPERTY(qulonglong used READ used NOTIFY usedChanged)
    Q_PROPERTY(qulonglong allocated READ allocated NOTIFY allocatedChanged)

public:
    QDropboxInfo(QDropboxAuth *auth, QObject *parent = nullptr);
    ~QDropboxInfo() override;

    QDropboxAuth *dropboxAuth() const { return dropboxAuth_; }
    void setDropboxAuth(QDropboxAuth *auth) { dropboxAuth_ = auth; }

    QString giveName() const { return giveName_; }
    QString surname() const { return surname_; }
    QString familiarName() const { return familiarName_; }
    QString displayName() const { return displayName_; }
    QString email() const { return email_; }
    qulonglong used() const { return used_; }
    qulonglong allocated() const { return allocated_; }

public slots:
    void updateInfo();
    void updateSpace();
    void managerFinished(QNetworkReply *reply);

signals:
    void error(QString error);
    void giveNameChanged(QString name);
    void surnameChanged(QString name);
    void familiarNameChanged(QString name);
    void displayNameChanged(QString name);
    void emailChanged(QString email);
    void usedChanged(qulonglong used);
    void allocatedChanged(qulonglong allocated);
    void infoUpdated();
    void spaceUpdated();

private:
    void post(const QString &path);
    void releaseManager();

    QPointer<QDropboxAuth> dropboxAuth_;
    QNetworkAccessManager *manager_ = nullptr;
    QString giveName_;
    QString surname_;
    QString familiarName_;
    QString displayName_;
    QString email_;
    qulonglong allocated_ = 0;
    qulonglong used_ = 0;
};
