#include "core/base/logging.h"

#include "core/base/paths.h"
#include "core/base/setting.h"
#include "platform/privatedir.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

namespace {

Q_LOGGING_CATEGORY(lcLogging, "pryx.logging", QtInfoMsg)

Logging::Clock &clockRef()
{
    static Logging::Clock clock;
    return clock;
}

const QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

Logging::Logging(QObject *parent) : QObject(parent)
{
    Setting::instance();
    fileName_ = pryx::logFilePath();
    file_.setFileName(fileName_);
}

void Logging::setClock(Clock clock) { clockRef() = std::move(clock); }

QDateTime Logging::now()
{
    const Clock &clock = clockRef();
    return clock ? clock() : QDateTime::currentDateTime();
}

void Logging::writeMessage(QString message)
{
    qCDebug(lcLogging) << Q_FUNC_INFO << fileName_;
    if (!file_.exists() || !file_.isOpen())
        openFile();
    qCDebug(lcLogging) << Q_FUNC_INFO << file_.isOpen();

    // One line ending everywhere; continuation lines carry five TABs.
    message.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    message.replace(QLatin1String("\n"), QLatin1String("\r\n\t\t\t\t\t"));
    const QByteArray entry = now().toString(QLatin1String(timestampFormat())).toUtf8() + '\t'
        + message.toUtf8() + "\r\n";
    if (file_.isOpen() && file_.write(entry) != entry.size())
        qCDebug(lcLogging) << Q_FUNC_INFO << file_.errorString();
    file_.close();
}

void Logging::openFile()
{
    qCDebug(lcLogging) << Q_FUNC_INFO;
    if (file_.isOpen())
        file_.close();
    pryx::platform::ensurePrivateDir(QFileInfo(fileName_).absolutePath());

    QByteArray old;
    {
        QFile in(fileName_);
        if (in.open(QIODevice::ReadOnly))
            old = in.readAll();
    }

    // Group the lines into entries: a dated line starts one, undated lines
    // (continuations, foreign text) stay with the entry before them.
    const QDateTime limit = now();
    QByteArray kept;
    bool keep = true;
    const QList<QByteArray> lines = old.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (i == lines.size() - 1 && line.isEmpty())
            break;  // after the final line break
        if (line.endsWith('\r'))
            line.chop(1);
        const int tab = line.indexOf('\t');
        const QDateTime stamp = QDateTime::fromString(
            QString::fromUtf8(tab < 0 ? line : line.left(tab)), QLatin1String(timestampFormat()));
        if (stamp.isValid())
            keep = !(stamp.addDays(kKeepDays) < limit);
        if (keep)
            kept += line + "\r\n";
    }

    if (kept != old || !QFileInfo::exists(fileName_)) {
        QSaveFile out(fileName_);
        bool ok = out.open(QIODevice::WriteOnly);
        if (ok) {
            out.setPermissions(kOwnerOnly);
            ok = out.write(kept) == kept.size() && out.commit();
        }
        if (!ok)
            qCDebug(lcLogging) << Q_FUNC_INFO << out.errorString();
    }
    QFile::setPermissions(fileName_, kOwnerOnly);

    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        qCDebug(lcLogging) << Q_FUNC_INFO << file_.errorString();
}
