#include "capture/ponorampreview.h"

#include <QPainter>

PonoramPreview::PonoramPreview(QQuickItem *parent)
    : QQuickPaintedItem(parent),
      background_(QStringLiteral(":/image/image/image/ponoram_preview_background.png"))
{
}

void PonoramPreview::setImage(QImage img)
{
    previewWidth_ = kWidth;
    if (img.isNull() || img.width() <= 0 || img.height() <= 0) {
        preview_ = QImage();
        scaledHeight_ = 0;
        update();
        return;
    }
    scaledHeight_ = int(double(img.height()) * kWidth / img.width());
    // Source rows that fit into the column's height.
    const int k = int(kHeight / (double(kWidth) / img.width()));
    if (k < img.height())
        preview_ = img.copy(0, img.height() - k, img.width(), k)
                       .scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    else
        preview_ = img.scaled(kWidth, qMax(1, scaledHeight_), Qt::IgnoreAspectRatio,
                              Qt::FastTransformation);
    update();
}

void PonoramPreview::paint(QPainter *painter)
{
    painter->drawImage(0, 0, background_);
    painter->setPen(Qt::white);
    painter->setBrush(Qt::white);
    painter->drawRect(QRect(QPoint(9, 9), QPoint(104, 242)));
    if (!preview_.isNull())
        painter->drawImage(9, 9, preview_);
}
