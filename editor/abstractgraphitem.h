#pragma once
// Base of every shape drawn on the annotation area: drawing options, the
// checked state, resize handles with their hover logic, keyboard moves and
// deletion, and the painting of the handles.

#include <QColor>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QRectF>
#include <QString>

class PPainterArea;
class QPainter;

class AbstractGraphItem : public QQuickPaintedItem
{
    Q_OBJECT

public:
    explicit AbstractGraphItem(QQuickItem *parent = nullptr);
    ~AbstractGraphItem() override;

    // Moves the item to a new top-left in area coordinates.
    virtual void move(double x, double y);
    // Rebuilds the handles.
    virtual void rebuildKeyPosition();
    // Scales the item's place and size when the area is resized; the base
    // moves the item only.
    virtual void rescale(double ratio);

    void setChecked(bool checked);
    bool isChecked() const { return checked_; }
    void setColor(QColor color);
    QColor color() const { return color_; }
    void setColorX(int x) { colorX_ = x; }
    int colorX() const { return colorX_; }
    void setFilled(bool filled) { filled_ = filled; }
    bool isFilled() const { return filled_; }
    void setLineWidth(int width);
    int lineWidth() const { return lineWidth_; }
    void setSubstrate(bool substrate);
    bool substrate() const { return substrate_; }
    void setRaiseOnCheck(bool raise) { raiseOnCheck_ = raise; }
    bool raiseOnCheck() const { return raiseOnCheck_; }

    QRectF itemRect() const { return itemRect_; }
    PPainterArea *area() const { return area_; }
    Q_INVOKABLE QString name() const { return name_; }

    // Hover and drag state, read by the subclasses and by tests.
    QList<QPointF> keyPositions() const { return keyPositions_; }
    QPointF hoveredKey() const { return hoveredKey_; }
    bool isOnKey() const { return onKey_; }
    bool isKeyGrabbed() const { return keyGrabbed_; }
    bool resizesLeft() const { return resizeLeft_; }
    bool resizesTop() const { return resizeTop_; }
    bool resizesRight() const { return resizeRight_; }
    bool resizesBottom() const { return resizeBottom_; }
    bool isSideKey() const { return sideKey_; }
    bool isSpaceHeld() const { return spaceHeld_; }
    bool isMoved() const { return moved_; }

    // Pen, brush and hints of the item's own drawing.
    void preparePainter(QPainter *painter);

    void paint(QPainter *painter) override;

signals:
    void checkChanged(bool checked);
    void lineWidthChanged(int w);
    void colorChanged(QColor c);
    void updated();

protected:
    AbstractGraphItem(const QString &name, QQuickItem *parent);

    // The shape rectangle after a drag of (dx, dy) on the grabbed handle.
    // With Shift on a corner, dx or dy is adjusted to keep the proportions of
    // `proportions` (skipped when it has a side of 0). Returns false when no
    // handle is grabbed (the drag then moves the item).
    bool handleDragRect(const QRectF &rect, const QSizeF &proportions, bool shift, double &dx,
                        double &dy, QRectF *next) const;

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hoverMoveEvent(QHoverEvent *event) override;

    // Pushes a MoveCommand from `from` to the current position.
    void pushMove(QPointF from);
    // Sets itemRect to the current geometry.
    void storeItemRect();

    QList<QPointF> keyPositions_;
    QPointF hoveredKey_;
    bool keyGrabbed_ = false;
    bool onKey_ = false;
    bool resizeLeft_ = false;
    bool resizeTop_ = false;
    bool resizeRight_ = false;
    bool resizeBottom_ = false;
    bool sideKey_ = false;
    bool raiseOnCheck_ = true;
    bool filled_ = false;
    bool spaceHeld_ = false;
    QRectF itemRect_;
    bool checked_ = false;
    QColor color_;
    int lineWidth_ = 2;
    bool substrate_ = false;
    int colorX_ = 0;
    QPoint lastGlobalPos_;
    QString name_;
    PPainterArea *area_ = nullptr;
    QPointF posAtPress_;
    bool moved_ = false;
};
