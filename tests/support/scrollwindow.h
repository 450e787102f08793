#pragma once
// A scrollable window in a process of its own for the panorama tests: it
// shows a band of a tall noise picture and moves the band down by a fixed
// step on every wheel notch, stopping at the picture's end; a slow one draws
// each step only a while after its notch, like a busy program.

#include <QImage>
#include <QProcess>
#include <QRect>

namespace pryx::test {

// The picture: black and white noise, every row distinct.
QImage scrollContent(int width, int height);

// Entry of the window process: args after "--scroll-window" are
// x y width height contentHeight step [delayMs].
int runScrollWindow(int argc, char **argv);

class ScrollWindowProcess
{
public:
    ~ScrollWindowProcess();
    // Starts this test program as the window and waits until its first
    // frame is on the screen.
    bool start(const QRect &geometry, int contentHeight, int step, int delayMs = 0);
    void stop();
    // Scroll position the window reports ("pos N" lines), -1 when unknown.
    int position();

private:
    QProcess proc_;
    int pos_ = -1;
};

} // namespace pryx::test

// main() of a test that may also run as the scroll window.
#define PRYX_SCROLL_TEST_MAIN(TestObject)                                              \
    int main(int argc, char **argv)                                                    \
    {                                                                                  \
        if (argc > 1 && qstrcmp(argv[1], "--scroll-window") == 0)                      \
            return pryx::test::runScrollWindow(argc, argv);                           \
        QApplication app(argc, argv);                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                       \
        TestObject tc;                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                     \
        return QTest::qExec(&tc, argc, argv);                                          \
    }
