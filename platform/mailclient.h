#pragma once
// The default mail client: the handler of x-scheme-handler/mailto in the
// mimeapps.list files, in the order of the XDG rules.

#include <QString>
#include <QStringList>

namespace pryx::platform {

// The mimeapps.list files to read, most important first.
QStringList mimeAppsListFiles();
// Desktop id (e.g. "thunderbird.desktop") of the first installed default
// mailto handler, or the empty text.
QString defaultMailClient();

} // namespace pryx::platform
