#include "qmlstandins.h"

#include <QMutex>

CoreStandIn::CoreStandIn(QObject *parent) : QObject(parent) {}

namespace {
QMutex g_mutex;
QStringList g_warnings;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        QMutexLocker lock(&g_mutex);
        g_warnings << msg;
    }
    if (g_previous && type != QtDebugMsg)
        g_previous(type, context, msg);
}
} // namespace

namespace pryx::test {
WarningCollector::WarningCollector() { g_previous = qInstallMessageHandler(collect); }
WarningCollector::~WarningCollector() { qInstallMessageHandler(g_previous); }
QStringList WarningCollector::take()
{
    QMutexLocker lock(&g_mutex);
    QStringList out = g_warnings;
    g_warnings.clear();
    return out;
}
} // namespace pryx::test
