#include "windows/editponoramwidget.h"

#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "editor/ppainterarea.h"
#include "network/analyticsevent.h"
#include "windows/windowslog.h"

#include <QBuffer>
#include <QClipboard>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>

const char *const EditPonoramWidget::kPageUrl = "qrc:/qml/qml/Window/EditPonoramPage.qml";

EditPonoramWidget::EditPonoramWidget(QPixmap pxm, QWindow *parent,
                                     pryx::capture::CaptureCommands *core)
    : QQuickView(parent), core_(core)
{
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        maxWidth_ = s->geometry().width();
        maxHeight_ = s->geometry().height();
    }
    currentPixmapAcpectRatio_ = qMax(1, int(pxm.devicePixelRatio()));
    QQmlContext *ctx = rootContext();
    ctx->setContextProperty(QStringLiteral("window"), this);
    ctx->setContextProperty(QStringLiteral("surface"), this);
    ctx->setContextProperty(QStringLiteral("core"), core_.data());
    ctx->setContextProperty(QStringLiteral("settings"), Setting::instance());
    SurfaceWidget::registerTypes();
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setResizeMode(QQuickView::SizeViewToRootObject);
    setColor(Qt::transparent);
    setSource(QUrl(QString::fromLatin1(kPageUrl)));
    for (const QQmlError &err : errors())
        qCDebug(pryx::lcWindows) << "=== EditPonoramWidget: QML ERROR:" << err.toString();
    setObjectName(QStringLiteral("EditPonoramWindow"));
    if (QQuickItem *root = rootObject()) {
        paintArea_ = root->findChild<PPainterArea *>(QStringLiteral("paintArea"));
        selector_ = root->findChild<SurfaceSelector *>(QStringLiteral("SurfaceSelector"));
    }
    setBackground(pxm);
    // The page sizes the window once its image is loaded: stay centred on
    // the screen until the user moves the window.
    connect(this, &QWindow::widthChanged, this, &EditPonoramWidget::keepPlaced);
    connect(this, &QWindow::heightChanged, this, &EditPonoramWidget::keepPlaced);
}

void EditPonoramWidget::keepPlaced()
{
    if (movedByUser_)
        placeInside(position());
    else if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect avail = s->availableGeometry();
        placeInside(QPoint(avail.x() + (avail.width() - width()) / 2,
                           avail.y() + (avail.height() - height()) / 2));
    }
}

EditPonoramWidget::~EditPonoramWidget()
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO;
    engine()->removeImageProvider(QStringLiteral("screen"));
}

pryx::capture::CaptureCommands *EditPonoramWidget::core() const
{
    if (!core_)
        qCDebug(pryx::lcWindows) << "=== EditPonoramWidget: no Core for the result";
    return core_.data();
}

int EditPonoramWidget::maxWidth() const
{
    qCDebug(pryx::lcWindows) << "maxWidth" << maxWidth_;
    return maxWidth_;
}

void EditPonoramWidget::placeInside(QPoint p)
{
    QScreen *s = QGuiApplication::primaryScreen();
    if (!s) {
        setPosition(p);
        return;
    }
    const QRect avail = s->availableGeometry();
    p.setX(qBound(avail.left(), p.x(), qMax(avail.left(), avail.right() + 1 - width())));
    p.setY(qBound(avail.top(), p.y(), qMax(avail.top(), avail.bottom() + 1 - height())));
    setPosition(p);
}

void EditPonoramWidget::setBackground(QPixmap pxm)
{
    background_ = pxm;
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect avail = s->availableGeometry();
        placeInside(QPoint(avail.x() + avail.width() / 2 - pxm.width() / 2,
                           avail.y() + avail.height() / 2 - pxm.height() / 2 - 50));
    }
    if (paintArea_)
        paintArea_->setBackground(pxm.toImage());
    emit backgroundChange();
}

void EditPonoramWidget::showCentered()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect avail = s->availableGeometry();
        placeInside(QPoint(avail.x() + (avail.width() - width()) / 2,
                           avail.y() + (avail.height() - height()) / 2));
    }
    show();
    // The keys are the window's: take the keyboard.
    requestActivate();
}

QImage EditPonoramWidget::renderResult()
{
    if (!paintArea_)
        return background_.toImage();
    return paintArea_->renderImage(
        QRect(0, 0, int(paintArea_->width()), int(paintArea_->height())), 10000, false);
}

void EditPonoramWidget::post(void (pryx::capture::CaptureCommands::*command)(QPixmap))
{
    if (auto *c = core())
        (c->*command)(QPixmap::fromImage(renderResult()));
    finish();
}

void EditPonoramWidget::close() { finish(); }

// One closed() per window: a key press and its release may both end it.
void EditPonoramWidget::finish()
{
    if (closedEmitted_)
        return;
    closedEmitted_ = true;
    emit closed();
}

void EditPonoramWidget::uploadScreen()
{
    if (auto *c = core())
        c->screenUpload(0, false, QPixmap::fromImage(renderResult()));
    finish();
}

