#include "windows/uploadwidget.h"

#include "windows/windowflags.h"

#include <QResizeEvent>

UploadWidget::UploadWidget(QWindow *parent) : BasicWindow(parent)
{
    setup();
}

void UploadWidget::init()
{
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("UploadWidget"));
    setTitle(tr("Upload") + " - " + pryx::userName());
    loadPage(QStringLiteral("qrc:/qml/qml/Window/UploadPage.qml"));
}

// No rounded mask: the page changes its height with the list.
void UploadWidget::resizeEvent(QResizeEvent *event)
{
    QQuickView::resizeEvent(event);
}
