#include "windows/messagedialog.h"

#include "windows/windowflags.h"
#include "windows/windowslog.h"

#include <QDebug>
#include <QQmlContext>
#include <QQmlEngine>

MessageDialog::MessageDialog(QWindow *parent) : BasicWindow(parent)
{
    setData(QStringLiteral("Ok"), tr("Ok"));
    setData(QStringLiteral("Cancel"), tr("Cancel"));
    setup();
}

MessageDialog::~MessageDialog()
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO;
}

void MessageDialog::init()
{
    // On top, like the error window: a question placed in the corner must
    // not open behind the main tool window.
    setFlags(pryx::framelessOnTop());
    setObjectName(QStringLiteral("MessagePage"));
    setTitle(tr("Message"));
    rootContext()->setContextProperty(QStringLiteral("message"), this);
    loadPage(QStringLiteral("qrc:/qml/qml/Window/MessagePage.qml"));
}

void MessageDialog::done(int value)
{
    emit result(value);
    close();
}

void MessageDialog::on_pbOk_clicked() { done(1); }
void MessageDialog::on_pbCancel_clcked() { done(0); }

void MessageDialog::showInformation(QString title, QString message)
{
    setData(QStringLiteral("type"), QStringLiteral("information"));
    setData(QStringLiteral("title"), title);
    setData(QStringLiteral("message"), message);
    reload();
}

void MessageDialog::showQuestion(QString title, QString message)
{
    setData(QStringLiteral("type"), QStringLiteral("questions"));
    setData(QStringLiteral("title"), title);
    setData(QStringLiteral("message"), message);
    reload();
}

void MessageDialog::reload()
{
    const QUrl page = source();
    setSource(QUrl());
    engine()->clearComponentCache();
    setSource(page);
}
