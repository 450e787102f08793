#include "capture/surfacewidget.h"

#include "capture/magnifieritem.h"
#include "capture/ponoram.h"
#include "capture/ponorampreview.h"
#include "capture/surfacegeometry.h"
#include "capture/surfaceselector.h"
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "editor/abstractgraphitem.h"
#include "editor/blackoutarea.h"
#include "editor/ppainterarea.h"
#include "editor/tools/toolcatalog.h"
#include "network/analyticsevent.h"
#include "platform/desktopgrab.h"
#include "platform/globalshortcut.h"
#include "platform/privatedir.h"
#include "capture/capturelog.h"

#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickItem>
#include <QScreen>
#include <QTimer>
#include <QtQml>

const char *const SurfaceWidget::kPageUrl = "qrc:/qml/qml/Window/SurfaceWindow.qml";

namespace {

// Hands the frozen desktop to the page's Image without encoding it.
class BackgroundProvider : public QQuickImageProvider
{
public:
    explicit BackgroundProvider(SurfaceWidget *surface)
        : QQuickImageProvider(QQuickImageProvider::Image), surface_(surface) {}

    QImage requestImage(const QString &, QSize *size, const QSize &) override
    {
        QImage img;
        if (surface_)
            img = surface_->background().toImage();
        if (size)
            *size = img.size();
        return img;
    }

private:
    QPointer<SurfaceWidget> surface_;
};

} // namespace

void SurfaceWidget::registerTypes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    qmlRegisterType<SurfaceSelector>("PryxComponent", 1, 0, "SurfaceSelector");
    qmlRegisterType<MagnifierItem>("PryxComponent", 1, 0, "MagnifierItem");
    qmlRegisterType<PPainterArea>("PryxComponent", 1, 0, "PPainterArea");
    qmlRegisterType<BlackoutArea>("PryxComponent", 1, 0, "BlackoutArea");
    qmlRegisterType<PonoramPreview>("PryxComponent", 1, 0, "PonoramPreview");
    pryx::editor::ToolCatalog::registerType();
    qmlRegisterUncreatableType<AbstractGraphItem>("PryxComponent", 1, 0, "AbstractGraphItem",
                                                  QStringLiteral("made by the annotation tools"));
}

SurfaceWidget::SurfaceWidget(QWindow *parent, pryx::capture::CaptureCommands *core)
    : QQuickView(parent), core_(core)
{
    init();
    // Opaque: the frozen desktop covers the whole window, and an opaque
    // back buffer makes the first frame much cheaper to draw and show.
    setColor(Qt::black);
}

SurfaceWidget::BusyScope::BusyScope(SurfaceWidget *s) : s_(s) { ++s->busy_; }

SurfaceWidget::BusyScope::~BusyScope()
{
    if (!s_)
        return;
    if (--s_->busy_ == 0 && s_->deletePending_) {
        s_->deletePending_ = false;
        s_->deleteLater();
    }
}

SurfaceWidget::~SurfaceWidget()
{
    pryx::platform::releaseKeyboard(this);
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO;
}

void SurfaceWidget::init()
{
    // Keep Qt's own import paths; the program's folder is added.
    engine()->addImportPath(QCoreApplication::applicationDirPath());
    registerTypes();
    quick_ = false;
    visibleCloseWindow_ = false;
    desktop_ = pryx::platform::virtualDesktop();
    background_ = createBackground(-1);
    emit backgroundChanged(background_);
    engine()->addImageProvider(QStringLiteral("pryxsurface"), new BackgroundProvider(this));
    QQmlContext *ctx = rootContext();
    ctx->setContextProperty(QStringLiteral("window"), this);
    ctx->setContextProperty(QStringLiteral("surface"), this);
    ctx->setContextProperty(QStringLiteral("settings"), Setting::instance());
    ctx->setContextProperty(QStringLiteral("fullScreen"), fullscreen_);
    ctx->setContextProperty(QStringLiteral("quickscreen"), quick_);
    ctx->setContextProperty(QStringLiteral("core"), core_.data());
    isPonoramWork_ = false;
    emit isPonoramWorkChanged(false);

    QSurfaceFormat fmt = format();
    fmt.setAlphaBufferSize(0);
    fmt.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    setFormat(fmt);
    pryx::platform::setStayOnTopFlags(this);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setSource(QUrl(QString::fromLatin1(kPageUrl)));
    qCDebug(pryx::lcCapture) << "=== init_win32: page status" << status();
    for (const QQmlError &err : errors())
        qCDebug(pryx::lcCapture) << "=== init_win32: QML ERROR:" << err.toString();
    if (QQuickItem *root = rootObject()) {
        selector_ = root->findChild<SurfaceSelector *>(QStringLiteral("SurfaceSelector"));
        paintArea_ = root->findChild<QQuickItem *>(QStringLiteral("PPainterArea"));
    }
    // The area renders over the same frozen picture the page shows.
    if (paintArea_ && !background_.isNull())
        paintArea_->setProperty("background", background_.toImage());
    mousePressed_ = false;
    selectionDrag_ = false;
}

