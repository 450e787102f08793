#pragma once
// Shared helpers of the test programs.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace pryx::test {

struct ChildResult {
    int exitCode = -1;
    bool crashed = false;     // ended by a signal
    int signal = 0;           // the signal, when crashed (needs the shell wrapper below)
    bool timedOut = false;
    QByteArray out;
    QByteArray err;
};

// Runs a program as a child process (singletons live for a whole process, so
// restarts and start-up paths are tested in children). The child inherits this
// test's isolated folders unless env says otherwise.
ChildResult runChild(const QString &program, const QStringList &args,
                     int timeoutMs = 30000,
                     const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
                     const QByteArray &stdinData = QByteArray());

// The pryx executable of this build.
QString programPath();
// A folder of the source tree's tests/support.
QString supportDir();
// This test's private root (made by isolate.sh), or a fresh temporary folder.
QString testRoot();

// A display name (":N") for an X server a test starts: a random number that
// no server holds now. A server picking the lowest free number itself
// (-displayfd alone) may take one that a server of another test is still
// giving up, whose last act removes the new server's socket.
QString freshDisplay();

// Polls done() every stepMs, without running the event loop, until it holds
// (true) or timeoutMs have passed (false). For what another process or the
// X server does; QTest::qWaitFor serves what this process's events do.
bool waitUntil(const std::function<bool()> &done, int timeoutMs, int stepMs = 20);

} // namespace pryx::test
