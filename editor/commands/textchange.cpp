#include "editor/commands/textchange.h"

#include "editor/items/textitem.h"

TextChange::TextChange(TextItem *item, double redoSize, QRectF redoRect, double undoSize,
                       QRectF undoRect)
    : AbstractHistoryCommand(item), text_(item), redoSize_(redoSize), redoRect_(redoRect),
      undoSize_(undoSize), undoRect_(undoRect)
{
}

void TextChange::redo()
{
    if (text_)
        text_->setTextGeometry(redoSize_, redoRect_);
}

void TextChange::undo()
{
    if (text_)
        text_->setTextGeometry(undoSize_, undoRect_);
}
