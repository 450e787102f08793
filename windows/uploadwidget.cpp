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

// No rounded mask while the page draws its shadow margin; without one the
// mask rounds the card, whose transparent corners would show black.
void UploadWidget::resizeEvent(QResizeEvent *event)
{
    setMasked(!isTransparentSupport());
    BasicWindow::resizeEvent(event);
}
