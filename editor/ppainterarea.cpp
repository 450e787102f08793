#include "editor/ppainterarea.h"
#include "editor/editorlog.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

#include "editor/blackoutarea.h"
#include "editor/commands/abstracthistorycommand.h"
#include "editor/commands/colorchange.h"
#include "editor/commands/linewidthchange.h"
#include "editor/environment.h"
#include "editor/graphmodule.h"
#include "editor/tools/toolregistry.h"

using pryx::editor::Environment;

namespace {
const QString kMove = QStringLiteral("Move");
}

PPainterArea::PPainterArea(QQuickItem *parent) : QQuickItem(parent)
{
    blackoutArea_ = new BlackoutArea(this);
    blackoutArea_->setPaintArea(this);
    blackoutArea_->setZ(100);
    createModules();
    setObjectName(QStringLiteral("PPainterArea"));

    connect(this, SIGNAL(currentColorChanged(QColor)), this, SLOT(setCurrentItemColor(QColor)));
    connect(this, SIGNAL(currentLineWidthChanged(int)), this, SLOT(setCurrentItemWidth(int)));
    connect(this, SIGNAL(currentSubstrateChanged(bool)), this, SLOT(setCurrentItemSubstrate(bool)));
    connect(this, SIGNAL(currentColorXChanged(int)), this, SLOT(setCurrentItemColorX(int)));
    connect(this, SIGNAL(currentModuleChanged(QString)), this, SLOT(checkBackgroundArea(QString)));

    Environment *env = Environment::current();
    setCurrentColorX(env->value(QStringLiteral("colorColorLine")).toInt());
    setCurrentLineWidth(env->value(QStringLiteral("widthColorLine")).toInt());

    undoStack_ = new QUndoStack(this);
    connect(undoStack_, SIGNAL(canUndoChanged(bool)), this, SIGNAL(canUndoChange(bool)));
    connect(undoStack_, SIGNAL(canRedoChanged(bool)), this, SIGNAL(canRedoChange(bool)));

    setCurrentSubstrate(env->value(QStringLiteral("substrate")).toBool());
    connect(this, SIGNAL(updateBlackoutArea()), blackoutArea_, SLOT(refresh()));
    setAcceptedMouseButtons(Qt::AllButtons);
}

PPainterArea::~PPainterArea() { qCDebug(pryx::lcEditor) << Q_FUNC_INFO << objectName(); }

void PPainterArea::createModules()
{
    for (const auto &tool : pryx::editor::toolRegistry()) {
        GraphModule *module = tool.create(this);
        modules_.append(module);
    }
    for (GraphModule *module : qAsConst(modules_)) {
        connect(module, SIGNAL(currentItemChange(AbstractGraphItem *)), this,
                SLOT(setCurrentItem(AbstractGraphItem *)));
        connect(module, SIGNAL(updateBlackoutArea()), this, SIGNAL(updateBlackoutArea()));
        if (pryx::editor::toolHas(module->name(), pryx::editor::ToolDrawsBlackout, false)
            && module->metaObject()->indexOfSignal("createNewBlackoutItem(BlackoutItem*)") >= 0)
            connect(module, SIGNAL(createNewBlackoutItem(BlackoutItem *)), blackoutArea_,
                    SLOT(createNewBlackoutItem(BlackoutItem *)));
    }
}

void PPainterArea::grabScreens()
{
    QRect all;
    for (QScreen *screen : QGuiApplication::screens())
        all = all.united(screen->geometry());
    if (QScreen *primary = QGuiApplication::primaryScreen())
        background_ = primary->grabWindow(0, all.left(), all.top(), all.right() - all.left() + 1,
                                          all.bottom() - all.top() + 1)
                          .toImage();
}

QString PPainterArea::currentModuleName() const { return currentModule_ ? currentModule_->name() : QString(); }

void PPainterArea::setBackground(const QImage &image)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << "null:" << image.isNull();
    if (background_ == image)
        return;
    background_ = image;
    scaledBackground_ = QImage();
    emit backgroundChanged(image);
}

void PPainterArea::setCurrentColor(const QColor &color)
{
    if (currentColor_ == color)
        return;
    currentColor_ = color;
    emit currentColorChanged(color);
}

void PPainterArea::setCurrentColorX(int x)
{
    if (currentColorX_ == x)
        return;
    currentColorX_ = x;
    emit currentColorXChanged(x);
}

