#pragma once
// Stand-ins for "core", "core.account" and the upload list, as the main tool,
// login and upload pages see them: every call is recorded.

#include <QAbstractListModel>
#include <QObject>
#include <QQmlEngine>
#include <QString>
#include <QStringList>
#include <QVector>

class PageAccount : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool auth READ auth NOTIFY authChanged)
    Q_PROPERTY(int statusAutorization READ statusAutorization NOTIFY statusAutorizationChanged)
public:
    enum { CheckEmail = 0, CheckPassword = 1, CheckRegistration = 2, GetUserInfo = 3,
           InternetError = 4, SendFeedBack = 5, CheckToken = 6, CheckInternetAccess = 7,
           NoneAuth = 8 };
    using QObject::QObject;
    bool auth() const { return auth_; }
    int statusAutorization() const { return status_; }
    void setAuth(bool a) { auth_ = a; emit authChanged(a); }
    // Sets the status and announces it, as the login object does.
    void announce(int status) { status_ = status; emit statusAutorizationChanged(); }

    QStringList calls;
    // When set, a social login fails with the "internet" error at once.
    bool offline = false;

    Q_INVOKABLE void checkEmail(QString email) { calls << "checkEmail:" + email; }
    Q_INVOKABLE void checkPassword(QString email, QString password)
    {
        status_ = CheckPassword;
        calls << "checkPassword:" + email + ":" + password;
    }
    Q_INVOKABLE void checkRegistration(QString email, QString password, QString confirm)
    {
        status_ = CheckRegistration;
        calls << "checkRegistration:" + email + ":" + password + ":" + confirm;
    }
    Q_INVOKABLE void resetAutorization() { calls << "reset"; announce(NoneAuth); }
    Q_INVOKABLE void openFbUrl() { social("fb"); }
    Q_INVOKABLE void openTwitterUrl() { social("tw"); }
    Q_INVOKABLE void openVkUrl() { social("vk"); }
    Q_INVOKABLE void openOdnoklasnikiUrl() { social("od"); }

signals:
    void authChanged(bool auth);
    void statusAutorizationChanged();
    void authError(QString key, QString value);
    void authFinished();
    void registrationFinished();

private:
    void social(const QString &name)
    {
        calls << "social:" + name;
        if (offline) {
            status_ = InternetError;
            emit authError("internet", "Internet connect not found");
        }
    }
    bool auth_ = false;
    int status_ = NoneAuth;
};

class PageUploads : public QAbstractListModel
{
    Q_OBJECT
public:
    struct Job { qint64 download; qint64 total; bool archive; };
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : jobs_.size();
    }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override
    {
        return {{0, "download"}, {1, "total"}, {3, "archive"}};
    }
    void setJobs(const QVector<Job> &jobs)
    {
        beginResetModel();
        jobs_ = jobs;
        endResetModel();
    }
private:
    QVector<Job> jobs_;
};

class PageCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *account READ account NOTIFY accountChange)
    Q_PROPERTY(QString emptyString READ emptyString NOTIFY languageChanged)
    Q_PROPERTY(QString lastLink READ lastLink NOTIFY lastLinkChanged)
public:
    using QObject::QObject;
    QObject *account() { return withAccount ? &account_ : nullptr; }
    QString emptyString() const { return QString(); }
    QString lastLink() const { return lastLink_; }
    void setLastLink(const QString &l) { lastLink_ = l; emit lastLinkChanged(l); }

    PageAccount account_;
    PageUploads uploads_;
    bool withAccount = true;
    QString lastLink_;
    QStringList calls;
    QString clipboard;

    Q_INVOKABLE QString getPlatform() { return QStringLiteral("Win"); }
    Q_INVOKABLE QString getWindowsManager() { return QStringLiteral("windows"); }
    Q_INVOKABLE QString clipboardText() { return clipboard; }
    Q_INVOKABLE QObject *uploadModel()
    {
        QQmlEngine::setObjectOwnership(&uploads_, QQmlEngine::CppOwnership);
        return &uploads_;
    }
    Q_INVOKABLE void screen(bool fullscreen, bool quick)
    {
        calls << QString("screen:%1:%2").arg(fullscreen).arg(quick);
    }
    Q_INVOKABLE bool checkAutorization() { calls << "checkAutorization"; return false; }

public slots:
    void openUrl(QString url) { calls << "openUrl:" + url; }
    void openHistory() { calls << "openHistory"; }
    void showSetting() { calls << "showSetting"; }
    void openLastLink() { calls << "openLastLink"; }
    void copyLastLink() { calls << "copyLastLink"; }
    void exitApp() { calls << "exitApp"; }
    void openHelp() { calls << "openHelp"; }
    void cancelUpload() { calls << "cancelUpload"; }
    void showMainWindow() { calls << "showMainWindow"; }
    void registrationWidgetDestroy() { calls << "registrationWidgetDestroy"; }
    void startArrowAnimation() { calls << "startArrowAnimation"; }
    void stopArrowAnimation() { calls << "stopArrowAnimation"; }

signals:
    void accountChange(QObject *account);
    void languageChanged();
    void lastLinkChanged(QString link);
};
