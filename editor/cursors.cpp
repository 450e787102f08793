#include "editor/cursors.h"

#include <QFile>

namespace pryx {
namespace editor {

QCursor crossCursor()
{
    static const QString path = QStringLiteral(":/cursor/image/cursor/cross_cursor.png");
    if (!QFile::exists(path))
        return QCursor(Qt::CrossCursor);
    static const QPixmap pixmap(path);
    return QCursor(pixmap, -1, -1);
}

const QPixmap &centerKeySymbol()
{
    static const QString path = QStringLiteral(":/image/image/image/center_key_pos.png");
    static const QPixmap pixmap = QFile::exists(path) ? QPixmap(path) : QPixmap();
    return pixmap;
}

} // namespace editor
} // namespace pryx
