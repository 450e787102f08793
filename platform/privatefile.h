#pragma once
// Files only the user may read, and whether another process has a file open
// for SQLite.

#include <QByteArray>
#include <QString>

namespace pryx::platform {

// Takes group and other access away from an existing file; never adds any.
void tightenFile(const QString &path);

// Writes data to a new file of mode 0600 at path, all or nothing: false when
// the file exists already (someone else was first) or cannot be written.
bool createPrivateFile(const QString &path, const QByteArray &data);

// True when another process holds one of SQLite's locks on the database file
// (a reader, a writer mid-transaction or a connection in WAL mode). The caller
// must have no SQLite connection of its own open on the file.
bool otherProcessLocksDatabase(const QString &path);

} // namespace pryx::platform
