#pragma once
// A private PulseAudio server with a null sink, in the test's own runtime
// folder, so playback and recording tests have a sound device.

#include <QProcess>

namespace pryx::test {

class SoundServer
{
public:
    SoundServer() = default;
    ~SoundServer() { stop(); }
    SoundServer(const SoundServer &) = delete;
    SoundServer &operator=(const SoundServer &) = delete;

    // Starts the server and waits for its socket; false when there is no
    // runtime folder or the server does not come up.
    bool start();
    void stop();

private:
    QProcess process_;
};

} // namespace pryx::test
