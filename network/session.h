#pragma once
// The two texts that the service's XML replies announce.

#include <QObject>
#include <QString>

class Session : public QObject
{
    Q_OBJECT
public:
    static Session *instance();
    QString session() const { return session_; }
    QString version() const { return version_; }
    void setSession(const QString &s) { session_ = s; }
    void setVersion(const QString &v) { version_ = v; }

private:
    Session() = default;
    QString session_;
    QString version_;
};
