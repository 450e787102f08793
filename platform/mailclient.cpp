#include "platform/mailclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pryx::platform {

namespace {

QString envPath(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QStringList envList(const char *name, const QString &fallback)
{
    QStringList out;
    for (const QString &p : envPath(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        out << p;
    return out;
}

QStringList desktopNames()
{
    QStringList names;
    for (const QString &d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        names << d.toLower();
    return names;
}

QStringList applicationDirs()
{
    QStringList dirs;
    dirs << envPath("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share")) + QStringLiteral("/applications");
    for (const QString &d : envList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        dirs << d + QStringLiteral("/applications");
    return dirs;
}

bool installed(const QString &desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1String("..")))
        return false;
    for (const QString &dir : applicationDirs()) {
        if (QFileInfo(dir + QLatin1Char('/') + desktopId).isFile())
            return true;
        // "vendor-app.desktop" may live as vendor/app.desktop.
        QString nested = desktopId;
        const int dash = nested.indexOf(QLatin1Char('-'));
        if (dash > 0 && QFileInfo(dir + QLatin1Char('/') + nested.replace(dash, 1, QLatin1Char('/'))).isFile())
            return true;
    }
    return false;
}

// The mailto entries of the [Default Applications] group of one file.
QStringList defaultsIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList ids;
    bool inDefaults = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inDefaults = line == QLatin1String("[Default Applications]");
            continue;
        }
        if (!inDefaults)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed() != QLatin1String("x-scheme-handler/mailto"))
            continue;
        for (const QString &id : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            ids << id.trimmed();
    }
    return ids;
}

} // namespace

QStringList mimeAppsListFiles()
{
    QStringList dirs;
    dirs << envPath("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
    dirs << envList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    dirs << envPath("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share")) + QStringLiteral("/applications");
    for (const QString &d : envList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        dirs << d + QStringLiteral("/applications");

    const QStringList desktops = desktopNames();
    QStringList files;
    for (const QString &dir : dirs) {
        for (const QString &desktop : desktops)
            files << dir + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << dir + QStringLiteral("/mimeapps.list");
    }
    return files;
}

QString defaultMailClient()
{
    for (const QString &file : mimeAppsListFiles()) {
        for (const QString &id : defaultsIn(file)) {
            if (installed(id))
                return id;
        }
    }
    return QString();
}

} // namespace pryx::platform
