#pragma once
// Readers of the service's replies: JSON to maps of text, XML to settings and
// signals.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

class NetworkReadReply : public QObject
{
    Q_OBJECT
public:
    explicit NetworkReadReply(QObject *parent = nullptr);

    QMap<QString, QString> readInit(const QByteArray &body);
    QMap<QString, QString> readUserInfo(const QByteArray &body);
    void readReply(const QByteArray &body);

    QStringList historyLinks() const { return history_; }

signals:
    void readReady();
    void updateVersionReady(QString version, bool critical, bool license, QString link, QString md5);
    void historyLinkReady(QList<QString> links);

private:
    void readHistory();
    void readUpdate();
    void readResponse();
    void readUser();

    QXmlStreamReader xml_;
    QByteArray buffer_;
    QStringList history_;
};
