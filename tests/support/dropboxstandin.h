#pragma once
// The Dropbox stand-in (dropboxstandin.py) for the tests: web, API and content
// roles on their own 127.0.0.1 ports over TLS, with a certificate authority
// made at start and trusted by this process; the Dropbox hosts of the program
// are pointed at it.

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

namespace pryx::test {

class DropboxStandin
{
public:
    ~DropboxStandin();
    // Makes the certificates, starts the server, sets PRYX_DROPBOX_*_HOST and
    // adds the authority to the default TLS configuration.
    bool start(QString *error = nullptr);
    void stop();

    QString root() const { return dir_ + "/root"; }     // the uploaded files
    QString token() const { return QStringLiteral("standin-token"); }
    int webPort() const { return web_; }
    int apiPort() const { return api_; }
    int contentPort() const { return content_; }

    // Behaviour of the next requests (see the script); {} for the normal one.
    void setControl(const QJsonObject &control);
    // Every request so far, oldest first.
    QList<QJsonObject> requests() const;
    QList<QJsonObject> requests(const QString &path) const;

private:
    QProcess process_;
    QString dir_;
    int web_ = 0;
    int api_ = 0;
    int content_ = 0;
};

// Follows a captured authorisation URL as a browser would: the web role's
// redirect, then the loopback listener. Returns the listener's body.
QByteArray followAuthorizeUrl(const QUrl &url, int *status = nullptr);

} // namespace pryx::test
