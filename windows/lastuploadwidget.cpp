#include "windows/lastuploadwidget.h"

#include "windows/windowflags.h"

#include <QResizeEvent>

LastUploadWidget::LastUploadWidget(QWindow *parent) : BasicWindow(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &BasicWindow::hide);
    setup();
}

void LastUploadWidget::init()
{
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("LastUploadWidget"));
    setTitle(tr("Upload") + " - " + pryx::userName());
    loadPage(QStringLiteral("qrc:/qml/qml/Window/LastUploadPage.qml"));
}

void LastUploadWidget::showTimed()
{
    timer_.stop();
    timer_.start(10000);
    show();
}

// No rounded mask while the page draws its shadow margin; without one the
// mask rounds the card, whose transparent corners would show black.
void LastUploadWidget::resizeEvent(QResizeEvent *event)
{
    setMasked(!isTransparentSupport());
    BasicWindow::resizeEvent(event);
}
