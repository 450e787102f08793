#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace pryx::platform {

QString autostartFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/pryx.desktop");
}

QString desktopExecValue(const QString &program)
{
    // Quoting rule of the Exec key: inside double quotes, '"', '`', '$' and
    // '\' take a backslash; then the string escapes of the file apply
    // ('\' doubles), and '%' doubles for the field codes.
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    QString escaped;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('%'))
            escaped += QStringLiteral("%%");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool setAutostart(bool enabled, const QString &program)
{
    const QString path = autostartFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=Pryx\n"
        << "Exec=" << desktopExecValue(program) << "\n"
        << "Terminal=false\n"
        << "Hidden=" << (enabled ? "false" : "true") << "\n"
        << "X-GNOME-Autostart-enabled=" << (enabled ? "true" : "false") << "\n";
    out.flush();
    return file.commit();
}

bool autostartEntryExists() { return QFileInfo::exists(autostartFilePath()); }

bool autostartEnabled()
{
    QFile file(autostartFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inEntry = false;
    bool hidden = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Hidden=")))
            hidden = line.mid(7).trimmed() == QLatin1String("true");
    }
    return !hidden;
}

} // namespace pryx::platform
