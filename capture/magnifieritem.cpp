#include "capture/magnifieritem.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

MagnifierItem::MagnifierItem(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    const QString hot = QStringLiteral(":/component/image/component/magnifier_hotspot.png");
    if (QFile::exists(hot))
        hotSpot_ = QPixmap(hot);
    setFlag(ItemHasContents, true);
}

QString MagnifierItem::colorName(QRgb rgb)
{
    return QStringLiteral("#%1%2%3")
        .arg(qRed(rgb), 2, 16, QLatin1Char('0'))
        .arg(qGreen(rgb), 2, 16, QLatin1Char('0'))
        .arg(qBlue(rgb), 2, 16, QLatin1Char('0'));
}

void MagnifierItem::setBackground(const QPixmap &pxm)
{
    QScreen *primary = QGuiApplication::primaryScreen();
    const qreal r = primary ? primary->devicePixelRatio() : 1.0;
    // At ratio 1 the grab is used as it is (no second copy of the desktop).
    if (qFuzzyCompare(r, 1.0) || pxm.isNull())
        background_ = pxm;
    else
        background_ = pxm.scaled(int(pxm.width() / r), int(pxm.height() / r),
                                 Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void MagnifierItem::setGx(int v)
{
    if (gx_ == v)
        return;
    gx_ = v;
    emit gxChanged(v);
}

void MagnifierItem::setGy(int v)
{
    if (gy_ == v)
        return;
    gy_ = v;
    emit gyChanged(v);
}

void MagnifierItem::paint(QPainter *painter)
{
    const int w = int(width());
    const int h = int(height());
    if (w <= 0 || h <= 0)
        return;

    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    shape.addRoundedRect(QRectF(0, 0, w, h), 5, 5);
    shape.addRect(QRectF(0, 0, 10, 10));
    QPixmap maskPm(w, h);
    maskPm.fill(Qt::transparent);
    {
        QPainter mp(&maskPm);
        mp.setRenderHint(QPainter::Antialiasing, true);
        mp.fillPath(shape, Qt::black);
    }

    // The square is cut with the black outside the desktop, so the cursor
    // pixel stays in the centre at the edges too.
    QPixmap square(20, 20);
    square.fill(Qt::black);
    {
        QPainter sp(&square);
        sp.drawPixmap(QPoint(0, 0), background_, QRect(gx_ - 10, gy_ - 10, 20, 20));
    }
    QPixmap source = square.scaled(w, h, Qt::KeepAspectRatio, Qt::FastTransformation);
    QPixmap masked(source.size());
    masked.fill(Qt::transparent);
    {
        QPainter mk(&masked);
        mk.drawPixmap(0, 0, source);
        mk.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        mk.drawPixmap(0, 0, maskPm);
    }
    painter->drawPixmap(0, 0, masked);
    if (!hotSpot_.isNull())
        painter->drawPixmap(0, 0, hotSpot_);

    painter->save();
    painter->setOpacity(0.3);
    painter->setPen(QPen());
    const int cx = w / 2;
    const int cy = h / 2;
    const int vLen = cy - 3;
    const int hLen = cx - 3;
    painter->drawLine(cx, 0, cx, cy - 3);
    painter->drawLine(cx, cy + 2, cx, cy + 2 + vLen);
    painter->drawLine(0, cy, cx - 3, cy);
    painter->drawLine(cx + 2, cy, cx + 2 + hLen, cy);
    painter->setOpacity(0.5);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawRect(QRect(0, h - 14, w, 14));
    painter->restore();

    const QImage srcImage = source.toImage();
    const QString name = colorName(srcImage.pixel(qMin(cx, srcImage.width() - 1),
                                                  qMin(cy, srcImage.height() - 1)));
    if (name != currentColor_) {
        currentColor_ = name;
        emit currentColorChange(name);
    }
    painter->save();
    painter->setOpacity(1.0);
    painter->setPen(Qt::white);
    painter->drawText(QPoint(2, h - 2), currentColor_);
    painter->restore();
}
