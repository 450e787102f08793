#include "network/dropboxauth.h"

#include "core/base/setting.h"
#include "network/dropboxapi.h"
#include "network/networklog.h"

#include <QDebug>

const char *const DropboxAuth::appKey = "raqopvnhsyfmke3";
const char *const DropboxAuth::appSecret = "okbewm4716t9zqh";

namespace {
const char kToken[] = "drop_box_token_apiv2";
const char kName[] = "drop_box_display_name";
const char kEmail[] = "drop_box_email";
const char kTotal[] = "drop_box_total";
const char kUsage[] = "drop_box_usage";
} // namespace

DropboxAuth::DropboxAuth(QObject *parent) : QObject(parent)
{
    createClient();
    Setting *s = Setting::instance();
    const QString token = s->getValue(QLatin1String(kToken), true).toString();
    if (!token.isEmpty()) {
        auto *auth = new QDropboxAuth(QLatin1String(appKey), QLatin1String(appSecret), this);
        auth->setAccessToken(token);
        client_->setDropboxAuth(auth);
        name_ = s->getValue(QLatin1String(kName)).toString();
        email_ = s->getValue(QLatin1String(kEmail)).toString();
        total_ = qint64(s->getValue(QLatin1String(kTotal)).toDouble());
        usage_ = qint64(s->getValue(QLatin1String(kUsage)).toDouble());
    }
}

void DropboxAuth::createClient()
{
    client_ = new QDropbox(QLatin1String(appKey), QLatin1String(appSecret), this);
    connect(client_, &QDropbox::authComplete, this, &DropboxAuth::isAuthChanged);
    connect(client_, &QDropbox::loadAllInfo, this, &DropboxAuth::infoUpdate);
    connect(client_, &QDropbox::error, this, [this](const QString &text) {
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << text;
        emit error(text);
    });
}

bool DropboxAuth::isAuth() const { return client_ && !client_->accessToken().isEmpty(); }

QString DropboxAuth::accessToken() const { return client_ ? client_->accessToken() : QString(); }

void DropboxAuth::authorization()
{
    if (client_)
        client_->auth();
}

void DropboxAuth::infoUpdate()
{
    QDropboxInfo *info = client_ ? client_->info() : nullptr;
    if (!info)
        return;
    name_ = info->displayName();
    email_ = info->email();
    total_ = qint64(info->allocated());
    usage_ = qint64(info->used());
    Setting *s = Setting::instance();
    s->setValue(QLatin1String(kName), name_);
    s->setValue(QLatin1String(kEmail), email_);
    s->setValue(QLatin1String(kTotal), total_);
    s->setValue(QLatin1String(kUsage), usage_);
    s->setValue(QLatin1String(kToken), client_->accessToken(), true);
    emit isAuthChanged();
}

void DropboxAuth::logout()
{
    // A running upload holds its own copy of the token, so the old client
    // can go now.
    if (client_) {
        client_->disconnect(this);
        // Frees the authorisation now, so a waiting listener gives up 6609.
        client_->setDropboxAuth(nullptr);
        client_->deleteLater();
        client_ = nullptr;
    }
    createClient();
    Setting *s = Setting::instance();
    s->setValue(QLatin1String(kToken), QString());
    // Only the Dropbox keys: the FTP and SFTP servers are not this account's.
    for (const char *key : {kName, kEmail, kTotal, kUsage, "drop_box_token"})
        s->setValue(QLatin1String(key), QString());
    emit isAuthChanged();
}

void DropboxAuth::sharedLinkReceived(QString link) { qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << link; }