QPixmap SurfaceWidget::createBackground(int index)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QRect rect;
    if (index < 0) {
        rect = pryx::platform::virtualDesktop();
    } else if (index < screens.size()) {
        rect = screens.at(index)->geometry();
    }
    qCDebug(pryx::lcCapture) << "=== createBackground: index" << index << "rect" << rect;
    if (!QGuiApplication::primaryScreen()) {
        qCDebug(pryx::lcCapture) << "=== createBackground: NO PRIMARY SCREEN! ===";
        return QPixmap();
    }
    QImage img = pryx::platform::grabDesktop(rect);
    QPixmap pm = QPixmap::fromImage(std::move(img));
    pm.setDevicePixelRatio(qApp->devicePixelRatio());
    qCDebug(pryx::lcCapture) << "=== createBackground: grabbed" << pm.size();
    return pm;
}

void SurfaceWidget::setBackground(const QPixmap &pxm)
{
    background_ = pxm;
    ++backgroundSerial_;
    emit backgroundChanged(pxm);
    if (paintArea_)
        paintArea_->setProperty("background", pxm.toImage());
}

void SurfaceWidget::setVisibleCloseWindow(bool value)
{
    if (visibleCloseWindow_ == value)
        return;
    visibleCloseWindow_ = value;
    emit visibleCloseWindowChanged(value);
}

static QRect primaryGeometry()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect();
}

// The page's coordinates start at the desktop's top-left corner.
int SurfaceWidget::primaryX() const { return primaryGeometry().x() - desktop_.x(); }
int SurfaceWidget::primaryY() const { return primaryGeometry().y() - desktop_.y(); }
int SurfaceWidget::primaryWidth() const { return primaryGeometry().width(); }
int SurfaceWidget::primaryHeight() const { return primaryGeometry().height(); }
bool SurfaceWidget::isCommandModified() const { return pryx::platform::isControlHeld(); }

void SurfaceWidget::setFullscreen(bool value)
{
    fullscreen_ = value;
    if (selector_) {
        selector_->setFullScreen(value);
        selector_->update();
    }
}

void SurfaceWidget::setQuickScreen(bool value) { quick_ = value; }

void SurfaceWidget::show()
{
    desktop_ = pryx::platform::virtualDesktop();
    setGeometry(desktop_);
    QQuickView::show();
    pryx::platform::activate(this);
    // Keys typed since the hotkey, and all keys while the surface is shown.
    pryx::platform::holdKeyboardFor(this);
}

void SurfaceWidget::hideEvent(QHideEvent *e)
{
    pryx::platform::releaseKeyboard(this);
    QQuickView::hideEvent(e);
}

QRect SurfaceWidget::selectRect() const
{
    if (!selector_)
        return QRect();
    return selector_->rubberRect().toRect();
}

bool SurfaceWidget::isEmptySelection() const
{
    if (!selector_)
        return true;
    const QRectF r = selector_->rubberRect();
    return r.width() == 0 && r.height() == 0;
}

bool SurfaceWidget::selectionUsable(const char *action) const
{
    const QRect r = selectRect();
    if (selector_ && selector_->hasSelection() && r.width() > 0 && r.height() > 0)
        return true;
    qCDebug(pryx::lcCapture) << "=== surface: no area selected, ignoring" << action;
    return false;
}

