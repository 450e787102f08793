#pragma once
// Stand-ins for the objects pages find as "core" and "core.account", and a
// message handler that collects every QML warning.

#include <QObject>
#include <QString>
#include <QStringList>

class AccountStandIn : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool auth READ auth NOTIFY authChanged)
public:
    using QObject::QObject;
    bool auth() const { return auth_; }
    void setAuth(bool a) { auth_ = a; emit authChanged(a); }
signals:
    void authChanged(bool auth);
private:
    bool auth_ = true;
};

class CoreStandIn : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *account READ account NOTIFY accountChange)
    Q_PROPERTY(QString emptyString READ emptyString NOTIFY languageChanged)
    Q_PROPERTY(QString lastLink READ lastLink NOTIFY lastLinkChanged)
public:
    explicit CoreStandIn(QObject *parent = nullptr);
    QObject *account() { return &account_; }
    QString emptyString() const { return QString(); }
    QString lastLink() const { return lastLink_; }

    Q_INVOKABLE QString getPlatform() { return QStringLiteral("Win"); }
    Q_INVOKABLE QString getWindowsManager() { return QStringLiteral("windows"); }
    Q_INVOKABLE QString appVersion() { return QStringLiteral("3.0.48"); }
    Q_INVOKABLE QString clipboardText() { return clipboard; }

    QStringList openedUrls;
    QString clipboard;
    AccountStandIn account_;
    QString lastLink_;

public slots:
    void openUrl(QString url) { openedUrls << url; }

signals:
    void accountChange(QObject *account);
    void languageChanged();
    void lastLinkChanged(QString link);
};

namespace pryx::test {
// Collects warnings, criticals and fatals (and lets debug lines pass) while
// an instance lives.
class WarningCollector
{
public:
    WarningCollector();
    ~WarningCollector();
    QStringList take();
};
} // namespace pryx::test
