// Interim in-memory store; the database thread and encryption replace it.
#include "core/setting.h"

#include <QCoreApplication>

Setting *Setting::instance()
{
    static Setting *self = new Setting();
    return self;
}

Setting::Setting() : QObject(nullptr)
{
    cache_.insert("mainFontColor", QStringLiteral("#25282c"));
    cache_.insert("mainFontFamily", QStringLiteral("Arial"));
}

QVariant Setting::getValue(QString name, bool) { return cache_.value(name); }
void Setting::setValue(QString name, QVariant value, bool)
{
    cache_.insert(name, value);
    emit valueChanged(name, value);
}
bool Setting::isUseMailClient() { return false; }
void Setting::changeSaveGamePath() {}
QVariant Setting::getValueDB(QString name) { return cache_.value(name); }
void Setting::setValueDB(QString, QVariant) {}
void Setting::loadTranslation() { emit languageChanged(); }
QString Setting::platformName() { return QStringLiteral("linux_x86_64"); }
bool Setting::flush(int) { return true; }

#define PRYX_PROP(getter, setter, key) \
    QVariant Setting::getter() { return getValue(key); } \
    void Setting::setter(QVariant value) { setValue(key, value); }
PRYX_PROP(fragmentScreen, setFragmentScreen, "fragmentScreen")
PRYX_PROP(quickFragmentScreen, setQuickFragmentScreen, "quickFragmentScreen")
PRYX_PROP(snapshotFull, setSnapshotFull, "snapshotFull")
PRYX_PROP(sendScreen, setSendScreen, "sendScreen")
PRYX_PROP(useProxy, setUseProxy, "useProxy")
PRYX_PROP(qualityImage, setQualityImage, "qualityImage")
PRYX_PROP(autostart, setAutostart, "autostart")
PRYX_PROP(showUpload, setShowUpload, "show_upload")
PRYX_PROP(showLastUpload, setShowLastUpload, "show_last_upload")
PRYX_PROP(useSaveScreen, setUseSaveScreen, "useSaveScreen")
PRYX_PROP(saveScreenFolder, setSaveScreenFolder, "saveScreenFolder")
PRYX_PROP(shortLink, setShortLink, "shortLink")
PRYX_PROP(language, setLanguage, "language")
PRYX_PROP(videoQuality, setVideoQuality, "videoQuality")
PRYX_PROP(showActiveWindow, setShowActiveWindow, "showActiveWindow")
PRYX_PROP(showMagnifier, setShowMagnifier, "showMagnifier")
PRYX_PROP(showCloseSurfaceWindow, setShowCloseSurfaceWindow, "showCloseSurfaceWindow")
PRYX_PROP(saveGamePath, setSaveGamePath, "saveGamePath")
PRYX_PROP(visibleColorPanel, setVisibleColorPanel, "visibleColorPanel")
PRYX_PROP(widthColorLine, setWidthColorLine, "widthColorLine")
PRYX_PROP(typeUpload, setTypeUpload, "type_upload")
PRYX_PROP(widthTextLine, setWidthTextLine, "widthTextLine")
PRYX_PROP(widthBlureLine, setWidthBlureLine, "widthBlureLine")
PRYX_PROP(widthBlackoutLine, setWidthBlackoutLine, "widthBlackoutLine")
PRYX_PROP(lastGraphTools, setLastGraphTools, "lastGraphTools")
#undef PRYX_PROP

QVariant Setting::userName() { return getValue("username"); }
QVariant Setting::userMail() { return getValue("usermail"); }
QVariant Setting::userAvatar() { return getValue("useravatar"); }
QVariant Setting::quota() { return getValue("quota"); }
QVariant Setting::usage() { return getValue("usage"); }
QVariant Setting::currentHostUrl() { return QString(); }
int Setting::colorColorLine() { return getValue("colorColorLine").toInt(); }
void Setting::setColorColorLine(int value) { setValue("colorColorLine", value); }

void Setting::changeValue(QString, QVariant) {}
void Setting::resetDefault() {}
void Setting::resetHootKey() {}
