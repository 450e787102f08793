#include "editor/smoothing.h"

#include <mutex>

#include <cmath>

#include "editor/items/penitem.h"

namespace pryx {
namespace editor {

QList<QPointF> smoothStroke(const QList<QPointF> &pts)
{
    const int n = pts.size();
    if (n <= 4)
        return pts;
    QList<QPointF> out;
    out.append(pts.first());
    QPointF prev = pts.first();
    for (int i = 1; i < n; ++i) {
        const QPointF b = pts.at(i - 1);
        const QPointF m = (pts.at(i - 1) + pts.at(i)) / 2.0;
        const QPointF u = m - b, v = prev - b;
        const double lu = std::hypot(u.x(), u.y()), lv = std::hypot(v.x(), v.y());
        if (lu > 0 && lv > 0) {
            const double c = qBound(-1.0, (u.x() * v.x() + u.y() * v.y()) / (lu * lv), 1.0);
            const float theta = float(std::acos(c));
            const int k = int(50.0f - (theta * 47.0f) / 3.14f);
            for (int j = 0; j < k; ++j) {
                const float t = float(j) / float(k);
                out.append((1 - t) * (1 - t) * prev + 2 * t * (1 - t) * b + t * t * m);
            }
        }
        prev = m;
    }
    out.append(pts.last());
    return out;
}

} // namespace editor
} // namespace pryx

ThreadAliasingPoint::ThreadAliasingPoint(QObject *parent) : QThread(parent) {}

ThreadAliasingPoint::~ThreadAliasingPoint() { stopAndWait(); }

void ThreadAliasingPoint::startFor(PenItem *newItem)
{
    stopAndWait();
    {
        std::lock_guard<std::mutex> lock(itemMutex);
        item = newItem;
        hasLastCount = false;
    }
    if (newItem)
        newItem->setSmoother(this);
    stopFlag.store(false);
    start(QThread::InheritPriority);
}

void ThreadAliasingPoint::stopAndWait()
{
    stop();
    wait();
}

void ThreadAliasingPoint::detach(PenItem *gone)
{
    std::lock_guard<std::mutex> lock(itemMutex);
    if (item == gone)
        item = nullptr;
}

PenItem *ThreadAliasingPoint::currentItem()
{
    std::lock_guard<std::mutex> lock(itemMutex);
    return item;
}

bool ThreadAliasingPoint::smoothOnce()
{
    std::lock_guard<std::mutex> lock(itemMutex);
    if (!item)
        return false;
    const PenItem::Snapshot snap = item->snapshot();
    if (hasLastCount && snap.changeCount == lastCount)
        return true;
    const QList<QPointF> out = pryx::editor::smoothStroke(snap.points);
    item->storeSmoothPoints(out, snap.changeCount);
    lastCount = snap.changeCount;
    hasLastCount = true;
    return true;
}

void ThreadAliasingPoint::run()
{
    while (!stopFlag.load()) {
        if (passHook)
            passHook();
        if (!smoothOnce())
            break;
        QThread::yieldCurrentThread();
    }
    // The last pass sees the final points, so no tail is missing.
    smoothOnce();
}
