#pragma once
// A private Xvfb started before the application object, for tests that look
// at the window list or the clipboard without other tests' windows.

#include <QString>
#include <sys/types.h>

namespace pryx::test {

class PrivateDisplay
{
public:
    PrivateDisplay() = default;
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;

    // Starts Xvfb and points DISPLAY at it; no QCoreApplication needed.
    bool start(const char *screen = "1280x800x24");
    QString display() const { return display_; }

private:
    pid_t pid_ = -1;
    QString display_;
};

} // namespace pryx::test
