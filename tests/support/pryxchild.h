#pragma once
// A running pryx (or any program) whose output a test waits on.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace pryx::test {

class RunningChild
{
public:
    RunningChild() = default;
    ~RunningChild();
    RunningChild(const RunningChild &) = delete;
    RunningChild &operator=(const RunningChild &) = delete;

    bool start(const QString &program, const QStringList &args,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    // Waits until stderr + stdout hold `text` `times` times (or the child ends).
    bool waitFor(const QByteArray &text, int timeoutMs = 10000, int times = 1);
    // Waits for the child to end by itself.
    bool waitForExit(int timeoutMs = 10000);
    void stop();   // SIGTERM, then SIGKILL
    QByteArray output();   // everything read so far (stdout and stderr merged)
    int count(const QByteArray &text) { return output().count(text); }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    QProcess &process() { return process_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QByteArray output_;
};

} // namespace pryx::test
