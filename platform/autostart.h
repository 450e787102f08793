#pragma once
// Start with the session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/pryx.desktop). Switching it off keeps the file
// and marks it Hidden=true.

#include <QString>

namespace pryx::platform {

QString autostartFilePath();
// program: the executable's full path, started by the entry.
bool setAutostart(bool enabled, const QString &program);
// Whether an entry exists and is not hidden.
bool autostartEnabled();
// Whether the entry file exists at all (hidden or not).
bool autostartEntryExists();
// The Exec value for a program path, quoted and escaped for a desktop file.
QString desktopExecValue(const QString &program);

} // namespace pryx::platform
