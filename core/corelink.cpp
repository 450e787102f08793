// Last link, clipboard and browser commands of Core.

#include "core/core.h"
#include "core/corelog.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QUrl>

#include "core/base/setting.h"
#include "core/corelogin.h"

void Core::copyLastLink()
{
    if (clipboard_)
        clipboard_->setText(lastLink_, QClipboard::Clipboard);
}

// The link of an upload that failed or was stopped leaves the clipboard,
// unless something else was copied since.
void Core::dropLink(QString link)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << link;
    if (clipboard_ && !link.isEmpty() && clipboard_->text(QClipboard::Clipboard) == link)
        clipboard_->clear(QClipboard::Clipboard);
}

void Core::openLastLink()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << lastLink_;
    QDesktopServices::openUrl(QUrl(lastLink_, QUrl::TolerantMode));
}

void Core::openUrl(QString url)
{
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

void Core::openHistory()
{
    if (!coreLoginStored(this)) {
        showLoginWindow();
        return;
    }
    const qint64 seconds = QDateTime::currentMSecsSinceEpoch() / 1000;
    QString token;
    if (QObject *account = accountObject())
        QMetaObject::invokeMethod(account, "token", Qt::DirectConnection, Q_RETURN_ARG(QString, token));
    if (token.isEmpty())
        token = Setting::instance()->getValue(QStringLiteral("token")).toString();
    const QByteArray digest =
        QCryptographicHash::hash(token.toUtf8() + QByteArray::number(seconds), QCryptographicHash::Md5)
            .toHex();
    QDesktopServices::openUrl(QUrl("https://" + authHost() + "/login/" + token + "/"
                                       + QString::fromLatin1(digest) + "/" + QString::number(seconds),
                                   QUrl::TolerantMode));
}
