#pragma once
// A private Xvfb started before the application object, for tests that look
// at the window list or the clipboard without other tests' windows.

#include <QApplication>
#include <QString>
#include <QtTest/QTest>

#include <cstdio>
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

// The main() of a test program whose windows and clipboard are its own:
// Xvfb first, then the application object on it and the cases of TestObject.
template<class TestObject>
int execOnPrivateDisplay(int argc, char **argv)
{
    PrivateDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "no private X display\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace pryx::test
