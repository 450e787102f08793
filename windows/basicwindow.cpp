#include "windows/basicwindow.h"

#include "core/base/setting.h"
#include "core/core.h"
#include "editor/tools/toolcatalog.h"
#include "network/analyticsevent.h"
#include "platform/compositor.h"
#include "platform/desktoppanels.h"
#include "platform/inputshape.h"
#include "windows/cursorshapearea.h"
#include "windows/windowslog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QResizeEvent>
#include <QScreen>
#include <QtQml>

namespace {
QObject *g_core = nullptr;

// The card's distance from the corner of the available area, and from a
// panel it is moved away from.
const int kCornerGap = 20;
const int kPanelGap = 10;

QRect primaryAvailable()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

BasicWindow::BasicWindow(QWindow *parent) : QQuickView(parent)
{
    // The program's folder comes first; Qt's own module folders stay.
    engine()->addImportPath(QCoreApplication::applicationDirPath());
    setIcon(QIcon(QStringLiteral(":/icon/image/icon/icon.ico")));
    roundedEdge_.load(QStringLiteral(":/image/image/image/rounded_edge.png"));
    setClearBeforeRendering(true);
    setColor(Qt::transparent);
    setResizeMode(QQuickView::SizeViewToRootObject);
    static bool registered = false;
    if (!registered) {
        registered = true;
        qmlRegisterType<AnalyticsEvent>("PryxComponent", 1, 0, "AnalyticsEvent");
        // Core registers it too; a page may load before Core exists.
        qmlRegisterType<CursorShapeArea>("PryxComponent", 1, 0, "CursorShapeArea");
        // The toolbar's tools, for any page that shows the toolbar.
        pryx::editor::ToolCatalog::registerType();
    }
    setFlags(Qt::FramelessWindowHint);
    auto *compositor = pryx::platform::CompositorWatch::instance();
    compositing_ = compositor->isRunning();
    connect(compositor, &pryx::platform::CompositorWatch::runningChanged, this,
            &BasicWindow::compositingChanged);
}

BasicWindow::~BasicWindow() = default;

void BasicWindow::setCoreObject(QObject *core) { g_core = core; }

QObject *BasicWindow::coreObject()
{
    return g_core ? g_core : Core::instance();
}

void BasicWindow::setup()
{
    rootContext()->setContextProperty(QStringLiteral("window"), this);
    rootContext()->setContextProperty(QStringLiteral("core"), coreObject());
    rootContext()->setContextProperty(QStringLiteral("settings"), Setting::instance());
    init();
}

void BasicWindow::loadPage(const QString &url)
{
    setSource(QUrl(url));
}

void BasicWindow::setData(QString key, QVariant value)
{
    data_.insert(key, value);
    emit dataChanged(key, value);
}

QVariant BasicWindow::data(QString key)
{
    return data_.value(key);
}

QPoint BasicWindow::cornerPosition(const QRect &available, int w, int h, int margin,
                                   const QVector<QRect> &panels)
{
    QRect card(0, 0, w - 2 * margin, h - 2 * margin);
    card.moveBottomRight(available.bottomRight() - QPoint(kCornerGap, kCornerGap));
    // Off a panel that reserves no space, the short way: up or left.
    for (int pass = 0; pass < 2; ++pass) {
        for (const QRect &panel : panels) {
            if (!card.intersects(panel))
                continue;
            const int up = card.bottom() - panel.top() + 1 + kPanelGap;
            const int left = card.right() - panel.left() + 1 + kPanelGap;
            if (up <= left)
                card.translate(0, -up);
            else
                card.translate(-left, 0);
        }
    }
    return card.topLeft() - QPoint(margin, margin);
}

QPoint BasicWindow::centerPosition(const QRect &area, int w, int h)
{
    return QPoint(area.left() + area.width() / 2 - w / 2,
                  area.top() + area.height() / 2 - h / 2);
}

void BasicWindow::updatePos()
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << height();
    const QRect area = primaryAvailable();
    cornerPlaced_ = !posCenter_;
    const QPoint p = posCenter_ ? centerPosition(area, width(), height())
                                : cornerPosition(area, width(), height(), shadowMargin(),
                                                 pryx::platform::desktopPanels());
    move(p.x(), p.y());
}

void BasicWindow::checkCenterPosition()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const QPoint p = centerPosition(area, width(), height());
    move(p.x(), p.y());
}

void BasicWindow::setPosCenter(bool arg)
{
    posCenter_ = arg;
    checkCenterPosition();
}

void BasicWindow::move(int x, int y)
{
    setGeometry(x, y, width(), height());
    emit geometryChanged();
}

void BasicWindow::show()
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << posCenter_;
    emit isTransparentSupportChanged();
    updatePos();
    emit geometryChanged();
    emit showed();
    QQuickView::show();
    updateShape();
    raise();
}

void BasicWindow::hide()
{
    emit geometryChanged();
    emit hided();
    QQuickView::hide();
}

void BasicWindow::close()
{
    emit closed();
    QQuickView::close();
}

void BasicWindow::setHeight(int h)
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << height() << h << posCenter_;
    if (height() != h) {
        setMinimumHeight(h);
        setMaximumHeight(h);
        QQuickView::setHeight(h);
        emit heightChanged(h);
        if (!moved_) {
            if (posCenter_) {
                checkCenterPosition();
            } else {
                // The card 40 px from the right and 50 px from the bottom.
                const QRect area = primaryAvailable();
                const int m = shadowMargin();
                move(area.left() + area.width() - width() - 40 + m,
                     area.top() + area.height() - h - 50 + m);
            }
        }
        update();
    }
    emit geometryChanged();
}

