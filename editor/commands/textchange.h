#pragma once
#include <QPointer>
#include <QRectF>

#include "editor/commands/abstracthistorycommand.h"

class TextItem;

// Switches a text between two font sizes and text rectangles.
class TextChange : public AbstractHistoryCommand
{
public:
    TextChange(TextItem *item, double redoSize, QRectF redoRect, double undoSize, QRectF undoRect);
    void undo() override;
    void redo() override;

private:
    QPointer<TextItem> text_;
    double redoSize_;
    QRectF redoRect_;
    double undoSize_;
    QRectF undoRect_;
};