QPixmap SurfaceWidget::grabResult()
{
    if (paintArea_) {
        QMetaObject::invokeMethod(paintArea_, "clearSelection");
        paintArea_->update();
    }
    if (ponoramResult_) {
        // The panorama with what was drawn on it.
        auto *area = rootObject() ? rootObject()->findChild<PPainterArea *>(QStringLiteral("ponoramPaintArea"))
                                  : nullptr;
        // Until the page has laid the area over the whole panorama nothing
        // can be drawn on it, and its render would be scaled.
        if (!area || area->background().isNull()
            || QSize(int(area->width()), int(area->height())) != ponoramPixmap_.size())
            return ponoramPixmap_;
        area->clearSelection();
        return QPixmap::fromImage(area->renderImage(
            QRect(0, 0, ponoramPixmap_.width(), ponoramPixmap_.height()), 50000, true));
    }
    const QRect r = selectRect();
    if (r.width() <= 0 || r.height() <= 0)
        return QPixmap();
    if (auto *area = qobject_cast<PPainterArea *>(paintArea_.data()))
        return QPixmap::fromImage(area->renderImage(r, 50000, true));
    // No annotation area: the frozen desktop under the selection.
    return background_.copy(r);
}

void SurfaceWidget::showOnWindow(int index, QRect rect, QPixmap pxm)
{
    QFile f(pryx::dataPath() + QStringLiteral("screen_info.log"));
    pryx::platform::ensurePrivateDir(pryx::dataPath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(QStringLiteral("index = %1\nrect = %2:%3 %4x%5")
                    .arg(index).arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())
                    .toUtf8());
    }
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (index >= 0 && index < screens.size())
        setPosition(screens.at(index)->geometry().topLeft());
    setBackground(pxm);
    if (selector_)
        selector_->setRubberRect(rect);
}

pryx::capture::CaptureCommands *SurfaceWidget::commands(const char *action) const
{
    if (!core_)
        qCDebug(pryx::lcCapture) << "=== surface: no Core for" << action;
    return core_.data();
}

pryx::capture::CaptureCommands *SurfaceWidget::commandsFor(const char *action) const
{
    return selectionUsable(action) ? commands(action) : nullptr;
}

void SurfaceWidget::saveScreen()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("save"))
        c->screenSaveToDisk(QPixmap());
}

void SurfaceWidget::screenPostVK()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("VK"))
        c->screenPostVK(QPixmap());
}

void SurfaceWidget::screenPostOdnoklassniki()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("Odnoklassniki"))
        c->screenPostOdnoklassniki(QPixmap());
}

void SurfaceWidget::screenPostFacebook()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("Facebook"))
        c->screenPostFacebook(QPixmap());
}

void SurfaceWidget::screenPostTwitter()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("Twitter"))
        c->screenPostTwitter(QPixmap());
}

void SurfaceWidget::screenPostMail()
{
    BusyScope busy(this);
    if (auto *c = commandsFor("mail"))
        c->screenPostMail(QPixmap());
}

void SurfaceWidget::uploadScreen()
{
    BusyScope busy(this);
    if (selectionUsable("upload"))
        emit uploadedScreen();
}

void SurfaceWidget::checkProperties()
{
    BusyScope busy(this);
    if (!quick_)
        return;
    if (auto *c = commands("upload"))
        c->screenUpload(0, false, QPixmap());
}

// Hides the toolbar, lets the page repaint and waits 200 ms so that the
// screen shows the selection without it. Returns false when the surface was
// closed meanwhile: the caller must then stop touching Core.
bool SurfaceWidget::waitWithToolbarHidden()
{
    BusyScope busy(this);
    emit hideToolBar();
    ++waitDepth_;
    QCoreApplication::processEvents();
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    --waitDepth_;
    update();
    return !closing_ && !deletePending_;
}

void SurfaceWidget::screenSaveToClipboard()
{
    BusyScope busy(this);
    if (!selectionUsable("copy"))
        return;
    if (paintArea_)
        QMetaObject::invokeMethod(paintArea_, "clearSelection");
    if (!waitWithToolbarHidden())
        return;
    if (auto *c = commands("copy"))
        c->screenSaveToClipboard();
}

void SurfaceWidget::setEnableMask(bool enable)
{
    BusyScope busy(this);
    if (!selector_)
        return;
    maskEnabled_ = enable;
    const QRect page(QPoint(0, 0), desktop_.size());
    if (enable) {
        pryx::platform::setWindowMask(this, QRegion(page).xored(QRegion(selectRect())));
        update();
    } else {
        pryx::platform::setWindowMask(this, QRegion(QRect(QPoint(0, 0), pryx::platform::virtualDesktop().size())));
    }
}

