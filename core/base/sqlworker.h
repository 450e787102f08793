#pragma once
// Runs every statement of the settings database on the database thread, on
// Qt's default SQLite connection, which only that thread uses.

#include <QAtomicInteger>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

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
    // On the database thread: commits the writes that ran so far, closes and
    // removes the connection; false when the worker was stopped first.
    bool close();
    // On the database thread: commits the writes that ran so far.
    void commitWrites();

public slots:
    // Opens the file; creates it, the table and the default rows when missing.
    // A file that cannot be opened or is no database is moved aside.
    void connectToDatabase(QString name);
    void execute(QString query, QVariantList param);
    void getDataLoad(quint64 id, QString name);

signals:
    void connectComplited();
    void getDataFinished(quint64 id, QVariant value);
    // A clear error for the user: the damaged file that was kept (empty when
    // nothing could be kept) and what went wrong.
    void databaseReplaced(QString keptAs, QString reason);
    void databaseFailed(QString reason);

private:
    bool openAndCheck(QString *reason);
    bool createDataBase();
    bool hasSettingsTable();
    QString moveAside(const QString &path);
    void commitLocked();
    void reportWriteResult(bool ok, const QString &error);

    QString fileName_;
    bool writesFailing_ = false;
    // Writes that follow one another share one transaction, committed once
    // the writes queued with them have run: one sync of the file for a burst
    // of writes instead of one each.
    bool inTransaction_ = false;
    // Held while a statement runs; stopped_ is read and written under it.
    QMutex statementLock_;
    bool stopped_ = false;
    QAtomicInteger<quint64> statements_ {0};
};