void PPainterArea::setCurrentLineWidth(int width)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << width;
    if (currentLineWidth_ == width)
        return;
    currentLineWidth_ = width;
    emit currentLineWidthChanged(width);
}

void PPainterArea::setCurrentSubstrate(bool substrate)
{
    if (currentSubstrate_ == substrate)
        return;
    currentSubstrate_ = substrate;
    Environment::current()->setValue(QStringLiteral("substrate"), substrate);
    emit currentSubstrateChanged(substrate);
}

bool PPainterArea::canUndo() const { return undoStack_ && undoStack_->canUndo(); }

bool PPainterArea::canRedo() const { return undoStack_ && undoStack_->canRedo(); }

void PPainterArea::setSelectRect(const QRectF &rect)
{
    if (selectRect_ == rect)
        return;
    selectRect_ = rect;
    blackoutArea_->setSelectRect(rect);
}

int PPainterArea::nextZ() { return ++zCounter_; }

bool PPainterArea::isCurrentModule(const QString &name) const { return currentModuleName() == name; }

GraphModule *PPainterArea::findModule(const QString &name) const
{
    for (GraphModule *module : modules_)
        if (module->name() == name)
            return module;
    return nullptr;
}

AbstractGraphItem *PPainterArea::checkedItem() const
{
    for (QQuickItem *child : childItems())
        if (auto *item = qobject_cast<AbstractGraphItem *>(child))
            if (item->isChecked())
                return item;
    return nullptr;
}

void PPainterArea::clearSelection()
{
    for (QQuickItem *child : childItems()) {
        if (auto *item = qobject_cast<AbstractGraphItem *>(child)) {
            item->setChecked(false);
            // A text box being typed in keeps its caret while it has focus.
            if (item->hasFocus())
                item->setFocus(false);
        }
    }
    adoptCurrentItem(nullptr);
}

void PPainterArea::selectLastModule()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << currentModuleName();
    if (!isCurrentModule(kMove))
        setCurrentModule(kMove);
    else
        setCurrentModule(lastModuleName_);
}

AbstractGraphItem *PPainterArea::drawingItem() const
{
    return pressed_ && currentModule_ ? currentModule_->currentItem() : nullptr;
}

Qt::KeyboardModifiers PPainterArea::keyboardModifiers() const
{
    return hasEventModifiers_ ? eventModifiers_ : QGuiApplication::queryKeyboardModifiers();
}

void PPainterArea::setEventModifiers(Qt::KeyboardModifiers modifiers)
{
    hasEventModifiers_ = true;
    eventModifiers_ = modifiers;
}

void PPainterArea::clearEventModifiers() { hasEventModifiers_ = false; }

QString PPainterArea::widthKey(const QString &toolName) { return pryx::editor::toolWidthKey(toolName); }

void PPainterArea::setCurrentModule(QString name)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << name;
    Environment *env = Environment::current();
    env->sendEvent(QStringLiteral("tool"), QStringLiteral("click"), name);

    GraphModule *match = findModule(name);
    if (!match) {
        currentModule_ = nullptr;
        emit currentModuleChanged(QString());
    } else if (!currentModule_ || currentModule_->name() != name) {
        currentModule_ = match;
        emit currentModuleChanged(name);
    } else {
        currentModule_ = nullptr;
        emit currentModuleChanged(QString());
    }

    AbstractGraphItem *kept = currentItem_;
    if (name != kMove) {
        emit currentItemChange(currentItem_);
        clearSelection();
        lastModuleName_ = name;
    } else if (kept) {
        kept->setChecked(true);
    }

    setCursor(pryx::editor::toolCursor(name));

    if (name != kMove) {
        setCurrentLineWidth(env->value(widthKey(name)).toInt());
        // The previous item stays current (unless it is hidden), so toolbar
        // changes still apply to it.
        adoptCurrentItem(kept && kept->isVisible() ? kept : nullptr);
    }
    env->setValue(QStringLiteral("lastGraphTools"), name);
}

void PPainterArea::adoptCurrentItem(AbstractGraphItem *item)
{
    if (currentItem_ == item)
        return;
    if (currentVisibleConnection_)
        disconnect(currentVisibleConnection_);
    currentItem_ = item;
    if (item)
        currentVisibleConnection_ = connect(item, SIGNAL(visibleChanged()), this, SLOT(currentItemVisibilityChanged()));
}

void PPainterArea::currentItemVisibilityChanged()
{
    // A hidden item (deleted, or its addition undone) is never current.
    if (currentItem_ && !currentItem_->isVisible()) {
        adoptCurrentItem(nullptr);
        emit currentItemChange(nullptr);
    }
}

