#pragma once
// The user's account on the web service: e-mail check, password login and
// registration, social logins through the browser and the loopback listener,
// the user info in the settings, logout, feedback and the internet check.

#include <QHash>
#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QAuthenticator;
class QNetworkReply;
class QNetworkRequest;
class QTcpSocket;
class DropboxAuth;
class NetworkAccessManager;
class NetworkReadReply;
class ServerListener;

class Autorization : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool auth READ isAuth NOTIFY authChanged)
    Q_PROPERTY(QString name READ name NOTIFY nameChanged)
    Q_PROPERTY(QString email READ email NOTIFY emailChanged)
    Q_PROPERTY(StatusAutorization statusAutorization READ statusAutorization
                   NOTIFY statusAutorizationChanged)

public:
    enum StatusAutorization {
        CheckEmail = 0,
        CheckPassword = 1,
        CheckRegistration = 2,
        GetUserInfo = 3,
        InternetError = 4,
        SendFeedBack = 5,
        CheckToken = 6,
        CheckInternetAccess = 7,
        NoneAuth = 8,
    };
    Q_ENUM(StatusAutorization)

    // What a request asked for; its reply is read by this, not by the
    // status at the time the reply arrives.
    enum RequestKind {
        RequestEmailCheck,
        RequestPassword,
        RequestRegistration,
        RequestCodeExchange,
        RequestUserInfo,
        RequestFeedback,
    };

    explicit Autorization(QObject *parent = nullptr);
    ~Autorization() override;

    QString name() const;
    QString email() const;
    StatusAutorization statusAutorization() const { return status_; }

    // Opens the loopback listener of the social logins on the first free
    // port of ServerListener::redirectPorts().
    void listen();
    int redirectPort() const { return redirectPort_; }
    ServerListener *listener() const { return listener_; }

    // Milliseconds the internet check waits for its answer.
    static constexpr int kInternetCheckTimeoutMs = 15000;

signals:
    void authFinished();
    void registrationFinished();
    void authChanged(bool auth);
    void nameChanged(QString name);
    void emailChanged(QString email);
    void loginUrlChanged(QString url);
    void statusAutorizationChanged(Autorization::StatusAutorization status);
    void authError(QString key, QString value);
    void feedBackResponse(QString data);
    // A failure of the Dropbox account (authorisation listener, token, account data).
    void dropboxError(QString text);

public slots:
    void getUserInfo();
    void exit();
    void sendFeedback(QString email, QString data);
    void finished(QNetworkReply *reply);
    void checkCode(QTcpSocket *client, QString code);
    void sendAuthorizationStatistic();
    void sendRegistrationStatistic();
    void sendOAuthStatistic();
    void sendAutentificationStatistic();
    void proxyAuthenticationRequired(QNetworkProxy proxy, QAuthenticator *authenticator);
    void updateUserInfo();
    void dropboxISAuthChanged();

public:
    Q_INVOKABLE bool isAuth();
    Q_INVOKABLE QString token();
    Q_INVOKABLE QString clientId();
    Q_INVOKABLE QString clientSecret();
    Q_INVOKABLE bool checkInternetAccess();
    Q_INVOKABLE void openFbUrl();
    Q_INVOKABLE void openVkUrl();
    Q_INVOKABLE void openTwitterUrl();
    Q_INVOKABLE void openOdnoklasnikiUrl();
    Q_INVOKABLE void resetAutorization();
    Q_INVOKABLE void checkEmail(QString email);
    Q_INVOKABLE void checkPassword(QString email, QString password);
    Q_INVOKABLE void checkRegistration(QString email, QString password, QString confirmPass);
    Q_INVOKABLE DropboxAuth *dropBoxAuth();

    // The social-login page opened in the browser for a network path such
    // as "/connect/facebook".
    QUrl socialLoginUrl(const QString &networkPath) const;
    // The error report written to the log for a reply (secrets masked).
    QString errorReport(QNetworkReply *reply, const QByteArray &body) const;

private:
    NetworkAccessManager *manager(bool withProxyAuth);
    QNetworkReply *send(RequestKind kind, QNetworkReply *reply);
    void sendPasswordGrant(RequestKind kind, const QString &email, const QString &password);
    void openSocialLogin(const QString &networkPath);
    void setStatus(StatusAutorization status, bool announce);
    void writeReport(QNetworkReply *reply, const QByteArray &body);
    void replyFailed(RequestKind kind, QNetworkReply *reply, const QByteArray &body);
    void replySucceeded(RequestKind kind, QNetworkReply *reply, const QByteArray &body);
    void takeToken(RequestKind kind, QNetworkReply *reply, const QByteArray &body);
    void takeUserInfo(QNetworkReply *reply, const QByteArray &body);
    void internetError();

    QTimer userInfoTimer_;
    NetworkReadReply *readReply_ = nullptr;
    NetworkAccessManager *manager_ = nullptr;
    bool proxyAuthConnected_ = false;
    ServerListener *listener_ = nullptr;
    DropboxAuth *dropBoxAuth_ = nullptr;
    QString pingValue_;
    int redirectPort_ = 0;
    StatusAutorization status_ = NoneAuth;
    QString lastRequestData_;
};
