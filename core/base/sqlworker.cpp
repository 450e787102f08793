#include "core/base/sqlworker.h"

#include "core/base/paths.h"
#include "core/base/settingdefaults.h"
#include "platform/privatedir.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

Q_LOGGING_CATEGORY(lcSql, "pryx.sql", QtInfoMsg)

const QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

SqlWorker::SqlWorker(QObject *parent) : QObject(parent) {}

void SqlWorker::connectToDatabase(QString name)
{
    fileName_ = name;
    QSqlDatabase db = QSqlDatabase::contains()
        ? QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    std::printf("connectToDatabase %s\n", qPrintable(name));
    std::fflush(stdout);
    qCDebug(lcSql) << Q_FUNC_INFO << name;

    const QFileInfo info(name);
    pryx::platform::ensurePrivateDir(info.absolutePath());

    QString reason;
    if (info.exists() && !openAndCheck(&reason)) {
        // Keep the damaged file and start a fresh one.
        qWarning() << Q_FUNC_INFO << "settings database unusable:" << reason;
        const QString kept = moveAside(name);
        emit databaseReplaced(kept, reason);
        if (kept.isEmpty())
            qWarning() << Q_FUNC_INFO << "could not move the damaged file aside";
    }

    if (!QFileInfo::exists(name)) {
        QFile file(name);
        if (file.open(QIODevice::WriteOnly))
            file.close();
    }
    QFile::setPermissions(name, kOwnerOnly);

    db.setDatabaseName(name);
    if (!db.isOpen() && !db.open()) {
        std::printf("!db.open() \n");
        qWarning() << Q_FUNC_INFO << "db not open" << db.lastError().text();
        emit databaseFailed(db.lastError().text());
    } else if (!hasSettingsTable()) {
        if (!createDataBase())
            emit databaseFailed(db.lastError().text());
    }
    std::printf("db.open() \n");
    std::fflush(stdout);
    emit connectComplited();
}

bool SqlWorker::openAndCheck(QString *reason)
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (QFileInfo(fileName_).isFile() && QFileInfo(fileName_).size() == 0) {
        *reason = QStringLiteral("the file is empty");
        return false;
    }
    db.setDatabaseName(fileName_);
    if (!db.open()) {
        *reason = db.lastError().text();
        db.close();
        return false;
    }
    bool ok = false;
    {
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
            *reason = check.lastError().text();
        } else if (check.next() && check.value(0).toString() == QLatin1String("ok")) {
            ok = true;
        } else {
            *reason = QStringLiteral("the file is damaged: ") + check.value(0).toString();
        }
        ++statements_;
    }
    if (!ok)
        db.close();
    return ok;
}

bool SqlWorker::hasSettingsTable()
{
    QSqlQuery q(QSqlDatabase::database());
    ++statements_;
    return q.exec(QStringLiteral(
               "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Settings'"))
        && q.next();
}

QString SqlWorker::moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target))
        return QString();
    // A journal left beside the damaged file belongs to it, not to the new one.
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString extra = path + QLatin1String(suffix);
        if (QFileInfo::exists(extra))
            QFile::rename(extra, target + QLatin1String(suffix));
    }
    return target;
}

bool SqlWorker::createDataBase()
{
    QSqlDatabase db = QSqlDatabase::database();
    bool ok = db.transaction();
    QSqlQuery q(db);
    const QString create = QStringLiteral(
        "CREATE TABLE \"Settings\" (\"name\" VARCHAR PRIMARY KEY  NOT NULL , \"value\" TEXT)");
    ++statements_;
    if (!q.exec(create)) {
        qWarning() << Q_FUNC_INFO << create << q.lastError().text();
        ok = false;
    }
    for (const pryx::settings::Default &row : pryx::settings::kDefaults) {
        if (!row.newRow)
            continue;
        const QString sql = QStringLiteral("INSERT INTO \"Settings\" (\"name\",\"value\") VALUES ('%1',%2)")
                                .arg(QLatin1String(row.key), QLatin1String(row.newRow));
        ++statements_;
        if (!q.exec(sql)) {
            qWarning() << Q_FUNC_INFO << sql << q.lastError().text();
            ok = false;
        }
    }
    if (!db.commit()) {
        qWarning() << Q_FUNC_INFO << "commit" << db.lastError().text();
        ok = false;
    }
    return ok;
}

void SqlWorker::stop()
{
    QMutexLocker lock(&statementLock_);
    stopped_ = true;
}

bool SqlWorker::close()
{
    QMutexLocker lock(&statementLock_);
    if (stopped_)
        return false;
    commitLocked();
    stopped_ = true;
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    return true;
}

void SqlWorker::execute(QString query, QVariantList param)
{
    QMutexLocker lock(&statementLock_);
    if (stopped_)
        return;
    QSqlDatabase db = QSqlDatabase::database();
    if (!inTransaction_ && db.transaction()) {
        inTransaction_ = true;
        // Runs after every request queued before it, so the writes queued
        // with this one go into the same transaction.
        QMetaObject::invokeMethod(this, &SqlWorker::commitWrites, Qt::QueuedConnection);
    }
    QSqlQuery q(db);
    ++statements_;
    bool ok = q.prepare(query);
    if (ok) {
        for (const QVariant &value : param)
            q.addBindValue(value);
        ok = q.exec();
    }
    if (!ok)
        qWarning() << Q_FUNC_INFO << query << q.lastError().text();
    reportWriteResult(ok, q.lastError().text());
}

void SqlWorker::commitWrites()
{
    QMutexLocker lock(&statementLock_);
    if (!stopped_)
        commitLocked();
}

void SqlWorker::commitLocked()
{
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    QSqlDatabase db = QSqlDatabase::database();
    if (db.commit())
        return;
    const QString error = db.lastError().text();
    qWarning() << Q_FUNC_INFO << "commit" << error;
    db.rollback();
    reportWriteResult(false, error);
}

void SqlWorker::reportWriteResult(bool ok, const QString &error)
{
    // Report when writes start failing, not for every one of them.
    if (!ok && !writesFailing_)
        emit databaseFailed(error);
    writesFailing_ = !ok;
}

void SqlWorker::getDataLoad(quint64 id, QString name)
{
    QMutexLocker lock(&statementLock_);
    QVariant result;
    if (stopped_) {
        emit getDataFinished(id, result);
        return;
    }
    QSqlQuery q(QSqlDatabase::database());
    ++statements_;
    if (!q.prepare(QStringLiteral("SELECT value FROM Settings WHERE name = ?"))) {
        qWarning() << Q_FUNC_INFO << q.lastQuery() << q.lastError().text();
    } else {
        q.addBindValue(name);
        if (!q.exec())
            qWarning() << Q_FUNC_INFO << q.lastQuery() << q.lastError().text();
        else if (q.next())
            result = q.value(0);
    }
    emit getDataFinished(id, result);
}
