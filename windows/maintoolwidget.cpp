#include "windows/maintoolwidget.h"

#include "windows/windowflags.h"

MainToolWidget::MainToolWidget(QWindow *parent) : BasicWindow(parent)
{
    setMovable(true);
    setup();
}

void MainToolWidget::init()
{
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("MainWidget"));
    loadPage(QStringLiteral("qrc:/qml/qml/Window/MainToolPage.qml"));
}
