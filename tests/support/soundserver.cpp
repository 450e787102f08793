#include "support/soundserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace pryx::test {

bool SoundServer::start()
{
    const QString run = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (run.isEmpty() || !QFileInfo(run).isDir())
        return false;
    process_.setProgram(QStringLiteral("pulseaudio"));
    process_.setArguments({"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
                           "--disable-shm", "--load=module-native-protocol-unix",
                           "--load=module-null-sink sink_name=pryxtest",
                           "--load=module-always-sink"});
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(5000))
        return false;
    const QString socket = run + "/pulse/native";
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(socket) && t.elapsed() < 5000)
        QTest::qWait(50);
    return QFile::exists(socket);
}

void SoundServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(1000);
}

} // namespace pryx::test
