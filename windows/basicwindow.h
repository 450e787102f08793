#pragma once
// Base of every ordinary window: a frameless, transparent Qt Quick view on one
// page from the resources, with "window", "core" and "settings" in its context.

#include <QBitmap>
#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QQuickView>
#include <QRect>
#include <QVariant>

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
    bool isTransparentSupport() const { return true; }

    void setMovable(bool movable) { movable_ = movable; }
    bool isMovable() const { return movable_; }
    bool isMoved() const { return moved_; }
    bool isPosCenter() const { return posCenter_; }
    void setMasked(bool masked) { masked_ = masked; }

    // Where placement puts a window of size w x h inside the given available
    // area (corner or centre).
    static QPoint cornerPosition(const QRect &available, int w, int h);
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
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    virtual void init() = 0;

    // Sets "window", "core" and "settings", then calls init(). Every
    // concrete constructor calls it last.
    void setup();
    void checkCenterPosition();
    void loadPage(const QString &url);

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
};
