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

// The rounded mask of the base as for every window: a bare card's
// transparent corners would show black without it.
void UploadWidget::resizeEvent(QResizeEvent *event)
{
    BasicWindow::resizeEvent(event);
}
