#include "network/uploadworkersupport.h"

#include "network/uploadarchive.h"
#include "windows/messagedialog.h"
#include "network/networklog.h"

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
    qCDebug(pryx::lcNetwork) << "connection check:" << title << message;
    auto *dialog = new MessageDialog();
    dialog->showInformation(title, message);
    QObject::connect(dialog, SIGNAL(closed()), dialog, SLOT(deleteLater()));
    dialog->show();
}

} // namespace pryx