QRect SurfaceWidget::toolbarScreen(int x, int y, int width, int height)
{
    const QVector<QRect> screens =
        pryx::capture::screensInPage(pryx::platform::screenGeometries(), desktop_);
    const int i = pryx::capture::screenOfSelection(screens, QRect(x, y, width, height));
    return i < 0 ? QRect() : screens.at(i);
}

QPoint SurfaceWidget::toolbarPosition(int left, int top, int right, int bottom, int toolbarWidth,
                                      int toolbarHeight)
{
    const QVector<QRect> screens =
        pryx::capture::screensInPage(pryx::platform::screenGeometries(), desktop_);
    return pryx::capture::toolbarPosition(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                                            QSize(toolbarWidth, toolbarHeight), screens);
}

QPoint SurfaceWidget::keepInsideScreen(int x, int y, int width, int height)
{
    const QVector<QRect> screens =
        pryx::capture::screensInPage(pryx::platform::screenGeometries(), desktop_);
    const QRect item(x, y, width, height);
    const int i = pryx::capture::screenOfSelection(screens, item);
    return i < 0 ? item.topLeft() : pryx::capture::keepInside(item, screens.at(i));
}

QPoint SurfaceWidget::magnifierPosition(int baseX, int baseY, int width, int height, int cursorX,
                                        int cursorY)
{
    const QVector<QRect> screens =
        pryx::capture::screensInPage(pryx::platform::screenGeometries(), desktop_);
    return pryx::capture::magnifierPosition(QPoint(baseX, baseY), QSize(width, height),
                                            QPoint(cursorX, cursorY), screens);
}

QRect SurfaceWidget::cursorScreen()
{
    const QVector<QRect> screens =
        pryx::capture::screensInPage(pryx::platform::screenGeometries(), desktop_);
    const int i = pryx::capture::screenAt(screens, pryx::capture::screenToPage(QCursor::pos(), desktop_));
    if (i >= 0)
        return screens.at(i);
    return QRect(primaryX(), primaryY(), primaryWidth(), primaryHeight());
}

void SurfaceWidget::setPaintArea(QQuickItem *area) { paintArea_ = area; }

QString SurfaceWidget::requestBackground()
{
    const QPixmap &pm = ponoramResult_ ? ponoramPixmap_ : background_;
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    pm.save(&buf, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

QPointF SurfaceWidget::mapToScene(QQuickItem *item)
{
    QPointF p;
    for (QQuickItem *it = item; it && it->parentItem(); it = it->parentItem())
        p += QPointF(int(it->x()), int(it->y()));
    return p;
}

QPointF SurfaceWidget::mapToScenePoint(QQuickItem *, int, int) { return QPointF(0, 0); }

void SurfaceWidget::setPonoramWork(bool value)
{
    isPonoramWork_ = value;
    emit isPonoramWorkChanged(value);
}

void SurfaceWidget::startPonoram()
{
    BusyScope busy(this);
    setEnableMask(true);
    setPonoramWork(true);
    QCoreApplication::processEvents();
    if (!ponoram_) {
        ponoram_ = new Ponoram(this);
        connect(ponoram_, &Ponoram::complete, this, &SurfaceWidget::ponoramComplete);
        connect(ponoram_, &Ponoram::rectChange, this, &SurfaceWidget::setPonoramSize);
        connect(ponoram_, &Ponoram::errorGlueImage, this, &SurfaceWidget::ponoramError);
    }
    emit isPonoramErrorChanged(isPonoramError_);
    const QRect r = selector_ ? selector_->rubberRect().normalized().toRect() : QRect();
    if (QQuickItem *root = rootObject()) {
        for (QQuickItem *child : root->childItems()) {
            if (child->objectName() == QLatin1String("ponoramPreview")) {
                if (auto *preview = qobject_cast<PonoramPreview *>(child))
                    connect(ponoram_, &Ponoram::changePreview, preview, &PonoramPreview::setImage,
                            Qt::UniqueConnection);
            }
        }
    }
    ponoram_->startPonoram(r.translated(desktop_.topLeft()));
}

void SurfaceWidget::stopPonoram()
{
    if (!ponoram_)
        return;
    ponoram_->stopPonoram();
    setPonoramWork(false);
}

void SurfaceWidget::cancelPonoram()
{
    if (!ponoram_)
        return;
    ponoram_->cancelPonoram();
    setPonoramWork(false);
}

void SurfaceWidget::ponoramComplete(QPixmap pxm)
{
    ponoramResult_ = true;
    if (QQuickItem *root = rootObject())
        if (QQuickItem *area = root->findChild<QQuickItem *>(QStringLiteral("ponoramPaintArea")))
            area->setProperty("background", pxm.toImage());
    ponoramPixmap_ = pxm;
    setEnableMask(false);
    setPonoramWork(false);
    emit ponoramPixmapComplete();
    raise();
}

void SurfaceWidget::setPonoramSize(QSize size)
{
    isPonoramError_ = false;
    ponoramSize_ = size;
    emit ponoramSizeChanged(size);
    emit isPonoramErrorChanged(false);
}

void SurfaceWidget::ponoramError()
{
    isPonoramError_ = true;
    emit isPonoramErrorChanged(true);
}

void SurfaceWidget::close()
{
    if (waitDepth_ > 0)
        closing_ = true;
    pryx::platform::releaseKeyboard(this);
    QWindow::close();
    emit closed();
}

bool SurfaceWidget::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Close:
        emit closed();
        e->ignore();
        return true;
    case QEvent::DeferredDelete:
        // Never inside one of the surface's own calls (see BusyScope).
        if (busy_ > 0) {
            deletePending_ = true;
            return true;
        }
        break;
    default:
        break;
    }
    return QQuickView::event(e);
}

