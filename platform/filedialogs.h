#pragma once
// The file and folder dialogs, behind one seam: tests answer them through
// setDialogAnswerer instead of a modal dialog.

#include <QString>
#include <functional>

namespace pryx::platform {

enum class DialogKind { SaveFile, Folder };

// kind, title, proposed path or start folder, filter; returns the chosen
// path or an empty text for a cancel.
using DialogAnswerer =
    std::function<QString(DialogKind kind, const QString &title, const QString &path, const QString &filter)>;

// Replaces the real dialogs; an empty function restores them.
void setDialogAnswerer(DialogAnswerer answerer);

QString saveFileName(const QString &title, const QString &proposed, const QString &filter);
QString existingFolder(const QString &title, const QString &start);

} // namespace pryx::platform
