#pragma once
// The objects the settings pages find as "core", "core.account" and the
// account's Dropbox object. The core stand-in passes hotkeys and connection
// checks on to the real Core and records what the pages ask for.

#include <QObject>
#include <QQmlEngine>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "windows/proxywidget.h"

class DropboxStandIn : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuth READ isAuth NOTIFY isAuthChanged)
    Q_PROPERTY(QString name READ name NOTIFY isAuthChanged)
    Q_PROPERTY(QString email READ email NOTIFY isAuthChanged)
    Q_PROPERTY(qlonglong total READ total NOTIFY isAuthChanged)
    Q_PROPERTY(qlonglong usage READ usage NOTIFY isAuthChanged)
public:
    using QObject::QObject;
    bool isAuth() const { return auth; }
    QString name() const { return name_; }
    QString email() const { return email_; }
    qlonglong total() const { return total_; }
    qlonglong usage() const { return usage_; }

    // What a finished browser authorisation leaves behind.
    void authorize(const QString &n, const QString &e, qlonglong t, qlonglong u)
    {
        auth = true;
        name_ = n;
        email_ = e;
        total_ = t;
        usage_ = u;
        emit isAuthChanged();
    }

    Q_INVOKABLE void authorization() { ++authorizations; }

    bool auth = false;
    int authorizations = 0;
    int logouts = 0;
    QString name_, email_;
    qlonglong total_ = 0, usage_ = 0;

public slots:
    void logout()
    {
        ++logouts;
        auth = false;
        emit isAuthChanged();
    }

signals:
    void isAuthChanged();
};

class AccountStandIn2 : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool auth READ auth NOTIFY authChanged)
public:
    // Like the account's own Dropbox object, this one is not QML's to free.
    AccountStandIn2() { QQmlEngine::setObjectOwnership(&dropbox, QQmlEngine::CppOwnership); }
    bool auth() const { return auth_; }
    void setAuth(bool a) { auth_ = a; emit authChanged(a); }
    Q_INVOKABLE QObject *dropBoxAuth() { return &dropbox; }
    DropboxStandIn dropbox;
    int exits = 0;
    bool auth_ = true;
public slots:
    void exit() { ++exits; setAuth(false); }
signals:
    void authChanged(bool auth);
};

class SettingsCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *account READ account NOTIFY accountChange)
    Q_PROPERTY(QString emptyString READ emptyString NOTIFY languageChanged)
public:
    explicit SettingsCore(QObject *parent = nullptr);
    ~SettingsCore() override;
    QObject *account() const { return account_; }
    void setAccount(QObject *a) { account_ = a; emit accountChange(a); }
    QString emptyString() const { return QString(); }

    Q_INVOKABLE QString getPlatform() { return QStringLiteral("Win"); }
    Q_INVOKABLE QString appVersion();
    Q_INVOKABLE QString clipboardText() { return clipboard; }
    Q_INVOKABLE void openUrl(QString url) { openedUrls << url; }
    Q_INVOKABLE void unhookKeyboard();
    Q_INVOKABLE void updateHook();
    Q_INVOKABLE void checkFtpConnecrion(QString username, QString password, QString host,
                                        QString path, int port = 21);
    Q_INVOKABLE void checkSFTPConnecrion(QString username, QString password, QString host,
                                         QString path, int port = 22);
    Q_INVOKABLE void showProxyWidget();
    // As the folder chooser does: a chosen folder turns the copies on, a
    // cancelled choice without a stored folder turns them off.
    Q_INVOKABLE void selectSaveScreenFolder();

    ProxyWidget *proxyWidget() const { return proxy_; }

    QObject *account_ = nullptr;
    QString clipboard;
    QStringList openedUrls;
    QStringList calls;          // "ftp host port", "sftp host port", "unhook", "update", ...
    QString nextFolder;         // empty: the chooser is cancelled

signals:
    void accountChange(QObject *account);
    void languageChanged();
    void printModifiers(bool printMod);
    void closeProxyWindow();
    void checkConnectionFinished();

private:
    QPointer<ProxyWidget> proxy_;
};