void EditPonoramWidget::saveScreen() { post(&pryx::capture::CaptureCommands::screenSaveToDisk); }

void EditPonoramWidget::screenSaveToClipboard()
{
    if (QClipboard *cb = QGuiApplication::clipboard())
        cb->setImage(renderResult());
    finish();
}

void EditPonoramWidget::screenPostVK() { post(&pryx::capture::CaptureCommands::screenPostVK); }
void EditPonoramWidget::screenPostOdnoklassniki() { post(&pryx::capture::CaptureCommands::screenPostOdnoklassniki); }
void EditPonoramWidget::screenPostFacebook() { post(&pryx::capture::CaptureCommands::screenPostFacebook); }
void EditPonoramWidget::screenPostTwitter() { post(&pryx::capture::CaptureCommands::screenPostTwitter); }

// The mail share keeps the window open.
void EditPonoramWidget::screenPostMail()
{
    if (auto *c = core())
        c->screenPostMail(QPixmap::fromImage(renderResult()));
}

void EditPonoramWidget::move(int x, int y)
{
    movedByUser_ = true;
    setPosition(x, y);
}

QPointF EditPonoramWidget::mapToScene(QQuickItem *item)
{
    QPointF p;
    for (QQuickItem *it = item; it && it->parentItem(); it = it->parentItem())
        p += QPointF(int(it->x()), int(it->y()));
    return p;
}

QString EditPonoramWidget::requestBackground()
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    background_.save(&buf, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

namespace {
QString itemName(QObject *item)
{
    QString name;
    if (item && item->metaObject()->indexOfMethod("name()") >= 0)
        QMetaObject::invokeMethod(item, "name", Qt::DirectConnection, Q_RETURN_ARG(QString, name));
    return name;
}
} // namespace

void EditPonoramWidget::keyPressEvent(QKeyEvent *e)
{
    QQuickView::keyPressEvent(e);
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool ctrlAlt = mods == (Qt::ControlModifier | Qt::AltModifier);
    const bool ctrlShift = mods == (Qt::ControlModifier | Qt::ShiftModifier);
    AbstractGraphItem *current = paintArea_ ? paintArea_->currentItem() : nullptr;

    if (ctrl && (key == Qt::Key_Enter || key == Qt::Key_Return)) {
        uploadScreen();
    } else if (ctrl && !(mods & Qt::AltModifier) && key == Qt::Key_C) {
        QString text;
        if (current && itemName(current) == QLatin1String("Text")
            && current->metaObject()->indexOfMethod("selectedText()") >= 0)
            QMetaObject::invokeMethod(current, "selectedText", Qt::DirectConnection,
                                      Q_RETURN_ARG(QString, text));
        // A selected text is copied and the editing goes on.
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
        else
            screenSaveToClipboard();
    } else if (ctrl && !(mods & Qt::AltModifier) && key == Qt::Key_S) {
        saveScreen();
    } else if (ctrlAlt && key == Qt::Key_V) {
        screenPostVK();
    } else if (ctrlAlt && key == Qt::Key_O) {
        screenPostOdnoklassniki();
    } else if (ctrlAlt && key == Qt::Key_F) {
        screenPostFacebook();
    } else if (ctrlAlt && key == Qt::Key_T) {
        screenPostTwitter();
    } else if (ctrlAlt && key == Qt::Key_E) {
        screenPostMail();
    } else if (ctrlShift && key == Qt::Key_Z) {
        new AnalyticsEvent(AnalyticsEvent::CategoryTool, AnalyticsEvent::ActionHotkey, true,
                           QStringLiteral("redo"));
        if (paintArea_)
            paintArea_->checkRedo();
    } else if (ctrl && key == Qt::Key_Z) {
        new AnalyticsEvent(AnalyticsEvent::CategoryTool, AnalyticsEvent::ActionHotkey, true,
                           QStringLiteral("undo"));
        if (paintArea_)
            paintArea_->checkUndo();
    } else if (key == Qt::Key_Escape && !e->isAutoRepeat()) {
        if (current && paintArea_) {
            paintArea_->clearSelection();
            escapeUnchecked_ = true;
        } else {
            escapeUnchecked_ = false;
            finish();
        }
    } else if ((mods & Qt::AltModifier) && key == Qt::Key_F4) {
        finish();
    }
}

void EditPonoramWidget::keyReleaseEvent(QKeyEvent *e)
{
    QQuickView::keyReleaseEvent(e);
    if (e->isAutoRepeat())
        return;
    if (e->key() == Qt::Key_Escape) {
        if (escapeUnchecked_)
            escapeUnchecked_ = false;
        else
            finish();
    } else if (e->key() == Qt::Key_Space && paintArea_) {
        AbstractGraphItem *current = paintArea_->currentItem();
        if (itemName(current) != QLatin1String("Text"))
            paintArea_->selectLastModule();
    }
}
