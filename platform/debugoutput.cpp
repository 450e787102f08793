#include "platform/debugoutput.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace pryx {

namespace {
bool g_debug = false;

void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (!g_debug && type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const QByteArray text = message.toLocal8Bit();
    fprintf(stderr, "%s\n", text.constData());
    fflush(stderr);
}
} // namespace

void installMessageHandler(bool debugMode)
{
    g_debug = debugMode;
    qInstallMessageHandler(handler);
}

bool debugOutputEnabled() { return g_debug; }

} // namespace pryx
