#pragma once
// The settings database thread. Setting calls it on the GUI thread: connect
// and reads wait in a local event loop, writes are queued without waiting.

#include <QAtomicInteger>
#include <QString>
#include <QThread>
#include <QVariant>
#include <QVariantList>

class SqlWorker;

class SqlDatabase : public QThread
{
    Q_OBJECT
public:
    explicit SqlDatabase(QObject *parent = nullptr);

    bool connectToDatabase(QString name);
    // Null when there is no such row. *answered is false when the thread did
    // not answer in time (or is known to be stalled); the value is then null.
    QVariant getData(QString name, bool *answered = nullptr);
    void execute(QString query, QVariantList params);
    // Returns once every statement queued before the call is in the file
    // (a write that waits for another process's lock counts as queued), or
    // after timeoutMs; false on timeout.
    bool flush(int timeoutMs = 5000);

    // Writes what is queued, closes the connection and ends the thread; the
    // application object calls it while it is destroyed. Writes still queued
    // after timeoutMs are dropped. Later requests are ignored (reads give null).
    void shutdown(int timeoutMs = 30000);

    SqlWorker *worker() const { return worker_; }
    bool isStalled() const { return stalled_.loadAcquire() != 0; }
    QString fileName() const { return name_; }

signals:
    void startExecuted(QString query, QVariantList param);
    void startConnect(QString database);
    void getDataStarted(quint64 id, QString name);
    // A read went unanswered: reads give up at once from now on ...
    void stalled();
    // ... until the thread has answered again (sent from the thread).
    void answeringAgain();

protected:
    void run() override;

private:
    // Longest wait of one read for the thread.
    static constexpr int readWaitMs_ = 10000;
    QAtomicInteger<int> stalled_ {0};
    QString name_;
    SqlWorker *worker_ = nullptr;
    QAtomicInteger<int> ready_ {0};
    quint64 nextRequest_ = 0;
    bool stopped_ = false;
};
