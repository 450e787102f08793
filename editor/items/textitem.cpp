#include "editor/items/textitem.h"
#include "editor/editorlog.h"

#include <QClipboard>
#include <QDebug>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QUndoStack>

#include <cmath>

#include "editor/commands/textchange.h"
#include "editor/items/arrowitem.h"
#include "editor/items/lineitem.h"
#include "editor/ppainterarea.h"

namespace {
const double kMinFontSize = 13.5;
const double kMaxFontSize = 24.8;
const double kFontStep = 0.4;
const int kGlideStep = 50;

// A key's text that can go into the box (no control characters).
bool insertable(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s)
        if (!c.isPrint())
            return false;
    return true;
}
} // namespace

TextItem::TextItem(QQuickItem *parent) : AbstractGraphItem(QStringLiteral("Text"), parent)
{
    font_ = QFont(QStringLiteral("Arial"));
    font_.setPointSizeF(kMinFontSize);
    font_.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    lines_ = QStringList{QString()};

    caretTimer_.setInterval(200);
    caretTimer_.start();
    connect(&caretTimer_, SIGNAL(timeout()), this, SLOT(updateFlashing()));
    connect(this, SIGNAL(focusChanged(bool)), this, SLOT(checkFlashing(bool)));
    connect(this, SIGNAL(checkChanged(bool)), this, SLOT(checkFlashing(bool)));
    connect(&arrowTimer_, SIGNAL(timeout()), this, SLOT(updateArrowItem()));
    connect(this, SIGNAL(visibleChanged()), this, SLOT(checkVisible()));
    connect(this, SIGNAL(lineWidthChanged(int)), this, SLOT(changeLineWidth(int)));
    connect(this, SIGNAL(colorChanged(QColor)), this, SLOT(changeColor(QColor)));
    connect(this, SIGNAL(checkChanged(bool)), this, SLOT(changeCheck(bool)));
}

TextItem::~TextItem() = default;

int TextItem::fontHeight() const { return QFontMetrics(font_).height(); }

int TextItem::advance(const QString &s) const { return QFontMetrics(font_).horizontalAdvance(s); }

