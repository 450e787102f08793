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

// The link of an upload that failed or was stopped leads nowhere: it leaves
// the clipboard, unless something else was copied since, and the last link
// goes back to the one given before it.
void Core::dropLink(QString link)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << link;
    if (link.isEmpty())
        return;
    givenLinks_.removeAll(link);
    if (clipboard_ && clipboard_->text(QClipboard::Clipboard) == link)
        clipboard_->clear(QClipboard::Clipboard);
    if (lastLink_ == link) {
        lastLink_ = givenLinks_.isEmpty() ? QString() : givenLinks_.last();
        emit lastLinkChanged(lastLink_);
    }
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
