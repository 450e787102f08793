#pragma once
// Copying a downloaded program out of the update folder before it is started.

#include <QString>

namespace pryx {

// Copies the file into a new private folder (mode 0700) under the system
// temporary folder, checks that the copy has the same size and SHA-256 as the
// source, and gives it the source's permissions plus owner read and execute.
// Returns the copy's path, or an empty text (and leaves nothing behind) when
// any step fails. The source is not touched.
QString copyToPrivateFolder(const QString &source);

} // namespace pryx