void TextItem::measure()
{
    lines_ = text_.split(QLatin1Char('\n'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    QTextDocument doc;
    doc.setDefaultFont(font_);
    doc.setPlainText(text_);
    textWidth_ = doc.idealWidth();
    textHeight_ = lines_.size() * (fontHeight() + 5) - 5;
}

void TextItem::setTextRect(QRectF r)
{
    itemRect_ = r;
    setX(r.x() - 5);
    setY(r.y() - 5);
    setWidth(r.width() + 10);
    setHeight(r.height() + 10);
    rebuildKeyPosition();
}

void TextItem::rebuildKeyPosition()
{
    const double w = width(), h = height();
    keyPositions_ = {QPointF(5, 5), QPointF(int(w - 5), 5), QPointF(int(w - 5), int(h - 5)),
                     QPointF(5, int(h - 5)), QPointF(int(w * 0.5), int(h * 0.5))};
}

double TextItem::rightLimit() const
{
    if (!area_)
        return 0;
    const QRect select = area_->selectRect().toRect();
    if (!select.isEmpty())
        return select.right();
    return area_->x() + area_->width() - 1;
}

void TextItem::calcGeometry(bool wrap)
{
    const QRectF R = itemRect_;
    measure();
    setTextRect(QRectF(R.x(), R.y(), textWidth_ + 3, textHeight_ + 7));
    // Only a character just typed is moved, and only when another one stays
    // on its line (else every key would add an empty line).
    if (wrap && area_ && x() + textWidth_ > rightLimit() && caretColumn_ >= 2) {
        text_.insert(caretIndex() - 1, QLatin1Char('\n'));
        caretColumn_ = 1;
        caretLine_ += 1;
        measure();
        setTextRect(QRectF(R.x(), R.y(), textWidth_ + 3, textHeight_ + 7));
    }
    const float bottom = float(R.y() + R.height());
    setTextRect(QRectF(R.x(), double(bottom) - textHeight_, textWidth_, textHeight_));
    update();
}

void TextItem::setFontSize(double size)
{
    font_.setPointSizeF(size);
    measure();
}

void TextItem::setTextGeometry(double size, QRectF rect)
{
    setFontSize(size);
    // The width follows the size, as after a resize by the handles.
    lineWidth_ = int((size - 8) / 0.7);
    setTextRect(rect);
    reanchorArrow();
    update();
}

int TextItem::indexOf(int column, int line) const
{
    int index = 0;
    for (int i = 0; i < line && i < lines_.size(); ++i)
        index += lines_.at(i).size() + 1;
    return index + column;
}

QPoint TextItem::positionOf(int index) const
{
    const QStringList parts = text_.split(QLatin1Char('\n'));
    index = qBound(0, index, text_.size());
    for (int line = 0; line < parts.size(); ++line) {
        if (index <= parts.at(line).size())
            return QPoint(index, line);
        index -= parts.at(line).size() + 1;
    }
    return QPoint(parts.last().size(), parts.size() - 1);
}

void TextItem::setCaretIndex(int index)
{
    const QPoint p = positionOf(index);
    caretColumn_ = p.x();
    caretLine_ = p.y();
}

QPair<int, int> TextItem::getIndexSelect() const
{
    if (!hasSelection())
        return qMakePair(-1, -1);
    int a = indexOf(selectionAnchor_.x(), selectionAnchor_.y());
    int b = indexOf(selectionEnd_.x(), selectionEnd_.y());
    a = qBound(0, a, text_.size());
    b = qBound(0, b, text_.size());
    return a <= b ? qMakePair(a, b) : qMakePair(b, a);
}

QString TextItem::selectedText() const
{
    if (!hasSelection())
        return QString();
    const QPair<int, int> s = getIndexSelect();
    return text_.mid(s.first, s.second - s.first);
}

void TextItem::clearTextSelection()
{
    selectionAnchor_ = selectionEnd_ = QPoint(-1, -1);
}

void TextItem::removeSelection()
{
    const QPair<int, int> s = getIndexSelect();
    clearTextSelection();
    if (s.first < 0)
        return;
    text_.remove(s.first, s.second - s.first);
    lines_ = text_.split(QLatin1Char('\n'));
    setCaretIndex(s.first);
}

void TextItem::insertText(const QString &s)
{
    const int index = caretIndex();
    text_.insert(index, s);
    lines_ = text_.split(QLatin1Char('\n'));
    setCaretIndex(index + s.size());
}

void TextItem::extendSelection(QPoint before)
{
    if (!hasSelection())
        selectionAnchor_ = before;
    selectionEnd_ = QPoint(caretColumn_, caretLine_);
}

void TextItem::keyPressEvent(QKeyEvent *event)
{
    if (editingOff_) {
        AbstractGraphItem::keyPressEvent(event);
        return;
    }
    const KeyResult result = editKey(event);
    if (result == KeyResult::Ignored) {
        event->ignore();
        return;
    }
    event->accept();
    calcGeometry(result == KeyResult::Typed);
}

TextItem::KeyResult TextItem::editKey(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = LineItem::heldModifiers(event);
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    const int lastLine = lines_.size() - 1;
    const auto lineLength = [this](int line) { return lines_.at(line).size(); };

    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
        return KeyResult::Ignored;
    default:
        break;
    }

    if (key == Qt::Key_Enter || key == Qt::Key_Return) {
        clearTextSelection();
        const double lastY = itemRect_.y();
        qCDebug(pryx::lcEditor) << "lastY" << lastY << "lastY *2" << lastY * 2;
        insertText(QStringLiteral("\n"));
        calcGeometry(false);
        // Enter grows the box downwards.
        setTextRect(QRectF(itemRect_.x(), lastY, itemRect_.width(), itemRect_.height()));
        return KeyResult::Changed;
    }

    if (ctrl) {
        if (key == Qt::Key_A) {
            selectionAnchor_ = QPoint(0, 0);
            selectionEnd_ = QPoint(lineLength(lastLine), lastLine);
        } else if (key == Qt::Key_C) {
            const QString selected = selectedText();
            // Nothing selected leaves the clipboard as it was.
            if (!selected.isEmpty())
                QGuiApplication::clipboard()->setText(selected);
        } else if (key == Qt::Key_V) {
            QString pasted = QGuiApplication::clipboard()->text();
            pasted.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            if (pasted.isEmpty())
                return KeyResult::Changed;
            // The pasted text shifts the text after the caret: a kept
            // selection would point at other characters.
            clearTextSelection();
            insertText(pasted);
        } else if (key == Qt::Key_Left) {
            clearTextSelection();
            if (caretColumn_ == 0) {
                if (caretLine_ > 0) {
                    --caretLine_;
                    caretColumn_ = lineLength(caretLine_);
                }
            } else {
                const int from = caretColumn_ - 2;
                const int space = from >= 0 ? lines_.at(caretLine_).lastIndexOf(QLatin1Char(' '), from) : -1;
                caretColumn_ = space + 1;
            }
        } else if (key == Qt::Key_Right) {
            clearTextSelection();
            if (caretColumn_ >= lineLength(caretLine_)) {
                if (caretLine_ < lastLine) {
                    ++caretLine_;
                    caretColumn_ = 0;
                }
            } else {
                const int space = lines_.at(caretLine_).indexOf(QLatin1Char(' '), caretColumn_);
                caretColumn_ = space < 0 ? lineLength(caretLine_) : space + 1;
            }
        } else {
            return KeyResult::Ignored;
        }
        return KeyResult::Changed;
    }

    const QPoint before(caretColumn_, caretLine_);
    switch (key) {
    case Qt::Key_Left:
        if (caretColumn_ > 0) {
            --caretColumn_;
        } else if (caretLine_ > 0) {
            --caretLine_;
            caretColumn_ = lineLength(caretLine_);
        }
        break;
    case Qt::Key_Right:
        if (caretColumn_ < lineLength(caretLine_)) {
            ++caretColumn_;
        } else if (caretLine_ < lastLine) {
            ++caretLine_;
            caretColumn_ = 0;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        caretLine_ = qBound(0, caretLine_ + (key == Qt::Key_Up ? -1 : 1), lastLine);
        caretColumn_ = qMin(caretColumn_, lineLength(caretLine_));
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // With Shift these select nothing and move nothing.
        if (shift)
            return KeyResult::Changed;
        if (key == Qt::Key_Home) {
            caretColumn_ = 0;
        } else if (key == Qt::Key_End) {
            caretColumn_ = lineLength(caretLine_);
        } else if (key == Qt::Key_PageUp) {
            caretLine_ = 0;
            caretColumn_ = 0;
        } else {
            caretLine_ = lastLine;
            caretColumn_ = lineLength(lastLine);
        }
        clearTextSelection();
        return KeyResult::Changed;
    case Qt::Key_Backspace:
        if (hasSelection()) {
            removeSelection();
        } else if (caretIndex() > 0) {
            const int index = caretIndex();
            text_.remove(index - 1, 1);
            lines_ = text_.split(QLatin1Char('\n'));
            setCaretIndex(index - 1);
        }
        return KeyResult::Changed;
    case Qt::Key_Delete:
        if (hasSelection()) {
            removeSelection();
        } else if (caretIndex() < text_.size()) {
            text_.remove(caretIndex(), 1);
            lines_ = text_.split(QLatin1Char('\n'));
        }
        return KeyResult::Changed;
    default: {
        const QString typed = event->text();
        // Function keys and the like insert nothing and keep the caret.
        if (!insertable(typed))
            return KeyResult::Ignored;
        clearTextSelection();
        insertText(typed);
        return KeyResult::Typed;
    }
    }
    // The four arrows.
    if (shift)
        extendSelection(before);
    else
        clearTextSelection();
    return KeyResult::Changed;
}

void TextItem::updateFlashing()
{
    caretVisible_ = !caretVisible_;
    update();
}

void TextItem::checkFlashing(bool on)
{
    if (syncingArrow_)
        return;
    clearTextSelection();
    update();
    if (on) {
        caretTimer_.start(200);
    } else {
        caretVisible_ = false;
        editingOff_ = true;
        caretTimer_.stop();
    }
}

void TextItem::checkVisible()
{
    if (arrow_)
        arrow_->setVisible(isVisible());
}

void TextItem::changeLineWidth(int w)
{
    setFontSize(w * 0.7 + 12);
    reanchorArrow();
    calcGeometry(false);
}

void TextItem::changeColor(QColor c)
{
    if (arrow_)
        arrow_->setColor(c);
}

void TextItem::changeCheck(bool on)
{
    if (!arrow_)
        return;
    syncingArrow_ = true;
    arrow_->setChecked(on);
    // The arrow's box covers the text: the text stays above it and keeps
    // the focus that checking gave the arrow.
    if (area_ && raiseOnCheck_)
        setZ(area_->nextZ());
    if (on)
        setFocus(true);
    syncingArrow_ = false;
}

void TextItem::arrowPositionChange() { reanchorArrow(); }

void TextItem::setArrow(ArrowItem *arrow)
{
    if (arrow_)
        disconnect(arrow_, SIGNAL(positionChange()), this, SLOT(arrowPositionChange()));
    arrow_ = arrow;
    if (arrow)
        connect(arrow, SIGNAL(positionChange()), this, SLOT(arrowPositionChange()));
}

void TextItem::reanchorArrow()
{
    if (!arrow_)
        return;
    const QPointF tip = arrow_->line().p2();
    const QRectF r = itemRect_;
    const auto distance = [tip](QPointF p) { return std::hypot(p.x() - tip.x(), p.y() - tip.y()); };
    QPointF best = r.center();
    double bestDistance = distance(best);
    const auto consider = [&](QPointF p) {
        const double d = distance(p);
        if (d < bestDistance) {
            best = p;
            bestDistance = d;
        }
    };
    for (int i = 0; i < 10; ++i)
        consider(QPointF(r.left() + r.width() * i / 10.0, r.top()));
    for (int i = 0; i < 10; ++i)
        consider(QPointF(r.right(), r.top() + r.height() * i / 10.0));
    for (int i = 0; i < 10; ++i)
        consider(QPointF(r.left() + r.width() * i / 10.0, r.bottom()));
    for (int i = 0; i < 10; ++i)
        consider(QPointF(r.left(), r.top() + r.height() * i / 10.0));
    anchorPoint_ = QPoint(int(best.x()), int(best.y()));
    if (!arrowTimer_.isActive())
        arrowTimer_.start(10);
}

void TextItem::updateArrowItem()
{
    if (!arrow_) {
        arrowTimer_.stop();
        return;
    }
    const QPointF a = anchorPoint_;
    const QPointF tip = arrow_->line().p2();
    const QPointF s = arrow_->line().p1();
    const auto step = [](double from, double to) -> double {
        if (std::fabs(from - to) > kGlideStep)
            return double(float(from + (to > from ? kGlideStep : -kGlideStep)));
        return double(float(to));
    };
    const QPointF next(step(s.x(), a.x()), step(s.y(), a.y()));
    arrow_->resetLine();
    arrow_->setLine(next, tip);
    if (std::fabs(next.x() - a.x()) <= kGlideStep && std::fabs(next.y() - a.y()) <= kGlideStep) {
        arrowTimer_.stop();
        arrow_->resetLine();
        arrow_->setLine(a, tip);
    }
}

void TextItem::move(double nx, double ny)
{
    // (nx, ny) is the item's place; the text rectangle lies 5 px inside.
    setTextRect(QRectF(nx + 5, ny + 5, itemRect_.width(), itemRect_.height()));
    reanchorArrow();
}

void TextItem::rescale(double ratio)
{
    move(itemRect_.x() * ratio - 5, itemRect_.y() * ratio - 5);
}

void TextItem::mousePressEvent(QMouseEvent *event)
{
    AbstractGraphItem::mousePressEvent(event);
    rectAtPress_ = itemRect_;
    fontSizeAtPress_ = font_.pointSizeF();
    lastGlobalPos_ = event->globalPos();
}

void TextItem::mouseMoveEvent(QMouseEvent *event)
{
    AbstractGraphItem::mouseMoveEvent(event);
    const QPoint global = event->globalPos();
    double dx = lastGlobalPos_.x() - global.x();
    double dy = lastGlobalPos_.y() - global.y();
    const QRectF old = itemRect_;
    QRectF next;
    if (keyGrabbed_ && (resizeLeft_ || resizeRight_) && (resizeTop_ || resizeBottom_)
        && handleDragRect(old, old.size(), false, dx, dy, &next)) {
        const double oldArea = old.width() * old.height();
        const double newArea = std::fabs(next.width() * next.height());
        double size = font_.pointSizeF();
        if (newArea > oldArea)
            size = qMin(size + kFontStep, kMaxFontSize);
        else if (newArea < oldArea)
            size = qMax(size - kFontStep, kMinFontSize);
        if (size != font_.pointSizeF()) {
            font_.setPointSizeF(size);
            lineWidth_ = int((size - 8) / 0.7);
            calcGeometry(false);
            // The corner opposite the dragged one stays.
            const double w = itemRect_.width(), h = itemRect_.height();
            const double left = resizeLeft_ ? old.right() - w : old.left();
            const double top = resizeTop_ ? old.bottom() - h : old.top();
            setTextRect(QRectF(left, top, w, h));
        }
    } else {
        setTextRect(old.translated(-dx, -dy));
        moved_ = true;
    }
    reanchorArrow();
    lastGlobalPos_ = global;
}

void TextItem::mouseReleaseEvent(QMouseEvent *event)
{
    if (!moved_ && area_)
        area_->undoStack()->push(new TextChange(this, font_.pointSizeF(), itemRect_, fontSizeAtPress_, rectAtPress_));
    // The tail keeps gliding until it reaches the box.
    AbstractGraphItem::mouseReleaseEvent(event);
}

void TextItem::mouseDoubleClickEvent(QMouseEvent *event)
{
    editingOff_ = false;
    setFocus(true);
    event->accept();
}

void TextItem::paint(QPainter *painter)
{
    painter->setFont(font_);
    const int fh = fontHeight();
    const double w = width(), h = height();
    if (substrate_) {
        painter->save();
        const QColor plate(255, 255, 255, 225);
        painter->setPen(plate);
        painter->setBrush(QBrush(plate, Qt::SolidPattern));
        painter->drawRoundedRect(QRect(5, 5, int(w - 10), int(h - 10)), 2, 2);
        painter->restore();
    }

    const QPair<int, int> sel = getIndexSelect();
    int lineStart = 0;
    for (int i = 0; i < lines_.size(); ++i) {
        const QString &line = lines_.at(i);
        const int top = i * (fh + 5) + 5;
        const QRect box(10, top, int(textWidth_), fh);
        const int a = qBound(0, sel.first - lineStart, line.size());
        const int b = qBound(0, sel.second - lineStart, line.size());
        const bool selected = sel.first >= 0 && sel.first <= lineStart + line.size() && sel.second >= lineStart
                              && a < b;
        painter->save();
        if (selected) {
            const QColor blue(QStringLiteral("#3399ff"));
            painter->setPen(blue);
            painter->setBrush(QBrush(blue, Qt::SolidPattern));
            const int x0 = advance(line.left(a)) + 10;
            const int x1 = advance(line.left(b)) + 9;
            painter->drawRect(QRect(QPoint(x0, top), QPoint(x1, top + fh - 1)));
            preparePainter(painter);
            painter->setFont(font_);
            painter->drawText(box, Qt::AlignLeft, line);
            painter->setPen(QPen(Qt::white, lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter->drawText(QRect(x0, top, int(textWidth_), fh), Qt::AlignLeft, line.mid(a, b - a));
        } else {
            preparePainter(painter);
            painter->setFont(font_);
            painter->drawText(box, Qt::AlignLeft, line);
        }
        painter->restore();
        lineStart += line.size() + 1;
    }

    if (caretVisible_ && !editingOff_) {
        painter->save();
        painter->setPen(QPen(Qt::black, 1));
        if (lines_.isEmpty()) {
            painter->drawLine(QPointF(10, 9), QPointF(10, fh + 5));
        } else {
            const int line = qBound(0, caretLine_, lines_.size() - 1);
            const int top = line * (fh + 5) + 5;
            const int x = advance(lines_.at(line).left(caretColumn_)) + 10;
            painter->drawLine(QPointF(x, top), QPointF(x, top + fh));
        }
        painter->restore();
    }
    AbstractGraphItem::paint(painter);
}
