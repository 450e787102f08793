#include "core/base/sqlworker.h"

#include "core/base/settingdefaults.h"
#include "platform/privatedir.h"
#include "platform/privatefile.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <cstdio>
#include <limits>

namespace {

Q_LOGGING_CATEGORY(lcSql, "pryx.sql", QtInfoMsg)

const QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
const char *const kSalvageConnection = "pryx-salvage";

// How long one statement waits for another process's lock while the file
// is free, and how often a locked file is tried again.
constexpr int kBusyTimeoutMs = 2000;
constexpr int kRetryMs = 200;
// A lock that lasts this long is reported.
constexpr int kReportLockMs = 5000;

// SQLite's primary result codes that matter here.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADb = 26;

QSqlDatabase connection()
{
    return QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
}

} // namespace

SqlWorker::SqlWorker(QObject *parent) : QObject(parent) {}

SqlWorker::Outcome SqlWorker::classify(const QSqlError &error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    if (!number)
        return Outcome::Failed;
    if (code == kSqliteBusy || code == kSqliteLocked)
        return Outcome::Busy;
    if (code == kSqliteCorrupt || code == kSqliteNotADb)
        return Outcome::Damaged;
    return Outcome::Failed;
}

void SqlWorker::connectToDatabase(QString name)
{
    QMutexLocker lock(&statementLock_);
    fileName_ = name;
    QSqlDatabase db = QSqlDatabase::contains()
        ? connection()
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    std::printf("connectToDatabase %s\n", qPrintable(name));
    std::fflush(stdout);
    qCDebug(lcSql) << Q_FUNC_INFO << name;
    pryx::platform::ensurePrivateDir(QFileInfo(name).absolutePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));

    if (!finishConnect())
        checkPending_ = true;
    std::printf("db.open() \n");
    std::fflush(stdout);
    emit connectComplited();
}

bool SqlWorker::finishConnect()
{
    QString reason;
    Outcome outcome = openAndCheck(&reason);
    if (outcome == Outcome::Damaged) {
        connection().close();
        // A file that another process has open is in use, whatever this
        // process makes of it: it may be mid-write. Wait for it.
        if (pryx::platform::otherProcessLocksDatabase(fileName_)) {
            outcome = Outcome::Busy;
            reason = QStringLiteral("the file is in use by another process");
        } else {
            // Reported there, whether or not a fresh file could be made.
            replaceDamaged(reason);
            return true;
        }
    }
    switch (outcome) {
    case Outcome::Ok:
        return true;
    case Outcome::Busy:
        startWaiting(reason);
        return false;
    case Outcome::Damaged:
    case Outcome::Failed:
        std::printf("!db.open() \n");
        qWarning() << Q_FUNC_INFO << "db not open" << reason;
        emit databaseFailed(reason);
        return true;
    }
    return true;
}

SqlWorker::Outcome SqlWorker::openAndCheck(QString *reason)
{
    QSqlDatabase db = connection();
    const QFileInfo info(fileName_);
    if (info.exists() && !info.isFile()) {
        *reason = QStringLiteral("the path is not a file");
        return Outcome::Damaged;
    }
    if (!info.exists()) {
        QFile file(fileName_);
        if (file.open(QIODevice::WriteOnly))
            file.close();
        QFile::setPermissions(fileName_, kOwnerOnly);
        createdHere_ = true;
    } else if (info.size() == 0 && !createdHere_) {
        *reason = QStringLiteral("the file is empty");
        return Outcome::Damaged;
    } else {
        pryx::platform::tightenFile(fileName_);
    }

    db.setDatabaseName(fileName_);
    if (!db.isOpen()) {
        if (!db.open()) {
            *reason = db.lastError().text();
            const Outcome o = classify(db.lastError());
            db.close();
            return o;
        }
        if (waiting_)
            setBusyTimeout(0);
        // Pages a write frees are zeroed: a replaced secret (a password once
        // kept plain) does not linger in the file.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA secure_delete = ON"));
    }
    {
        QSqlQuery check(db);
        ++statements_;
        if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
            *reason = check.lastError().text();
            return classify(check.lastError());
        }
        if (!check.next() || check.value(0).toString() != QLatin1String("ok")) {
            *reason = QStringLiteral("the file is damaged: ") + check.value(0).toString();
            return Outcome::Damaged;
        }
    }
    bool has = false;
    const Outcome table = hasSettingsTable(&has, reason);
    if (table != Outcome::Ok)
        return table;
    return has ? Outcome::Ok : createDataBase(reason);
}

