#pragma once
// The log file "pryx.log": dated entries, CR LF line endings, entries older
// than 7 days dropped whenever the file is opened.

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>

#include <functional>

class Logging : public QObject
{
    Q_OBJECT
public:
    explicit Logging(QObject *parent = nullptr);

    void writeMessage(QString message);
    void openFile();

    QString fileName() const { return fileName_; }

    // The clock used for timestamps and expiry; the default is the local
    // time. Tests set a fixed clock; an empty function restores the default.
    using Clock = std::function<QDateTime()>;
    static void setClock(Clock clock);

    static constexpr int kKeepDays = 7;
    static const char *timestampFormat() { return "dd-MM-yyyy hh:mm:ss"; }

private:
    static QDateTime now();

    QString fileName_;
    QFile file_;
};
