#include "settingsstandins.h"

#include "core/base/setting.h"
#include "core/core.h"
#include "windows/proxywidget.h"

SettingsCore::SettingsCore(QObject *parent) : QObject(parent)
{
    connect(Setting::instance(), &Setting::languageChanged, this, &SettingsCore::languageChanged);
    connect(Core::instance(), &Core::printModifiers, this, &SettingsCore::printModifiers);
    connect(Core::instance(), &Core::checkConnectionFinished, this,
            &SettingsCore::checkConnectionFinished);
}

SettingsCore::~SettingsCore() { delete proxy_; }

QString SettingsCore::appVersion() { return Core::instance()->appVersion(); }

void SettingsCore::unhookKeyboard()
{
    calls << QStringLiteral("unhook");
    Core::instance()->unhookKeyboard();
}

void SettingsCore::updateHook()
{
    calls << QStringLiteral("update");
    Core::instance()->updateHook();
}

void SettingsCore::checkFtpConnecrion(QString username, QString password, QString host,
                                      QString path, int port)
{
    calls << QStringLiteral("ftp %1 %2").arg(host).arg(port);
    Core::instance()->checkFtpConnecrion(username, password, host, path, port);
}

void SettingsCore::checkSFTPConnecrion(QString username, QString password, QString host,
                                       QString path, int port)
{
    calls << QStringLiteral("sftp %1 %2").arg(host).arg(port);
    Core::instance()->checkSFTPConnecrion(username, password, host, path, port);
}

void SettingsCore::showProxyWidget()
{
    calls << QStringLiteral("proxy");
    if (!proxy_) {
        proxy_ = new ProxyWidget();
        connect(proxy_, &BasicWindow::closed, this, &SettingsCore::closeProxyWindow);
    }
    proxy_->show();
}

void SettingsCore::selectSaveScreenFolder()
{
    calls << QStringLiteral("folder");
    Setting *s = Setting::instance();
    const QString stored = s->getValue(QStringLiteral("saveScreenFolder")).toString();
    if (!nextFolder.isEmpty()) {
        s->setValue(QStringLiteral("useSaveScreen"), true);
        s->setValue(QStringLiteral("saveScreenFolder"), nextFolder);
    } else if (stored.isEmpty() || stored == QLatin1String("0")) {
        s->setValue(QStringLiteral("useSaveScreen"), false);
        s->setValue(QStringLiteral("saveScreenFolder"), QString());
    } else {
        s->setValue(QStringLiteral("useSaveScreen"), true);
    }
}
