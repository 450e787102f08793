#include "network/uploadworkersupport.h"

#include "network/uploadarchive.h"

#include <QDebug>
#include <QDesktopServices>
#include <QUrl>

namespace pryx {

void openShareUrl(const QString &link, int afterAction)
{
    const QString url = shareUrlFor(afterAction, link);
    if (!url.isEmpty())
        QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

void showCheckMessage(const QString &title, const QString &message)
{
    // The message dialog of the windows layer takes this over when it lands.
    qDebug() << "connection check:" << title << message;
}

} // namespace pryx
