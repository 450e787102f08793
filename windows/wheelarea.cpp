#include "windows/wheelarea.h"

#include <QWheelEvent>

WheelArea::WheelArea(QQuickItem *parent) : QQuickItem(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

void WheelArea::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const int modifiers = int(event->modifiers());
    if (delta.y() != 0)
        emit verticalWheel(delta.y(), modifiers);
    if (delta.x() != 0)
        emit horizontalWheel(delta.x(), modifiers);
    event->accept();
}
