#include "support/pryxchild.h"

#include <QElapsedTimer>

namespace pryx::test {

RunningChild::~RunningChild() { stop(); }

bool RunningChild::start(const QString &program, const QStringList &args,
                         const QProcessEnvironment &env)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setProcessEnvironment(env);
    process_.start(program, args);
    return process_.waitForStarted(10000);
}

QByteArray RunningChild::output()
{
    output_ += process_.readAll();
    return output_;
}

bool RunningChild::waitFor(const QByteArray &text, int timeoutMs, int times)
{
    QElapsedTimer clock;
    clock.start();
    while (output().count(text) < times) {
        if (process_.state() == QProcess::NotRunning || clock.elapsed() > timeoutMs)
            return output().count(text) >= times;
        process_.waitForReadyRead(50);
    }
    return true;
}

bool RunningChild::waitForExit(int timeoutMs)
{
    const bool ok = process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
    output();
    return ok;
}

void RunningChild::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
    output();
}

} // namespace pryx::test
