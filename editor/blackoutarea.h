#pragma once
// The darkening layer of the blackout tool, kept over the selection: it
// darkens the whole selection except the rectangles of the visible blackout
// items, which stay bright like holes in a veil.

#include <QColor>
#include <QList>
#include <QQuickPaintedItem>
#include <QRect>
#include <QRectF>

class BlackoutItem;
class PPainterArea;

class BlackoutArea : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(PPainterArea *paintArea READ paintArea WRITE setPaintArea NOTIFY paintAreaChanged)
    Q_PROPERTY(QRectF selectRect READ selectRect WRITE setSelectRect NOTIFY selectRectChanged)

public:
    explicit BlackoutArea(QQuickItem *parent = nullptr);

    PPainterArea *paintArea() const { return paintArea_; }
    void setPaintArea(PPainterArea *area);
    QRectF selectRect() const { return selectRect_; }
    void setSelectRect(QRectF rect);
    QColor darkening() const { return color_; }

    // The parts of the layer that are darkened (layer coordinates); empty
    // while no visible blackout item has a hole in it.
    QList<QRect> getPaintRect();
    // `from` without `cut`: the pieces around each intersection.
    static QList<QRect> subtract(const QList<QRect> &from, const QRect &cut);
    // Darkening alpha of a blackout width.
    static int alphaForWidth(int width);

    void paint(QPainter *painter) override;

signals:
    void paintAreaChanged(PPainterArea *area);
    void selectRectChanged(QRectF rect);

public slots:
    // Repaints after a change of the blackout items.
    void refresh();
    void createNewBlackoutItem(BlackoutItem *item);
    void setLineWidth(int width);

private:
    PPainterArea *paintArea_ = nullptr;
    QRectF selectRect_;
    QColor color_ = QColor(0, 0, 0, 119);
};
