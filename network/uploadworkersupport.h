#pragma once
// Small GUI-side helpers of the FTP and SFTP threads.

#include <QString>

namespace pryx {

// Opens the share page (or mail link) of an after-upload action with the
// link; 0 and values above 5 do nothing. GUI thread only.
void openShareUrl(const QString &link, int afterAction);

// Shows the outcome of a connection check to the user.
void showCheckMessage(const QString &title, const QString &message);

} // namespace pryx
