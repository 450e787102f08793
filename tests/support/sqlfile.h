#pragma once
// The settings file as other programs see it: read over a connection of the
// test's own, and locked by the sqlite3 command line.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace pryx::test {

// The rows of a query on an SQLite file, each its columns joined by '|';
// "<cannot open>" or "<failed: ...>" where the query could not run.
QStringList sqlRows(const QString &file, const QString &sql);

// Starts the sqlite3 command line on `file`, in an exclusive transaction
// that first runs `statements`; whether it holds the lock within 10 s
// (`said` gets all it printed, errors too). The lock lasts until the test writes
// "COMMIT;" to it or it ends.
bool holdSqliteLock(QProcess &holder, const QString &file, const QByteArray &statements,
                    QByteArray *said = nullptr);

} // namespace pryx::test
