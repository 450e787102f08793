#pragma once
// A private Xorg server with the dummy video driver and monitors of their own
// sizes and places (the bounding rectangle need not start at (0, 0)). Started
// before the application object connects to it.

#include <QRect>
#include <QString>
#include <QVector>

#include <sys/types.h>

namespace pryx::test {

class XorgDummy
{
public:
    ~XorgDummy() { stop(); }

    // Starts the server, lays out `monitors` (desktop coordinates, each with
    // a mode of its size that the dummy driver knows) and sets DISPLAY.
    // On failure returns false and error() says why.
    bool start(const QVector<QRect> &monitors);
    void stop();
    QString error() const { return error_; }
    QString display() const { return display_; }

private:
    bool layOut(const QVector<QRect> &monitors);
    pid_t pid_ = -1;
    QString dir_;
    QString display_;
    QString error_;
};

} // namespace pryx::test
