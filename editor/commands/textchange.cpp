#include "editor/commands/textchange.h"

TextChange::TextChange(AbstractGraphItem *item, double redoSize, QRectF redoRect, double undoSize,
                       QRectF undoRect)
    : AbstractHistoryCommand(item), redoSize_(redoSize), redoRect_(redoRect), undoSize_(undoSize),
      undoRect_(undoRect)
{
}

void TextChange::redo() { invokeOnItem("setTextGeometry", Q_ARG(double, redoSize_), Q_ARG(QRectF, redoRect_)); }

void TextChange::undo() { invokeOnItem("setTextGeometry", Q_ARG(double, undoSize_), Q_ARG(QRectF, undoRect_)); }
