#pragma once
// Cursor and handle images of the annotation editor.

#include <QCursor>
#include <QPixmap>

namespace pryx {
namespace editor {

// The drawing cross: the resource image with its centre as hot spot, or
// Qt's cross cursor while the image is not in the resources.
QCursor crossCursor();
// The symbol of an item's centre handle (null while not in the resources).
const QPixmap &centerKeySymbol();

} // namespace editor
} // namespace pryx
