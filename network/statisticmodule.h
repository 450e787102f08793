#pragma once
// Queue-based analytics sender; holds the installation's client id, which
// the single events share.

#include <QList>
#include <QObject>
#include <QString>

class QNetworkReply;

class StatisticModule : public QObject
{
    Q_OBJECT
public:
    struct EventInfo {
        QString hitType;
        QString action;
        QString category;
        QString value;
        QString label;
        qint64 time = 0;
        QString appName;
        int sequence = 0;
        QString clientId;
    };

    explicit StatisticModule(QObject *parent = nullptr);

    // The client id, a UUID without braces, created and stored on first use.
    static QString readClientId();

    Q_INVOKABLE void addEvent(QString eventAction, QString category, QString value = QString(),
                              QString label = QString());
    // The form body of the queued events.
    QString body() const;
    void sendStatistic();
    int queueSize() const { return queue_.size(); }

signals:
    void preparedEventInfo();

public slots:
    void prepEventInfo();
    void finishStat(QNetworkReply *reply);

private:
    QList<EventInfo> queue_;
    QString appName_;
    QString preparedBody_;
};
