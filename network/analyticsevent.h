#pragma once
// One usage event (category, action, optional label) posted to the
// analytics collector in the Measurement Protocol form.

#include <QObject>
#include <QString>

class QNetworkReply;

class AnalyticsEvent : public QObject
{
    Q_OBJECT
public:
    enum AnalyticsEventCategory {
        CategorySize = 0,
        CategoryColor = 1,
        CategoryCapture = 2,
        CategoryAuth = 3,
        CategoryApp = 4,
        CategoryTool = 5,
    };
    Q_ENUM(AnalyticsEventCategory)

    enum AnalyticsEventAction {
        ActionChange = 0,
        ActionClick = 1,
        ActionHotkey = 2,
        ActionSignout = 3,
        ActionExit = 4,
        ActionUse = 5,
    };
    Q_ENUM(AnalyticsEventAction)

    explicit AnalyticsEvent(QObject *parent = nullptr);
    AnalyticsEvent(int category, int action, bool send, QString label, QObject *parent = nullptr);

    void send();

    int category() const { return category_; }
    int action() const { return action_; }
    QString label() const { return label_; }

    static QString categoryText(int category);
    static QString actionText(int action);
    // The form body of this event.
    QString body() const;

public slots:
    void finished(QNetworkReply *reply);

private:
    int category_ = 0;
    int action_ = 0;
    QString label_;
};