QString SurfaceWidget::currentTool() const
{
    return paintArea_ ? paintArea_->property("currentModule").toString() : QString();
}

QObject *SurfaceWidget::currentItem() const
{
    return paintArea_ ? paintArea_->property("currentItem").value<QObject *>() : nullptr;
}

static QString itemName(QObject *item)
{
    QString name;
    if (item)
        QMetaObject::invokeMethod(item, "name", Qt::DirectConnection, Q_RETURN_ARG(QString, name));
    return name;
}

void SurfaceWidget::copyMagnifierColor()
{
    MagnifierItem *mag = selector_ ? selector_->findChild<MagnifierItem *>(QStringLiteral("MagnifierItem"))
                                   : nullptr;
    if (!mag && rootObject())
        mag = rootObject()->findChild<MagnifierItem *>(QStringLiteral("MagnifierItem"));
    // Only a colour the user can see counts.
    const QString color = mag && mag->isVisible() ? mag->currentColor() : QString();
    // With no colour known the clipboard keeps what it had.
    if (color.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(QString(color).remove(QLatin1Char('#')));
}

void SurfaceWidget::keyPressEvent(QKeyEvent *e)
{
    BusyScope busy(this);
    QQuickView::keyPressEvent(e);
    emit isCommandModifiedChanged();
    const int key = e->key();
    const bool enter = key == Qt::Key_Enter || key == Qt::Key_Return;

    if (visibleCloseWindow_) {
        if (enter)
            close();
        else if (key == Qt::Key_Escape && Setting::instance()->flag(QStringLiteral("showCloseSurfaceWindow")))
            setVisibleCloseWindow(false);
        return;
    }

    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool ctrlShift = mods == (Qt::ControlModifier | Qt::ShiftModifier);

    if (ctrl && key == Qt::Key_C && isEmptySelection()) {
        copyMagnifierColor();
        close();
    } else if (ctrl && enter) {
        if (auto *c = commandsFor("upload"))
            c->screenUpload(0, false, QPixmap());
    } else if (ctrl && key == Qt::Key_C) {
        QObject *item = currentItem();
        if (item) {
            QString text;
            if (item->metaObject()->indexOfMethod("selectedText()") >= 0)
                QMetaObject::invokeMethod(item, "selectedText", Qt::DirectConnection,
                                          Q_RETURN_ARG(QString, text));
            if (itemName(item) == QLatin1String("Text") && !text.isEmpty())
                QGuiApplication::clipboard()->setText(text);
            else
                screenSaveToClipboard();
        } else if (selectionUsable("copy")) {
            if (waitWithToolbarHidden()) {
                if (auto *c = commands("copy"))
                    c->screenSaveToClipboard();
            }
        }
    } else if (ctrl && key == Qt::Key_S) {
        saveScreen();
    } else if (ctrlShift && key == Qt::Key_V) {
        screenPostVK();
    } else if (ctrlShift && key == Qt::Key_O) {
        screenPostOdnoklassniki();
    } else if (ctrlShift && key == Qt::Key_F) {
        screenPostFacebook();
    } else if (ctrlShift && key == Qt::Key_T) {
        screenPostTwitter();
    } else if (ctrlShift && key == Qt::Key_E) {
        screenPostMail();
    } else if (ctrlShift && key == Qt::Key_Z) {
        new AnalyticsEvent(AnalyticsEvent::CategoryTool, AnalyticsEvent::ActionHotkey, true,
                           QStringLiteral("redo"));
        if (paintArea_)
            QMetaObject::invokeMethod(paintArea_, "checkRedo");
    } else if (ctrl && key == Qt::Key_Z) {
        new AnalyticsEvent(AnalyticsEvent::CategoryTool, AnalyticsEvent::ActionHotkey, true,
                           QStringLiteral("undo"));
        if (paintArea_)
            QMetaObject::invokeMethod(paintArea_, "checkUndo");
    } else if ((mods & Qt::AltModifier) && key == Qt::Key_F4) {
        close();
    } else if (key == Qt::Key_Escape) {
        if (!Setting::instance()->flag(QStringLiteral("showCloseSurfaceWindow"))) {
            close();
        } else {
            QObject *checked = nullptr;
            if (auto *area = qobject_cast<PPainterArea *>(paintArea_.data()))
                checked = area->checkedItem();
            else if (paintArea_)
                for (QQuickItem *child : paintArea_->childItems())
                    if (child->property("checked").toBool()) {
                        checked = child;
                        break;
                    }
            if (checked)
                QMetaObject::invokeMethod(paintArea_, "clearSelection");
            else if (!isEmptySelection())
                setVisibleCloseWindow(true);
            else
                close();
        }
    }

    if (key == Qt::Key_Space && !e->isAutoRepeat() && selector_ && !selector_->hasSelection())
        selector_->setMoveMode(true);
}

void SurfaceWidget::keyReleaseEvent(QKeyEvent *e)
{
    BusyScope busy(this);
    QQuickView::keyReleaseEvent(e);
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        if (selector_ && !selector_->hasSelection())
            selector_->setMoveMode(false);
        // Auto-repeat releases must not flip the tool back and forth.
        QObject *item = currentItem();
        if (item && itemName(item) != QLatin1String("Text") && paintArea_)
            QMetaObject::invokeMethod(paintArea_, "selectLastModule");
    }
    emit isCommandModifiedChanged();
}

