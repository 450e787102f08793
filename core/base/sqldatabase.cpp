#include "core/base/sqldatabase.h"

#include "core/base/sqlworker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>

#include <memory>

SqlDatabase::SqlDatabase(QObject *parent) : QThread(parent)
{
    start(QThread::InheritPriority);
    while (!ready_.loadAcquire())
        QThread::usleep(10);
}

void SqlDatabase::run()
{
    auto *worker = new SqlWorker();
    worker->moveToThread(this);
    connect(this, &SqlDatabase::startConnect, worker, &SqlWorker::connectToDatabase);
    connect(this, &SqlDatabase::startExecuted, worker, &SqlWorker::execute);
    connect(this, &SqlDatabase::getDataStarted, worker, &SqlWorker::getDataLoad);
    worker_ = worker;
    ready_.storeRelease(1);
    exec();
}

bool SqlDatabase::connectToDatabase(QString name)
{
    name_ = name;
    QEventLoop loop;
    bool done = false;
    connect(worker_, &SqlWorker::connectComplited, &loop, [&] {
        done = true;
        loop.quit();
    });
    emit startConnect(name);
    if (!done)
        loop.exec();
    return true;
}

QVariant SqlDatabase::getData(QString name)
{
    if (stopped_)
        return QVariant();
    // The caller blocks until the worker answers and runs no events
    // meanwhile: an event loop here would deliver network replies, socket
    // reads and deferred deletes in the middle of whatever code asked for a
    // setting, and free objects that code still uses. The reply is handed
    // over on the worker's thread; the id makes sure it is this read's.
    struct Pending
    {
        QSemaphore done;
        QVariant value;
    };
    const quint64 id = ++nextRequest_;
    auto pending = std::make_shared<Pending>();
    const QMetaObject::Connection c = connect(
        worker_, &SqlWorker::getDataFinished, worker_,
        [pending, id](quint64 replyId, const QVariant &value) {
            if (replyId != id)
                return;
            pending->value = value;
            pending->done.release();
        },
        Qt::DirectConnection);
    emit getDataStarted(id, name);
    const bool answered = pending->done.tryAcquire(1, kReadWaitMs);
    disconnect(c);
    if (!answered) {
        qWarning("settings database: no answer for \"%s\" within %d ms", qPrintable(name), kReadWaitMs);
        return QVariant();
    }
    return pending->value;
}

void SqlDatabase::execute(QString query, QVariantList params)
{
    if (stopped_) {
        qWarning("settings database closed: a write was dropped");
        return;
    }
    emit startExecuted(query, params);
}

void SqlDatabase::shutdown(int timeoutMs)
{
    if (stopped_ || !isRunning())
        return;
    stopped_ = true;
    // Runs after every statement queued before it.
    auto closed = std::make_shared<QSemaphore>(0);
    SqlWorker *worker = worker_;
    QMetaObject::invokeMethod(worker_, [closed, worker] {
        if (worker->close())
            closed->release();
    }, Qt::QueuedConnection);
    if (!closed->tryAcquire(1, timeoutMs)) {
        // Still writing: stop after the current statement, so that nothing
        // touches the connection while Qt Sql lets go of it from this thread.
        worker_->stop();
        qWarning("settings database: writes still queued after %d ms were dropped", timeoutMs);
        return;
    }
    quit();
    wait(timeoutMs);
}

bool SqlDatabase::flush(int timeoutMs)
{
    if (stopped_ || !worker_)
        return !stopped_;
    if (QThread::currentThread() == this)
        return true;
    // Queued calls reach the worker in order: once this one runs, every
    // statement queued before it has run; it commits them.
    auto sem = std::make_shared<QSemaphore>(0);
    SqlWorker *worker = worker_;
    QMetaObject::invokeMethod(worker_, [sem, worker] {
        worker->commitWrites();
        sem->release();
    }, Qt::QueuedConnection);
    return sem->tryAcquire(1, timeoutMs);
}
