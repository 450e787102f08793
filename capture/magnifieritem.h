#pragma once
// The magnifying glass of the capture surface: a 20 x 20 square of the frozen
// desktop around the cursor, enlarged, with the colour of its centre pixel.

#include <QPixmap>
#include <QQuickPaintedItem>
#include <QString>

class MagnifierItem : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(QPixmap background READ background WRITE setBackground NOTIFY backgroundChanged)
    Q_PROPERTY(int gx READ gx WRITE setGx NOTIFY gxChanged)
    Q_PROPERTY(int gy READ gy WRITE setGy NOTIFY gyChanged)
    Q_PROPERTY(QString currentColor READ currentColor NOTIFY currentColorChange)

public:
    explicit MagnifierItem(QQuickItem *parent = nullptr);

    QPixmap background() const { return background_; }
    void setBackground(const QPixmap &pxm);
    int gx() const { return gx_; }
    void setGx(int v);
    int gy() const { return gy_; }
    void setGy(int v);
    QString currentColor() const { return currentColor_; }

    Q_INVOKABLE void update() { QQuickPaintedItem::update(); }
    void paint(QPainter *painter) override;

    // Colour text of a pixel: "#" and six lower-case hex digits.
    static QString colorName(QRgb rgb);

signals:
    void backgroundChanged(QPixmap);
    void gxChanged(int);
    void gyChanged(int);
    void currentColorChange(QString color);

private:
    QPixmap background_;
    QPixmap hotSpot_;
    int gx_ = 0;
    int gy_ = 0;
    QString currentColor_;
};
