#pragma once
// Base of every ordinary window: a frameless, transparent Qt Quick view on one
// page from the resources, with "window", "core" and "settings" in its context.
// While a compositing manager runs, the page draws a soft shadow in a margin
// around its card; the margin is see-through and takes no clicks. Without one
// transparent pixels would show black, so the page draws no margin.

#include <QBitmap>
#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QQuickView>
#include <QRect>
#include <QVariant>
#include <QVector>

class QQuickItem;

class BasicWindow : public QQuickView
{
    Q_OBJECT
    Q_PROPERTY(int width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(int height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(bool isTransparentSupport READ isTransparentSupport NOTIFY isTransparentSupportChanged)
    Q_PROPERTY(QRect geometry READ geometry NOTIFY geometryChanged)

public:
    explicit BasicWindow(QWindow *parent = nullptr);
    ~BasicWindow() override;

    // The object handed to pages as "core": Core::instance() unless another
    // object was set (tests hand the pages a stand-in).
    static void setCoreObject(QObject *core);
    static QObject *coreObject();

    Q_INVOKABLE void move(int x, int y);
    Q_INVOKABLE QVariant data(QString key);
    Q_INVOKABLE void setPosCenter(bool arg);

    void setData(QString key, QVariant value);
    // Whether transparent pixels are blended with the desktop (a compositing
    // manager runs); the pages draw their shadow margin only then.
    bool isTransparentSupport() const { return compositing_; }
    // The see-through margin around the page's card: 30 or 0.
    int shadowMargin() const { return compositing_ ? kShadowMargin : 0; }
    static constexpr int kShadowMargin = 30;

    void setMovable(bool movable) { movable_ = movable; }
    bool isMovable() const { return movable_; }
    bool isMoved() const { return moved_; }
    bool isPosCenter() const { return posCenter_; }
    void setMasked(bool masked) { masked_ = masked; }

    // Where placement puts a window of size w x h inside the given available
    // area (corner or centre). In the corner the card (the window less its
    // margin) keeps 20 px from the area's edges and stays clear of the
    // desktop's panels.
    static QPoint cornerPosition(const QRect &available, int w, int h, int margin = kShadowMargin,
                                 const QVector<QRect> &panels = {});
    static QPoint centerPosition(const QRect &area, int w, int h);

    // The one-bit mask of the rounded corners for a window of this size.
    static QBitmap roundedMask(const QSize &size, const QPixmap &edge);

public slots:
    void close();
    void hide();
    void show();
    QPointF mapToScene(QQuickItem *item);
    QPointF mapToScenePoint(QQuickItem *item, int x, int y);
    void updatePos();
    virtual void setWidth(int w);
    virtual void setHeight(int h);

signals:
    void dataChanged(QString key, QVariant value);
    void hided();
    void closed();
    void showed();
    void widthChanged(int width);
    void heightChanged(int height);
    void isTransparentSupportChanged();
    void geometryChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    virtual void init() = 0;

    // The rounded mask (when masked) and the input region (the card alone
    // while there is a margin) for the current size.
    void updateShape();

    // Sets "window", "core" and "settings", then calls init(). Every
    // concrete constructor calls it last.
    void setup();
    void checkCenterPosition();
    void loadPage(const QString &url);

private slots:
    void compositingChanged(bool running);

protected:

    QHash<QString, QVariant> data_;
    QPixmap roundedEdge_;
    QPoint lastMousePos_;
    int pressX_ = 0;
    int pressY_ = 0;
    bool posCenter_ = false;
    bool moved_ = false;
    bool movable_ = false;
    bool pressed_ = false;
    bool masked_ = true;
    bool compositing_ = false;
    bool cornerPlaced_ = false;   // last placed in the corner by updatePos
};
