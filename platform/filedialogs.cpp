#include "platform/filedialogs.h"

#include <QFileDialog>

namespace pryx::platform {
namespace {
DialogAnswerer &answerer()
{
    static DialogAnswerer a;
    return a;
}
} // namespace

void setDialogAnswerer(DialogAnswerer a) { answerer() = std::move(a); }

QString saveFileName(const QString &title, const QString &proposed, const QString &filter)
{
    if (answerer())
        return answerer()(DialogKind::SaveFile, title, proposed, filter);
    // The dialog itself asks before an existing file is replaced.
    return QFileDialog::getSaveFileName(nullptr, title, proposed, filter);
}

QString existingFolder(const QString &title, const QString &start)
{
    if (answerer())
        return answerer()(DialogKind::Folder, title, start, QString());
    return QFileDialog::getExistingDirectory(nullptr, title, start, QFileDialog::ShowDirsOnly);
}

} // namespace pryx::platform
