#pragma once
// Runs every statement of the settings database on the database thread, on
// Qt's default SQLite connection, which only that thread uses.
//
// A file that another process holds locked is not damaged: while it is
// locked, writes wait here in order, reads answer "unknown" (the store then
// serves what it has in memory), and a timer retries until the file is free.
// Only a file that SQLite finds corrupt or no database at all, and that no
// other process has open, is moved aside, after every row that still reads
// has been copied into the fresh file.

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <vector>

class QSqlError;
class QTimer;

class SqlWorker : public QObject
{
    Q_OBJECT
public:
    explicit SqlWorker(QObject *parent = nullptr);

    // Statements run so far (writes and reads), readable from any thread.
    quint64 statementCount() const { return statements_.loadAcquire(); }

    // From any thread: returns once the worker has finished the statement it
    // runs now, if any; it runs none afterwards.
    void stop();
    // On the database thread: writes what waits for a locked file (bounded),
    // closes and removes the connection; false when the worker was stopped first.
    bool close();
    // On the database thread: commits the writes that ran so far.
    void commitWrites();
    // On the database thread: calls done once every write queued so far is
    // committed to the file (at once when none waits).
    void whenWritten(std::function<void()> done);
    // On the database thread: true while the file is locked and writes wait.
    bool isWaiting() const { return waiting_; }

    // Rows of a damaged settings file that still read: (name, value) in the
    // order of the file. Stops after timeLimitMs.
    static QList<QPair<QString, QVariant>> salvageRows(const QString &path, int timeLimitMs = 3000);

public slots:
    // Opens the file; creates it, the table and the default rows when missing.
    // A damaged file is salvaged and moved aside; a locked one is waited for.
    void connectToDatabase(QString name);
    void execute(QString query, QVariantList param);
    void getDataLoad(quint64 id, QString name);

signals:
    void connectComplited();
    // answered is false when the file could not be read (locked, failed):
    // the value is then unknown, not missing.
    void getDataFinished(quint64 id, QVariant value, bool answered);
    // A clear error for the user: the damaged file that was kept (empty when
    // nothing could be kept), what went wrong and how many values were saved
    // from it into the fresh file.
    void databaseReplaced(QString keptAs, QString reason, int salvaged);
    void databaseFailed(QString reason);
    // The file has stayed locked by another process for a while (once per
    // lock), and the file answers again after a lock.
    void databaseBusy(QString reason);
    void databaseFree();

private:
    enum class Outcome { Ok, Busy, Damaged, Failed };
    struct Statement {
        QString query;
        QVariantList params;
    };

    static Outcome classify(const QSqlError &error);
    // Opens and checks the file, creating it (and the table) when missing.
    Outcome openAndCheck(QString *reason);
    // Connect work that a lock may postpone; false while the file is locked.
    bool finishConnect();
    void replaceDamaged(const QString &reason);
    Outcome createDataBase(QString *reason);
    Outcome hasSettingsTable(bool *has, QString *reason);
    QString moveAside(const QString &path);
    // Runs one write inside the open transaction (opened when there is none);
    // Busy when the file is locked.
    Outcome runWrite(const Statement &statement, QString *reason);
    // Commits the open transaction; Busy leaves it open for a later try.
    Outcome commitLocked();
    // Runs the writes that wait and commits them; false while locked.
    bool writeWaiting();
    void reportWrite(Outcome outcome, const QString &query, const QString &reason);

    void startWaiting(const QString &reason);
    void retry();
    void setBusyTimeout(int ms);

    QString fileName_;
    bool createdHere_ = false;
    bool writesFailing_ = false;
    // The connect check is still to be done (the file was locked at connect).
    bool checkPending_ = false;
    bool waiting_ = false;
    bool busyReported_ = false;
    QString busyReason_;
    QElapsedTimer busySince_;
    QTimer *retryTimer_ = nullptr;
    QList<Statement> pending_;
    // Writes that follow one another share one transaction, committed once
    // the writes queued with them have run: one sync of the file for a burst
    // of writes instead of one each.
    bool inTransaction_ = false;
    std::vector<std::function<void()>> written_;
    // Held while a statement runs; stopped_ is read and written under it.
    QMutex statementLock_;
    bool stopped_ = false;
    QAtomicInteger<quint64> statements_ {0};
};
