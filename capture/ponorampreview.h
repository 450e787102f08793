#pragma once
// The growing panorama in a 96 px wide column: its bottom part when it is
// taller than the column.

#include <QImage>
#include <QQuickPaintedItem>

class PonoramPreview : public QQuickPaintedItem
{
    Q_OBJECT

public:
    explicit PonoramPreview(QQuickItem *parent = nullptr);

    static constexpr int kWidth = 96;
    static constexpr int kHeight = 234;

    void paint(QPainter *painter) override;
    QImage previewImage() const { return preview_; }
    int scaledHeight() const { return scaledHeight_; }

public slots:
    void setImage(QImage img);

private:
    QImage preview_;
    QImage background_;
    int previewWidth_ = kWidth;
    int scaledHeight_ = 0;
};
