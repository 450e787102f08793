#include "windows/autorizationwidget.h"

#include "windows/windowflags.h"

AutorizationWidget::AutorizationWidget(QWindow *parent) : BasicWindow(parent)
{
    setPosCenter(true);
    setMovable(true);
    setup();
}

void AutorizationWidget::init()
{
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("AutorizationWidget"));
    loadPage(QStringLiteral("qrc:/qml/qml/Window/RegistrationPage.qml"));
}
