#include "windows/errorwidget.h"

#include "windows/windowflags.h"

#include <QQmlContext>

ErrorWidget::ErrorWidget(QString text, QWindow *parent) : BasicWindow(parent), text_(text)
{
    setup();
}

void ErrorWidget::init()
{
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("ErrorWidget"));
    setTitle(tr("Error"));
    rootContext()->setContextProperty(QStringLiteral("errorText"), text_);
    loadPage(QStringLiteral("qrc:/qml/qml/Window/ErrorDialog.qml"));
}

void ErrorWidget::setErrorText(QString text)
{
    text_ = text;
    rootContext()->setContextProperty(QStringLiteral("errorText"), text_);
}