void PPainterArea::mousePressEvent(QMouseEvent *event)
{
    if (!currentModule_) {
        event->ignore();
        return;
    }
    if (pressed_) {
        // A second button during a gesture starts nothing.
        event->accept();
        return;
    }
    QQuickItem *child = childAt(event->localPos().x(), event->localPos().y());
    if (child && qobject_cast<AbstractGraphItem *>(child) && isCurrentModule(kMove)) {
        event->ignore();
        return;
    }
    EventModifierScope scope(this, event->modifiers());
    clearSelection();
    pressed_ = true;
    gestureButton_ = event->button();
    currentModule_->beginPaintItem(this, event->pos());
}

void PPainterArea::mouseMoveEvent(QMouseEvent *event)
{
    if (!currentModule_)
        return;
    if (pressed_) {
        EventModifierScope scope(this, event->modifiers());
        currentModule_->paintItem(this, event->pos());
        if (pryx::editor::toolHas(currentModule_->name(), pryx::editor::ToolDrawsBlackout, false))
            emit updateBlackoutArea();
    }
    QQuickItem::mouseMoveEvent(event);
    event->accept();
}

void PPainterArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (!currentModule_)
        return;
    if (!pressed_ || event->button() != gestureButton_)
        return;
    EventModifierScope scope(this, event->modifiers());
    GraphModule *module = currentModule_;
    pressed_ = false;
    gestureButton_ = Qt::NoButton;
    module->endPaintItem(this, event->pos());
}

void PPainterArea::setCurrentItem(AbstractGraphItem *item)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << item;
    if (!item || item == currentItem_ || !item->isVisible())
        return;
    adoptCurrentItem(item);
    item->setFocus(true);
    emit currentItemChange(item);
    setCurrentLineWidth(item->lineWidth());
    setCurrentColor(item->color());
    setCurrentColorX(item->colorX());
    setCurrentSubstrate(item->substrate());
}

void PPainterArea::setCurrentItemColor(QColor color)
{
    if (currentItem_)
        currentItem_->setColor(color);
}

void PPainterArea::setCurrentItemColorX(int x)
{
    if (currentItem_)
        currentItem_->setColorX(x);
}

void PPainterArea::setCurrentItemWidth(int width)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << width;
    if (!currentItem_)
        return;
    if (widthItem_ != currentItem_) {
        widthItem_ = currentItem_;
        widthAtStart_ = currentItem_->lineWidth();
    }
    currentItem_->setLineWidth(width);
}

void PPainterArea::setCurrentItemSubstrate(bool substrate)
{
    if (currentItem_)
        currentItem_->setSubstrate(substrate);
}

void PPainterArea::copyItemOptions()
{
    if (!currentItem_)
        return;
    setCurrentLineWidth(currentItem_->lineWidth());
    setCurrentColor(currentItem_->color());
    setCurrentColorX(currentItem_->colorX());
}

void PPainterArea::makeCommandItemCurrent()
{
    if (undoStack_->count() == 0)
        return;
    const int index = undoStack_->index() - 1;
    if (index < 0)
        return;
    if (auto *command = dynamic_cast<const AbstractHistoryCommand *>(undoStack_->command(index)))
        setCurrentItem(command->item());
}

void PPainterArea::checkUndo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    widthItem_ = nullptr;
    if (undoStack_->canUndo()) {
        undoStack_->undo();
        makeCommandItemCurrent();
    }
    copyItemOptions();
    widthItem_ = nullptr;
    emit updateBlackoutArea();
}

void PPainterArea::checkRedo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    widthItem_ = nullptr;
    if (undoStack_->canRedo())
        undoStack_->redo();
    makeCommandItemCurrent();
    copyItemOptions();
    widthItem_ = nullptr;
    emit updateBlackoutArea();
}

void PPainterArea::pushColorChange(int xValue, int oldXValue)
{
    Environment *env = Environment::current();
    env->sendEvent(QStringLiteral("color"), QStringLiteral("change"), env->colorFromX(xValue).name());
    if (currentItem_) {
        qCDebug(pryx::lcEditor) << Q_FUNC_INFO << xValue << oldXValue;
        undoStack_->push(new ColorChange(currentItem_, xValue, oldXValue));
    }
}

