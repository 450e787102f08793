#pragma once
// Folders only the user may enter.

#include <QString>

namespace pryx::platform {

// Creates the folder (and its parents) with mode 0700 when it is missing.
bool ensurePrivateDir(const QString &path);

} // namespace pryx::platform
