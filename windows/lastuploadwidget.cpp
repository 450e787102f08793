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

// The rounded mask of the base as for every window: a bare card's
// transparent corners would show black without it.
void LastUploadWidget::resizeEvent(QResizeEvent *event)
{
    BasicWindow::resizeEvent(event);
}
