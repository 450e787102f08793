#pragma once
// An editable text box on the annotation area: caret, keyboard selection,
// clipboard, line wrap at the selection's right edge, an optional white
// substrate and an optional callout arrow whose tail follows the box.

#include <QFont>
#include <QPair>
#include <QPoint>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "editor/abstractgraphitem.h"
#include "editor/items/arrowitem.h"

class TextItem : public AbstractGraphItem
{
    Q_OBJECT

public:
    explicit TextItem(QQuickItem *parent = nullptr);
    ~TextItem() override;

    // The text rectangle (area coordinates); the item is it grown by 5 px.
    void setTextRect(QRectF r);
    QRectF textRect() const { return itemRect_; }
    // Refits the box to the text, keeping its bottom edge; with `wrap` a
    // character just typed past the right limit goes to a new line.
    void calcGeometry(bool wrap);
    // Font size and text rectangle at once (undo and redo).
    Q_INVOKABLE void setTextGeometry(double size, QRectF rect);

    // The selection as indices into the text (start, end), (-1, -1) if none.
    QPair<int, int> getIndexSelect() const;
    Q_INVOKABLE QString selectedText() const;

    QString text() const { return text_; }
    QStringList lines() const { return lines_; }
    QFont font() const { return font_; }
    double fontSize() const { return font_.pointSizeF(); }
    int caretColumn() const { return caretColumn_; }
    int caretLine() const { return caretLine_; }
    bool isEditingOff() const { return editingOff_; }
    void startEditing() { editingOff_ = false; }
    bool isCaretVisible() const { return caretVisible_; }
    double textWidth() const { return textWidth_; }
    double textHeight() const { return textHeight_; }
    QPoint anchorPoint() const { return anchorPoint_; }
    ArrowItem *arrow() const { return arrow_; }
    void setArrow(ArrowItem *arrow);
    bool isArrowGliding() const { return arrowTimer_.isActive(); }

    void move(double x, double y) override;
    void rebuildKeyPosition() override;
    void rescale(double ratio) override;
    void paint(QPainter *painter) override;

public slots:
    void updateFlashing();
    void checkFlashing(bool on);
    void updateArrowItem();
    void checkVisible();
    void changeLineWidth(int w);
    void changeColor(QColor c);
    void changeCheck(bool on);
    void arrowPositionChange();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    enum class KeyResult { Ignored, Typed, Changed };
    KeyResult editKey(QKeyEvent *event);

    int fontHeight() const;
    int advance(const QString &s) const;
    // Lines, ideal width and height of the text in the current font.
    void measure();
    // Caret and selection positions <-> indices into the text.
    int indexOf(int column, int line) const;
    QPoint positionOf(int index) const;
    int caretIndex() const { return indexOf(caretColumn_, caretLine_); }
    void setCaretIndex(int index);
    bool hasSelection() const { return selectionAnchor_.x() >= 0 && selectionEnd_.x() >= 0; }
    void clearTextSelection();
    void removeSelection();
    void insertText(const QString &s);
    // Extends the selection from the caret position before a move.
    void extendSelection(QPoint before);
    double rightLimit() const;
    void reanchorArrow();
    void setFontSize(double size);

    QTimer caretTimer_;
    bool caretVisible_ = false;
    QString text_;
    QStringList lines_;
    QFont font_;
    double textWidth_ = 25;
    double textHeight_ = 10;
    int caretColumn_ = 0;
    int caretLine_ = 0;
    // (column, line); (-1, -1) when there is no selection.
    QPoint selectionAnchor_{-1, -1};
    QPoint selectionEnd_{-1, -1};
    QPoint anchorPoint_;
    QPointer<ArrowItem> arrow_;
    QTimer arrowTimer_;
    bool editingOff_ = false;
    QRectF rectAtPress_;
    double fontSizeAtPress_ = 0;
    // Set while the arrow follows the text's checked state, whose focus
    // change must not end editing.
    bool syncingArrow_ = false;
};
