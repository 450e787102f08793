#include "windows/basicwindow.h"

#include "core/base/setting.h"
#include "core/core.h"
#include "editor/tools/toolcatalog.h"
#include "network/analyticsevent.h"
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
#include <QScreen>
#include <QtQml>

namespace {
QObject *g_core = nullptr;

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

QPoint BasicWindow::cornerPosition(const QRect &available, int w, int h)
{
    return QPoint(available.left() + available.width() - w + 10,
                  available.top() + available.height() - h + 10);
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
    const QPoint p = posCenter_ ? centerPosition(area, width(), height())
                                : cornerPosition(area, width(), height());
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
                const QRect area = primaryAvailable();
                move(area.left() + area.width() - width() - 10,
                     area.top() + area.height() - h - 20);
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

void BasicWindow::resizeEvent(QResizeEvent *event)
{
    if (masked_ && width() > 0 && height() > 0)
        setMask(QRegion(roundedMask(size(), roundedEdge_)));
    QQuickView::resizeEvent(event);
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
    const int y = event->pos().y();
    if (y > 30 && y < 60) {
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
