#pragma once
// A QML item that reports the mouse wheel over its area: the angle of each
// turn in eighths of a degree (120 for one notch), as QWheelEvent gives it.

#include <QQuickItem>

class WheelArea : public QQuickItem
{
    Q_OBJECT

public:
    explicit WheelArea(QQuickItem *parent = nullptr);

signals:
    void verticalWheel(int delta, int modifiers);
    void horizontalWheel(int delta, int modifiers);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
