#include "support/sqlfile.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace pryx::test {

QStringList sqlRows(const QString &file, const QString &sql)
{
    QStringList out;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "inspect");
        c.setDatabaseName(file);
        QSqlQuery q(c);
        if (!c.open())
            out << "<cannot open>";
        else if (!q.exec(sql))
            out << "<failed: " + q.lastError().text() + ">";
        while (q.isActive() && q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols << q.value(i).toString();
            out << cols.join('|');
        }
    }
    QSqlDatabase::removeDatabase("inspect");
    return out;
}

bool holdSqliteLock(QProcess &holder, const QString &file, const QByteArray &statements, QByteArray *said)
{
    holder.start("sqlite3", {file});
    if (!holder.waitForStarted(10000))
        return false;
    holder.write("BEGIN EXCLUSIVE;\n" + statements + ".print locked\n");
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains("locked") && clock.elapsed() < 10000) {
        holder.waitForReadyRead(200);
        out += holder.readAllStandardOutput();
    }
    if (said)
        *said = out + holder.readAllStandardError();
    return out.contains("locked");
}

} // namespace pryx::test
