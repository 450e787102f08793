#pragma once
// The user's Dropbox account: one API client authorised with the stored
// token, the browser authorisation, the account's name, e-mail and space
// kept in the settings, and logout.

#include <QObject>
#include <QString>

class QDropbox;

class DropboxAuth : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuth READ isAuth NOTIFY isAuthChanged)
    Q_PROPERTY(QString name READ name NOTIFY isAuthChanged)
    Q_PROPERTY(QString email READ email NOTIFY isAuthChanged)
    Q_PROPERTY(qlonglong total READ total NOTIFY isAuthChanged)
    Q_PROPERTY(qlonglong usage READ usage NOTIFY isAuthChanged)

public:
    static const char *const appKey;
    static const char *const appSecret;

    explicit DropboxAuth(QObject *parent = nullptr);

    bool isAuth() const;
    QString name() const { return name_; }
    QString email() const { return email_; }
    qlonglong total() const { return total_; }
    qlonglong usage() const { return usage_; }

    QDropbox *client() const { return client_; }
    // The client's access token (empty when not authorised).
    QString accessToken() const;

    Q_INVOKABLE void authorization();

public slots:
    void logout();
    void infoUpdate();
    void sharedLinkReceived(QString link);

signals:
    void isAuthChanged();
    // A failure of the client (authorisation, token exchange, account data).
    void error(QString text);

private:
    void createClient();

    QDropbox *client_ = nullptr;
    QString name_;
    QString email_;
    qint64 total_ = 0;
    qint64 usage_ = 0;
};
