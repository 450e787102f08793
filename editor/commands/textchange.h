#pragma once
#include <QRectF>

#include "editor/commands/abstracthistorycommand.h"

// Switches a text between two font sizes and text rectangles; calls the
// item's invokable setTextGeometry(double, QRectF).
class TextChange : public AbstractHistoryCommand
{
public:
    TextChange(AbstractGraphItem *item, double redoSize, QRectF redoRect, double undoSize, QRectF undoRect);
    void undo() override;
    void redo() override;

private:
    double redoSize_;
    QRectF redoRect_;
    double undoSize_;
    QRectF undoRect_;
};