void SurfaceWidget::mousePressEvent(QMouseEvent *e)
{
    BusyScope busy(this);
    pressPos_ = e->pos();
    mousePressed_ = true;
    if (e->button() == Qt::LeftButton && currentTool().isEmpty() && selector_ &&
        selector_->hasSelection() && selector_->rubberRect().contains(e->localPos())) {
        selectionDrag_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    QQuickView::mousePressEvent(e);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent *e)
{
    BusyScope busy(this);
    if (selector_ && selectionDrag_ && mousePressed_ && currentTool().isEmpty()) {
        const QRectF r = selector_->rubberRect();
        selector_->moveRubberTo(int(r.left()) + (e->pos().x() - pressPos_.x()),
                                int(r.top()) + (e->pos().y() - pressPos_.y()));
        pressPos_ = e->pos();
        return;
    }
    QQuickView::mouseMoveEvent(e);
}

void SurfaceWidget::mouseReleaseEvent(QMouseEvent *e)
{
    BusyScope busy(this);
    if (selectionDrag_)
        setCursor(SurfaceSelector::crossCursor());
    mousePressed_ = false;
    selectionDrag_ = false;
    QQuickView::mouseReleaseEvent(e);
    if (e->button() == Qt::RightButton && !isEmptySelection()) {
        if (auto *c = commandsFor("upload"))
            c->screenUpload(0, false, QPixmap());
    }
}

void SurfaceWidget::mouseDoubleClickEvent(QMouseEvent *e)
{
    BusyScope busy(this);
    if (selector_) {
        const QRectF page(QPointF(0, 0), QSizeF(selector_->width(), selector_->height()));
        if (isEmptySelection())
            selector_->expandToFullScreen();
        else if (selector_->rubberRect() == page)
            selector_->collapseFromFullScreen();
    }
    QQuickView::mouseDoubleClickEvent(e);
}
