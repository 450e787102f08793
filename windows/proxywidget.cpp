#include "windows/proxywidget.h"

#include "windows/windowflags.h"

ProxyWidget::ProxyWidget(QWindow *parent) : BasicWindow(parent)
{
    setup();
}

void ProxyWidget::init()
{
    setFlags(pryx::framelessWindow());
    setPosCenter(true);
    loadPage(QStringLiteral("qrc:/qml/qml/Window/ProxyPage.qml"));
}
