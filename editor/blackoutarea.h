#pragma once
// The darkening layer of the blackout tool, kept over the selection. This
// is its outer shape (paint area, selection, width) until the blackout
// items exist; it paints nothing yet.

#include <QColor>
#include <QQuickPaintedItem>
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

    void paint(QPainter *painter) override;

signals:
    void paintAreaChanged(PPainterArea *area);
    void selectRectChanged(QRectF rect);

public slots:
    void createNewBlackoutItem(BlackoutItem *item);
    void setLineWidth(int width);

private:
    PPainterArea *paintArea_ = nullptr;
    QRectF selectRect_;
    QColor color_ = QColor(0, 0, 0, 119);
};