SqlWorker::Outcome SqlWorker::hasSettingsTable(bool *has, QString *reason)
{
    QSqlQuery q(connection());
    ++statements_;
    if (!q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Settings'"))) {
        *reason = q.lastError().text();
        return classify(q.lastError());
    }
    *has = q.next();
    return Outcome::Ok;
}

void SqlWorker::replaceDamaged(const QString &reason)
{
    qWarning() << Q_FUNC_INFO << "settings database unusable:" << reason;
    const QList<QPair<QString, QVariant>> rows = salvageRows(fileName_);
    const QString kept = moveAside(fileName_);
    if (kept.isEmpty()) {
        qWarning() << Q_FUNC_INFO << "could not move the damaged file aside";
        emit databaseReplaced(kept, reason, 0);
        return;
    }
    createdHere_ = false;
    QString why;
    if (openAndCheck(&why) != Outcome::Ok) {
        emit databaseReplaced(kept, reason, 0);
        return;
    }
    // The fresh file holds the default rows; what the damaged one still gave
    // goes over them, in its own order.
    QSqlDatabase db = connection();
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)"));
    int saved = 0;
    for (const auto &row : rows) {
        q.bindValue(0, row.first);
        q.bindValue(1, row.second);
        ++statements_;
        if (q.exec())
            ++saved;
        else
            qWarning() << Q_FUNC_INFO << "salvaged row not written" << q.lastError().text();
    }
    if (!db.commit()) {
        qWarning() << Q_FUNC_INFO << "commit" << db.lastError().text();
        saved = 0;
    }
    emit databaseReplaced(kept, reason, saved);
}

QList<QPair<QString, QVariant>> SqlWorker::salvageRows(const QString &path, int timeLimitMs)
{
    QList<QPair<QString, QVariant>> rows;
    if (!QFileInfo(path).isFile())
        return rows;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kSalvageConnection));
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        c.setDatabaseName(path);
        if (c.open()) {
            QElapsedTimer clock;
            clock.start();
            // Reads a file shorter than its header says (a truncated one) page
            // by page instead of refusing it whole.
            QSqlQuery(c).exec(QStringLiteral("PRAGMA writable_schema = ON"));
            // The last row id, when the way to it still reads: where looking
            // row by row ends.
            qint64 last = -1;
            {
                QSqlQuery q(c);
                if (q.exec(QStringLiteral("SELECT max(rowid) FROM Settings NOT INDEXED")) && q.next()
                    && !q.value(0).isNull())
                    last = q.value(0).toLongLong();
            }
            // A scan in row order that uses no index; where it meets a damaged
            // page, single rows are looked up until one reads, and the scan
            // goes on from there.
            QSqlQuery scan(c);
            QSqlQuery one(c);
            const bool prepared =
                scan.prepare(QStringLiteral("SELECT rowid, name, value FROM Settings NOT INDEXED "
                                            "WHERE rowid >= ? ORDER BY rowid"))
                && one.prepare(QStringLiteral("SELECT name, value FROM Settings NOT INDEXED WHERE rowid = ?"));
            qint64 next = std::numeric_limits<qint64>::min();
            while (prepared && clock.elapsed() < timeLimitMs) {
                scan.bindValue(0, next);
                bool whole = scan.exec();
                if (whole) {
                    while (scan.next()) {
                        rows.append({scan.value(1).toString(), scan.value(2)});
                        next = scan.value(0).toLongLong() + 1;
                    }
                    whole = scan.lastError().type() == QSqlError::NoError;
                }
                scan.finish();
                if (whole)
                    break;
                if (next == std::numeric_limits<qint64>::min())
                    next = 1;
                const qint64 end = last >= next ? last : next + 100000;
                bool found = false;
                for (qint64 id = next; id <= end && clock.elapsed() < timeLimitMs; ++id) {
                    one.bindValue(0, id);
                    if (one.exec() && one.next()) {
                        next = id;
                        found = true;
                    }
                    one.finish();
                    if (found)
                        break;
                }
                if (!found)
                    break;
            }
        }
        c.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(kSalvageConnection));
    return rows;
}