void PPainterArea::pushLineWidthChange(int value, int oldVallue)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << value << oldVallue;
    Environment *env = Environment::current();
    // The width belongs to the tool of the item it was given to.
    if (currentItem_)
        env->setValue(widthKey(currentItem_->name()), value);
    else if (currentModule_)
        env->setValue(widthKey(currentModule_->name()), value);
    env->sendEvent(QStringLiteral("size"), QStringLiteral("change"), QString::number(value));
    if (currentItem_) {
        // Undo goes back to the item's own width from before the change.
        const int undoWidth = widthItem_ == currentItem_ ? widthAtStart_ : oldVallue;
        undoStack_->push(new LineWidthChange(currentItem_, value, undoWidth));
    }
    widthItem_ = nullptr;
}

void PPainterArea::updateBlurItem()
{
    for (QObject *child : children()) {
        auto *item = qobject_cast<AbstractGraphItem *>(child);
        if (item && item->name() == QLatin1String("Blur"))
            item->update();
    }
}

void PPainterArea::checkBackgroundArea(QString) {}

void PPainterArea::geometryChanged(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    blackoutArea_->setSize(newGeometry.size());
    const bool widthChanged = newGeometry.width() != oldGeometry.width();
    if (widthChanged && widthToggle_) {
        widthToggle_ = false;
    } else {
        if (widthChanged)
            widthToggle_ = true;
        // With no old width there is nothing to scale from.
        if (widthToggle_ && oldGeometry.width() > 0) {
            const double ratio = newGeometry.width() / oldGeometry.width();
            if (std::isfinite(ratio))
                rescaleItems(ratio);
        }
        if (!widthChanged)
            widthToggle_ = false;
    }
    QQuickItem::geometryChanged(newGeometry, oldGeometry);
}

void PPainterArea::rescaleItems(double ratio)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << "move item" << ratio;
    for (QQuickItem *child : childItems())
        if (auto *item = qobject_cast<AbstractGraphItem *>(child))
            item->rescale(ratio);
}

const QImage &PPainterArea::scaledBackground()
{
    // The desktop is grabbed only when no owner handed over a picture (the
    // capture surface and the panorama windows always do).
    if (background_.isNull())
        grabScreens();
    const QSize size{int(width()), int(height())};
    if (background_.size() == size)
        return background_;
    if (scaledBackground_.isNull() || scaledBackground_.size() != background_.size().scaled(size, Qt::KeepAspectRatio))
        scaledBackground_ = background_.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return scaledBackground_;
}

QImage PPainterArea::renderImage(QRect rect, double zLimit, bool antialias)
{
    const QRect area = rect.normalized();
    const QImage &full = scaledBackground();
    if (full.isNull())
        return QImage();
    // Only the asked part is painted; items are painted translated into it.
    QImage canvas = full.copy(area);
    if (canvas.isNull())
        return canvas;

    QList<QQuickPaintedItem *> selected;
    for (QQuickItem *child : childItems()) {
        auto *painted = qobject_cast<QQuickPaintedItem *>(child);
        if (!painted || !child->isVisible() || child->z() >= zLimit)
            continue;
        const QRect bounds(int(child->x()), int(child->y()), int(child->width()), int(child->height()));
        if (bounds.intersects(area))
            selected.append(painted);
    }
    // What the screen shows: higher z on top, equal z in child order.
    std::stable_sort(selected.begin(), selected.end(),
                     [](const QQuickItem *a, const QQuickItem *b) { return a->z() < b->z(); });

    QPainter painter(&canvas);
    if (antialias)
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setBrush(QBrush(Qt::transparent, Qt::SolidPattern));
    painter.setPen(QColor(Qt::transparent));
    painter.translate(-area.topLeft());
    for (QQuickPaintedItem *item : qAsConst(selected)) {
        painter.save();
        painter.translate(QPointF(item->x(), item->y()));
        // The scene shows an item only inside its own bounds.
        painter.setClipRect(QRectF(0, 0, item->width(), item->height()), Qt::IntersectClip);
        item->paint(&painter);
        painter.restore();
    }
    painter.end();
    return canvas;
}

EventModifierScope::EventModifierScope(PPainterArea *area, Qt::KeyboardModifiers modifiers)
    : area_(area), had_(area ? area->hasEventModifiers_ : false),
      previous_(area ? area->eventModifiers_ : Qt::KeyboardModifiers())
{
    if (area)
        area->setEventModifiers(modifiers);
}

EventModifierScope::~EventModifierScope()
{
    if (!area_)
        return;
    area_->hasEventModifiers_ = had_;
    area_->eventModifiers_ = previous_;
}
