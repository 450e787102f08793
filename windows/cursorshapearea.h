#pragma once
// A QML item that sets the mouse cursor over its area.

#include <QQuickItem>

class CursorShapeArea : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(Qt::CursorShape cursorShape READ cursorShape WRITE setCursorShape NOTIFY cursorShapeChanged)

public:
    explicit CursorShapeArea(QQuickItem *parent = nullptr);

    Qt::CursorShape cursorShape() const;
    void setCursorShape(Qt::CursorShape shape);

signals:
    void cursorShapeChanged();
};
