#pragma once
// A freehand stroke: raw points collected while drawing, the smoothed
// points that a worker thread makes from them (what is painted), and the
// stroke's rectangle, which can be moved and resized with the handles.

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QTimer>

#include <atomic>
#include <mutex>

#include "editor/abstractgraphitem.h"

class ThreadAliasingPoint;

class PenItem : public AbstractGraphItem
{
    Q_OBJECT

public:
    explicit PenItem(QQuickItem *parent = nullptr);
    // Stops the smoothing of this item before it goes.
    ~PenItem() override;

    struct Snapshot
    {
        QList<QPointF> points;
        quint64 changeCount = 0;
    };

    void addPoint(QPointF p);
    void removeLastPoint();
    int pointCount() const;
    QList<QPointF> pointsCopy() const;
    QList<QPointF> smoothPointsCopy() const;
    // Raw points with the count of their changes (read by the thread).
    Snapshot snapshot() const;
    // Stores the thread's result (any thread); the item repaints on its own.
    void storeSmoothPoints(const QList<QPointF> &points, quint64 changeCount);
    // Number of changes of the raw points so far.
    quint64 changeCount() const;
    void setSmoother(ThreadAliasingPoint *smoother);

    void setGeometryRect(QRectF r);
    // The rectangle of the stroke; a negative side means the stroke is
    // mirrored on that axis (undo and redo).
    Q_INVOKABLE void setRect(QRectF r);
    void rescale(QRectF from, QRectF to);
    void rescale(double ratio) override;
    void move(double x, double y) override;
    void rebuildKeyPosition() override;

    QRectF penRect() const { return penRect_; }
    QRectF innerRect() const { return innerRect_; }
    // Current mirroring of the stroke against the drawn one.
    bool mirroredX() const { return orientX_ < 0; }
    bool mirroredY() const { return orientY_ < 0; }

    void paint(QPainter *painter) override;

public slots:
    void checkNewGeometry() {}

protected:
    PenItem(const QString &name, QQuickItem *parent);

    // Repaints after a store of the thread; stops once the thread is done
    // with this item.
    void repaintSmoothed();

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    // Smoothed points as painted: mirrored while the rectangle is.
    QList<QPointF> paintedPoints() const;
    // The rectangle carrying the orientation in the sign of its sides.
    QRectF orientedRect(QRectF r, int ox, int oy) const;
    // Smoothed points for the stroke rectangle `to`.
    void scaleSmooth(QRectF to);

    // A std::mutex: thread checkers see its locking.
    mutable std::mutex pointsMutex;
    QList<QPointF> points_;
    QList<QPointF> smoothPoints_;
    quint64 changeCount_ = 0;
    // The smoothed points at a known size, the source of every scaling.
    QList<QPointF> refPoints_;
    QSizeF refSize_;
    bool refValid_ = false;
    QRectF penRect_;
    QRectF rectAtPress_;
    QRectF innerRect_;
    int orientX_ = 1;
    int orientY_ = 1;
    int orientAtPressX_ = 1;
    int orientAtPressY_ = 1;
    QPointer<ThreadAliasingPoint> smoother_;
    // Set by the thread when it stores new points; a timer on the item's
    // own thread repaints while the stroke is smoothed (the thread posts
    // nothing, so no event crosses the threads).
    std::atomic<bool> smoothStored_{false};
    QTimer repaintTimer_;
};
