#include "windows/settingwidget.h"

#include "windows/hotkeytools.h"
#include "windows/windowflags.h"
#include "windows/windowslog.h"

#include <QDebug>
#include <QGuiApplication>
#include <QQmlContext>
#include <QScreen>

SettingWidget::SettingWidget(QWindow *parent) : BasicWindow(parent)
{
    setMovable(true);
    setup();
}

void SettingWidget::init()
{
    setFlags(pryx::framelessWindow());
    setObjectName(QStringLiteral("SettingWidget"));
    setTitle(tr("Settings") + " - " + pryx::userName());
    rootContext()->setContextProperty(QStringLiteral("window"), this);
    rootContext()->setContextProperty(QStringLiteral("hotkeyTools"), new HotkeyTools(this));
    loadPage(QStringLiteral("qrc:/qml/qml/Window/SettingPage.qml"));
}

void SettingWidget::setHeight(int arg)
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << arg;
    if (height() == arg)
        return;
    setMinimumHeight(arg);
    setMaximumHeight(arg);
    QQuickView::setHeight(arg);
    emit heightChanged(arg);
    if (posCenter_ && !moved_)
        checkCenterPosition();
    update();
}

void SettingWidget::show()
{
    if (moved_)
        return;
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    // The card's top 285 px above the middle, with or without the margin.
    move(area.left() + area.width() / 2 - width() / 2,
         area.top() + area.height() / 2 - 285 - shadowMargin());
    emit showed();
    QQuickView::show();
}
