#pragma once
// Smoothing of freehand strokes: the pure curve routine and the worker
// thread that applies it to a stroke while it is drawn.

#include <QList>
#include <mutex>
#include <QPointF>
#include <QThread>

#include <atomic>
#include <functional>

class PenItem;

namespace pryx {
namespace editor {

// Quadratic curves through the midpoints of the raw points; strokes of 4
// points or fewer are returned as they are.
QList<QPointF> smoothStroke(const QList<QPointF> &points);

} // namespace editor
} // namespace pryx

class ThreadAliasingPoint : public QThread
{
    Q_OBJECT

public:
    explicit ThreadAliasingPoint(QObject *parent = nullptr);
    // Stops and waits: the thread never outlives its object.
    ~ThreadAliasingPoint() override;

    // Waits for a previous run, then smooths `item` until stop().
    void startFor(PenItem *item);
    // Asks the run to end after one last pass over the final points.
    void stop() { stopFlag.store(true); }
    // stop() and wait for the run to end.
    void stopAndWait();
    // Forgets `item` (waits for the run when it smooths that item).
    void detach(PenItem *item);
    PenItem *currentItem();
    bool stopRequested() const { return stopFlag.load(); }
    // Called on the thread before every pass; set only while the thread is
    // not running (tests hold a run with it).
    void setPassHook(std::function<void()> hook) { passHook = std::move(hook); }

protected:
    void run() override;

private:
    // One pass; returns false when there is no item.
    bool smoothOnce();

    std::atomic<bool> stopFlag{false};
    // Guards `item`; held for a whole pass, so an item that leaves is never
    // used by a pass in progress.
    std::mutex itemMutex;
    PenItem *item = nullptr;
    std::function<void()> passHook;
    quint64 lastCount = 0;
    bool hasLastCount = false;
};
