#pragma once
// The rubber band of the capture surface: draws, moves (Space) and resizes
// the selection and shades everything outside it.

#include <QColor>
#include <QCursor>
#include <QPointF>
#include <QQuickItem>
#include <QRect>
#include <QRectF>
#include <QVector>

class SurfaceSelector : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QRectF rubberRect READ rubberRect NOTIFY rubberRectChanged)
    Q_PROPERTY(int rubberRectLeft READ rubberRectLeft NOTIFY rubberRectLeftChanged)
    Q_PROPERTY(int rubberRectRight READ rubberRectRight NOTIFY rubberRectRightChanged)
    Q_PROPERTY(int rubberRectTop READ rubberRectTop NOTIFY rubberRectTopChanged)
    Q_PROPERTY(int rubberRectBottom READ rubberRectBottom NOTIFY rubberRectBottomChanged)
    Q_PROPERTY(int gRubberRectLeft READ gRubberRectLeft NOTIFY gRubberRectLeftChanged)
    Q_PROPERTY(int gRubberRectRight READ gRubberRectRight NOTIFY gRubberRectRightChanged)
    Q_PROPERTY(int gRubberRectTop READ gRubberRectTop NOTIFY gRubberRectTopChanged)
    Q_PROPERTY(int gRubberRectBottom READ gRubberRectBottom NOTIFY gRubberRectBottomChanged)
    Q_PROPERTY(bool showToolBar READ showToolBar NOTIFY showToolBarChanged)
    Q_PROPERTY(bool fullScreen READ fullScreen WRITE setFullScreen NOTIFY fullScreenChanged)
    Q_PROPERTY(bool quickScreen READ quickScreen WRITE setQuickScreen NOTIFY quickScreenChanged)
    Q_PROPERTY(bool isPress READ isPress NOTIFY isPressChanged)
    Q_PROPERTY(bool firstDraw READ firstDraw NOTIFY firstDrawChanged)
    Q_PROPERTY(int gx READ gx NOTIFY gxChanged)
    Q_PROPERTY(int gy READ gy NOTIFY gyChanged)
    Q_PROPERTY(QRectF gRect READ gRect NOTIFY gRectChanged)
    Q_PROPERTY(int maxSelectWidth READ maxSelectWidth WRITE setMaxSelectWidth NOTIFY maxSelectWidthChanged)
    Q_PROPERTY(int maxSelectHeight READ maxSelectHeight WRITE setMaxSelectHeight NOTIFY maxSelectHeightChanged)
    Q_PROPERTY(int screenIndex READ screenIndex WRITE setScreenIndex NOTIFY screenIndexChanged)
    Q_PROPERTY(bool isShowMagnified READ isShowMagnified WRITE setIsShowMagnified NOTIFY isShowMagnifiedChanged)

public:
    explicit SurfaceSelector(QQuickItem *parent = nullptr);

    QRectF rubberRect() const { return rubberRect_.normalized(); }
    int rubberRectLeft() const;
    int rubberRectRight() const;
    int rubberRectTop() const;
    int rubberRectBottom() const;
    int gRubberRectLeft() const;
    int gRubberRectRight() const;
    int gRubberRectTop() const;
    int gRubberRectBottom() const;
    bool showToolBar() const { return showToolBar_; }
    bool fullScreen() const { return fullScreen_; }
    void setFullScreen(bool value);
    bool quickScreen() const { return quickScreen_; }
    void setQuickScreen(bool value);
    bool isPress() const { return isPress_; }
    bool firstDraw() const { return firstDraw_; }
    int gx() const { return gx_; }
    int gy() const { return gy_; }
    QRectF gRect() const { return gRect_; }
    int maxSelectWidth() const { return maxSelectWidth_; }
    void setMaxSelectWidth(int value);
    int maxSelectHeight() const { return maxSelectHeight_; }
    void setMaxSelectHeight(int value);
    int screenIndex() const { return screenIndex_; }
    void setScreenIndex(int value);
    bool isShowMagnified() const { return isShowMagnified_; }
    void setIsShowMagnified(bool value);

    bool contains(const QPointF &point) const override;

    // What the selector draws, in painting order: the shade outside the
    // selection and the guide lines, each a solid rectangle.
    struct Shape
    {
        QRectF rect;
        QColor color;
    };
    QVector<Shape> shapes() const;

    Q_INVOKABLE void checkProperties();
    void expandToFullScreen();
    void collapseFromFullScreen();
    void setRubberRect(const QRectF &rect);
    void moveRubberTo(int x, int y);
    void setMoveMode(bool on);
    bool moveMode() const { return moveMode_; }
    bool hasSelection() const { return !firstDraw_; }

    // Used by the window-scrolling panorama screen.
    void setRects(const QRectF &global, const QRectF &local);
    void setFixedRect(const QRect &rect);
    void resetFixedRect();
    void lockSelection();
    void setFirstDraw(bool value);

    static const char *const kCursorPath;
    static QCursor crossCursor();

public slots:
    void setGlobalX(int) {}
    void setGlobalY(int) {}

signals:
    void rubberRectChanged(QRectF rect);
    void rubberRectLeftChanged(int);
    void rubberRectRightChanged(int);
    void rubberRectTopChanged(int);
    void rubberRectBottomChanged(int);
    void gRubberRectLeftChanged(int);
    void gRubberRectRightChanged(int);
    void gRubberRectTopChanged(int);
    void gRubberRectBottomChanged(int);
    void showToolBarChanged(bool);
    void fullScreenChanged(bool value);
    void quickScreenChanged(bool value);
    void isPressChanged(bool press);
    void firstDrawChanged(bool firstDraw);
    void gxChanged(int gx);
    void gyChanged(int gy);
    void gRectChanged(QRectF gRect);
    void maxSelectWidthChanged(int);
    void maxSelectHeightChanged(int);
    void screenIndexChanged(int);
    void isShowMagnifiedChanged();
    void moveRubberChanged(bool);
    void selectComplete();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;
    void hoverMoveEvent(QHoverEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void emitRectSignals();
    void setGx(int v);
    void setGy(int v);
    void setShowToolBar(bool v);
    void applyMaxSelectSize(bool resizing, qreal oldLeft, qreal oldTop);

    int gx_ = 0;
    int gy_ = 0;
    QRectF gRect_;
    QRect fixedRect_;
    bool fixedShade_ = false;
    bool isPress_ = false;
    bool firstDraw_ = true;
    bool selected_ = false;
    bool showToolBar_ = false;
    QPointF anchor_;
    QPointF last_;
    QRectF rubberRect_;
    QRectF previousRect_;
    bool locked_ = false;
    bool fullScreen_ = false;
    bool quickScreen_ = false;
    bool isShowMagnified_ = false;
    bool resizeHover_ = false;
    bool edgeTop_ = false;
    bool edgeBottom_ = false;
    bool edgeLeft_ = false;
    bool edgeRight_ = false;
    bool edgeCorner_ = false;
    bool moveMode_ = false;
    int maxSelectWidth_ = -1;
    int maxSelectHeight_ = -1;
    int screenIndex_ = -1;
};