void BasicWindow::setWidth(int w)
{
    if (width() != w) {
        setMinimumWidth(w);
        setMaximumWidth(w);
        QQuickView::setWidth(w);
        emit widthChanged(w);
        if (posCenter_)
            checkCenterPosition();
    }
    emit geometryChanged();
}

QPointF BasicWindow::mapToScene(QQuickItem *item)
{
    int x = 0;
    int y = 0;
    for (QQuickItem *it = item; it && it->parentItem(); it = it->parentItem()) {
        x += int(it->x());
        y += int(it->y());
    }
    return QPointF(x, y);
}

QPointF BasicWindow::mapToScenePoint(QQuickItem *item, int x, int y)
{
    if (!item)
        return QPointF(x, y);
    return item->mapFromScene(QPointF(x, y));
}

QBitmap BasicWindow::roundedMask(const QSize &size, const QPixmap &edge)
{
    QBitmap mask(size);
    mask.fill(Qt::color0);
    const int w = size.width();
    const int h = size.height();
    const int a = qMin(w, edge.width()) / 2;
    const int b = qMin(h, edge.height()) / 2;
    QPainter p(&mask);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRect(QRect(QPoint(a, 0), QPoint(w - a - 1, h - 1)));
    p.drawRect(QRect(QPoint(0, b), QPoint(a - 1, h - b - 1)));
    p.drawRect(QRect(QPoint(w - a, b), QPoint(w - 1, h - b - 1)));
    if (a > 0 && b > 0 && !edge.isNull()) {
        // Opaque pixels of the edge image stay, transparent ones become holes.
        const QBitmap corners = QBitmap::fromImage(
            edge.toImage().convertToFormat(QImage::Format_ARGB32).createAlphaMask());
        const int ew = edge.width();
        const int eh = edge.height();
        p.drawPixmap(QRect(0, 0, a, b), corners, QRect(0, 0, a, b));
        p.drawPixmap(QRect(w - a, 0, a, b), corners, QRect(ew - a, 0, a, b));
        p.drawPixmap(QRect(0, h - b, a, b), corners, QRect(0, eh - b, a, b));
        p.drawPixmap(QRect(w - a, h - b, a, b), corners, QRect(ew - a, eh - b, a, b));
    }
    p.end();
    return mask;
}

void BasicWindow::updateShape()
{
    if (width() <= 0 || height() <= 0)
        return;
    // The mask rounds a bare card; around a margin the card's own
    // transparent corners do, and the shadow stays whole.
    const int m = shadowMargin();
    if (masked_ && m == 0)
        setMask(QRegion(roundedMask(size(), roundedEdge_)));
    else if (!mask().isEmpty())
        setMask(QRegion());
    if (m > 0)
        pryx::platform::setInputRegion(this, QRegion(QRect(QPoint(), size()).adjusted(m, m, -m, -m)));
    else
        pryx::platform::resetInputRegion(this);
}

void BasicWindow::compositingChanged(bool running)
{
    if (running == compositing_)
        return;
    const int before = shadowMargin();
    compositing_ = running;
    const int after = shadowMargin();
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << objectName() << running;
    // The page grows or loses its margin now; the card stays where it was.
    emit isTransparentSupportChanged();
    if (cornerPlaced_ && !moved_ && !posCenter_) {
        if (isVisible())
            updatePos();
    } else {
        move(x() + before - after, y() + before - after);
    }
    updateShape();
}

void BasicWindow::resizeEvent(QResizeEvent *event)
{
    updateShape();
    // A window in the corner grows and shrinks towards the top left.
    if (event->size() != event->oldSize() && isVisible() && cornerPlaced_ && !moved_ && !posCenter_)
        updatePos();
    QQuickView::resizeEvent(event);
}

void BasicWindow::hideEvent(QHideEvent *event)
{
    // A closed window loses its native window before the pointer's leave
    // reaches the page: without this, whatever was hovered stays lit when
    // the window is shown again.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(this, &leave);
    QQuickView::hideEvent(event);
}

void BasicWindow::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
    QQuickView::keyPressEvent(event);
    if (!event->isAccepted() && event->key() == Qt::Key_Escape) {
        event->accept();
        close();
    }
}

void BasicWindow::mousePressEvent(QMouseEvent *event)
{
    // The title bar of the card, under the margin.
    const int y = event->pos().y();
    const int m = shadowMargin();
    if (y > m && y < m + 30) {
        pressX_ = event->pos().x();
        pressY_ = y;
        pressed_ = true;
        qCDebug(pryx::lcWindows) << Q_FUNC_INFO;
    }
    QQuickView::mousePressEvent(event);
}

void BasicWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (movable_ && pressed_) {
        move(x() + event->pos().x() - pressX_, y() + event->pos().y() - pressY_);
        moved_ = true;
    }
    lastMousePos_ = event->pos();
    QQuickView::mouseMoveEvent(event);
}

void BasicWindow::mouseReleaseEvent(QMouseEvent *event)
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << movable_ << pressed_;
    pressed_ = false;
    QQuickView::mouseReleaseEvent(event);
}