QString SqlWorker::moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target))
        return QString();
    // No other process has the file open (checked before), so a journal left
    // beside it is its own, not a live one.
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString extra = path + QLatin1String(suffix);
        if (QFileInfo::exists(extra))
            QFile::rename(extra, target + QLatin1String(suffix));
    }
    return target;
}

SqlWorker::Outcome SqlWorker::createDataBase(QString *reason)
{
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        *reason = db.lastError().text();
        return classify(db.lastError());
    }
    QSqlQuery q(db);
    const QString create = QStringLiteral(
        "CREATE TABLE \"Settings\" (\"name\" VARCHAR PRIMARY KEY  NOT NULL , \"value\" TEXT)");
    ++statements_;
    if (!q.exec(create)) {
        *reason = q.lastError().text();
        const Outcome o = classify(q.lastError());
        db.rollback();
        if (o == Outcome::Busy)
            return o;
        qWarning() << Q_FUNC_INFO << create << *reason;
        return Outcome::Failed;
    }
    for (const pryx::settings::Default &row : pryx::settings::kDefaults) {
        if (!row.newRow)
            continue;
        const QString sql = QStringLiteral("INSERT INTO \"Settings\" (\"name\",\"value\") VALUES ('%1',%2)")
                                .arg(QLatin1String(row.key), QLatin1String(row.newRow));
        ++statements_;
        if (!q.exec(sql))
            qWarning() << Q_FUNC_INFO << sql << q.lastError().text();
    }
    if (!db.commit()) {
        *reason = db.lastError().text();
        const Outcome o = classify(db.lastError());
        db.rollback();
        if (o != Outcome::Busy)
            qWarning() << Q_FUNC_INFO << "commit" << *reason;
        return o == Outcome::Busy ? o : Outcome::Failed;
    }
    return Outcome::Ok;
}

void SqlWorker::setBusyTimeout(int ms)
{
    QSqlQuery q(connection());
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
}

void SqlWorker::startWaiting(const QString &reason)
{
    busyReason_ = reason;
    if (waiting_)
        return;
    waiting_ = true;
    busyReported_ = false;
    busySince_.start();
    qCInfo(lcSql) << "settings file locked, writes wait:" << reason;
    // While locked, nothing waits for the lock: the timer tries again.
    setBusyTimeout(0);
    if (!retryTimer_) {
        retryTimer_ = new QTimer(this);
        retryTimer_->setInterval(kRetryMs);
        connect(retryTimer_, &QTimer::timeout, this, &SqlWorker::retry);
    }
    retryTimer_->start();
}

void SqlWorker::retry()
{
    QMutexLocker lock(&statementLock_);
    if (stopped_ || !waiting_) {
        if (retryTimer_)
            retryTimer_->stop();
        return;
    }
    bool free = true;
    if (checkPending_) {
        // The check of the connect, not done yet.
        free = finishConnect();
        if (free)
            checkPending_ = false;
    }
    if (free)
        free = writeWaiting();
    if (free) {
        // Reads too: an exclusive lock shuts them out as well.
        QSqlQuery probe(connection());
        ++statements_;
        if (!probe.exec(QStringLiteral("SELECT value FROM Settings LIMIT 1"))
            && classify(probe.lastError()) == Outcome::Busy) {
            busyReason_ = probe.lastError().text();
            free = false;
        }
    }
    if (!free) {
        if (!busyReported_ && busySince_.elapsed() >= kReportLockMs) {
            busyReported_ = true;
            emit databaseBusy(busyReason_);
        }
        return;
    }
    waiting_ = false;
    retryTimer_->stop();
    setBusyTimeout(kBusyTimeoutMs);
    qCInfo(lcSql) << "settings file free again after" << busySince_.elapsed() << "ms";
    std::vector<std::function<void()>> done;
    done.swap(written_);
    for (const auto &f : done)
        f();
    emit databaseFree();
}

bool SqlWorker::writeWaiting()
{
    while (!pending_.isEmpty()) {
        QString reason;
        const Outcome o = runWrite(pending_.first(), &reason);
        if (o == Outcome::Busy) {
            busyReason_ = reason;
            return false;
        }
        reportWrite(o, pending_.first().query, reason);
        pending_.removeFirst();
    }
    return commitLocked() != Outcome::Busy;
}

void SqlWorker::commitWrites()
{
    QMutexLocker lock(&statementLock_);
    if (stopped_ || !inTransaction_)
        return;
    if (commitLocked() == Outcome::Busy)
        startWaiting(busyReason_);
}

