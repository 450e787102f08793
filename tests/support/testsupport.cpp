#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

namespace pryx::test {

ChildResult runChild(const QString &program, const QStringList &args, int timeoutMs,
                     const QProcessEnvironment &env, const QByteArray &stdinData)
{
    ChildResult r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        r.err = p.errorString().toUtf8();
        return r;
    }
    if (!stdinData.isEmpty())
        p.write(stdinData);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        r.timedOut = true;
        p.kill();
        p.waitForFinished(5000);
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.exitCode = p.exitCode();
    return r;
}

QString freshDisplay()
{
    for (;;) {
        const int n = 1000 + int(QRandomGenerator::global()->bounded(30000));
        if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
            && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
}

QString programPath() { return QStringLiteral(PRYX_PROGRAM); }
QString supportDir() { return QStringLiteral(PRYX_TEST_SUPPORT_DIR); }

QString testRoot()
{
    const QString root = qEnvironmentVariable("PRYX_TEST_ROOT");
    if (!root.isEmpty())
        return root;
    static QTemporaryDir dir;
    return dir.path();
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs, int stepMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(ulong(stepMs));
    }
    return true;
}

} // namespace pryx::test