SqlWorker::Outcome SqlWorker::commitLocked()
{
    if (!inTransaction_)
        return Outcome::Ok;
    QSqlDatabase db = connection();
    if (db.commit()) {
        inTransaction_ = false;
        return Outcome::Ok;
    }
    const QString error = db.lastError().text();
    const Outcome o = classify(db.lastError());
    if (o == Outcome::Busy) {
        // Another process reads the file: the transaction stays open, with
        // its writes, until the commit goes through.
        busyReason_ = error;
        return o;
    }
    inTransaction_ = false;
    db.rollback();
    reportWrite(o, QStringLiteral("COMMIT"), error);
    return o;
}

void SqlWorker::whenWritten(std::function<void()> done)
{
    if (waiting_ && (checkPending_ || !pending_.isEmpty() || inTransaction_))
        written_.push_back(std::move(done));
    else
        done();
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
    stopped_ = true;
    if (waiting_ && !checkPending_) {
        // One last, longer wait for the lock before the writes are given up.
        setBusyTimeout(10000);
        if (!writeWaiting())
            qWarning("settings file still locked: %d changes were not saved", int(pending_.size()) + 1);
    } else if (!checkPending_) {
        commitLocked();
    } else if (!pending_.isEmpty()) {
        qWarning("settings file still locked: %d changes were not saved", int(pending_.size()));
    }
    {
        QSqlDatabase db = connection();
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    return true;
}

SqlWorker::Outcome SqlWorker::runWrite(const Statement &statement, QString *reason)
{
    QSqlDatabase db = connection();
    if (!inTransaction_ && db.transaction()) {
        inTransaction_ = true;
        // Runs after every request queued before it, so the writes queued
        // with this one go into the same transaction.
        QMetaObject::invokeMethod(this, &SqlWorker::commitWrites, Qt::QueuedConnection);
    }
    QSqlQuery q(db);
    ++statements_;
    bool ok = q.prepare(statement.query);
    if (ok) {
        for (const QVariant &value : statement.params)
            q.addBindValue(value);
        ok = q.exec();
    }
    if (ok)
        return Outcome::Ok;
    *reason = q.lastError().text();
    return classify(q.lastError());
}

void SqlWorker::reportWrite(Outcome outcome, const QString &query, const QString &reason)
{
    if (outcome == Outcome::Ok) {
        writesFailing_ = false;
        return;
    }
    qWarning() << Q_FUNC_INFO << query << reason;
    // Report when writes start failing, not for every one of them.
    if (!writesFailing_)
        emit databaseFailed(reason);
    writesFailing_ = true;
}

void SqlWorker::execute(QString query, QVariantList param)
{
    QMutexLocker lock(&statementLock_);
    if (stopped_)
        return;
    const Statement statement {query, param};
    if (waiting_) {
        pending_.append(statement);
        return;
    }
    QString reason;
    const Outcome o = runWrite(statement, &reason);
    if (o == Outcome::Busy) {
        pending_.append(statement);
        startWaiting(reason);
        return;
    }
    reportWrite(o, query, reason);
}

void SqlWorker::getDataLoad(quint64 id, QString name)
{
    QMutexLocker lock(&statementLock_);
    if (stopped_ || checkPending_) {
        emit getDataFinished(id, QVariant(), false);
        return;
    }
    // A write of the key that waits for the lock is newer than the file.
    for (int i = pending_.size() - 1; i >= 0; --i) {
        const QVariantList &p = pending_.at(i).params;
        if (p.size() == 2 && p.at(0).toString() == name) {
            emit getDataFinished(id, p.at(1), true);
            return;
        }
    }
    QSqlQuery q(connection());
    ++statements_;
    QVariant result;
    bool answered = false;
    if (!q.prepare(QStringLiteral("SELECT value FROM Settings WHERE name = ?"))) {
        qWarning() << Q_FUNC_INFO << q.lastQuery() << q.lastError().text();
    } else {
        q.addBindValue(name);
        if (q.exec()) {
            answered = true;
            if (q.next())
                result = q.value(0);
        }
        if (q.lastError().type() != QSqlError::NoError) {
            answered = false;
            result = QVariant();
            if (classify(q.lastError()) == Outcome::Busy)
                startWaiting(q.lastError().text());
            else
                qWarning() << Q_FUNC_INFO << q.lastQuery() << q.lastError().text();
        }
    }
    emit getDataFinished(id, result, answered);
}
