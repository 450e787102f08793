#pragma once
// A private X server (Xvfb) with Debian's trayer as the notification area,
// for tests and benchmarks that look at tray icons.

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QVector>

namespace pryx::test {

// Windows of the given WM_CLASS instance that trayer has embedded on the X
// display of env, with the screen position of their centre.
QVector<QPoint> trayIconsOn(const QProcessEnvironment &env, const QString &instanceName);

class TrayDisplay
{
public:
    TrayDisplay() = default;
    ~TrayDisplay();
    TrayDisplay(const TrayDisplay &) = delete;
    TrayDisplay &operator=(const TrayDisplay &) = delete;

    // Starts Xvfb on a free display and trayer on it; false with error() set.
    bool start(int timeoutMs = 60000);
    void stop();
    QString display() const { return display_; }   // ":N"
    QString error() const { return error_; }
    // The environment for a child on this display.
    QProcessEnvironment environment(const QProcessEnvironment &base =
                                        QProcessEnvironment::systemEnvironment()) const;

    // Windows of the given WM_CLASS instance that trayer has embedded, with
    // the screen position of their centre.
    QVector<QPoint> trayIcons(const QString &instanceName) const;
    // Waits until exactly `count` icons of that class are embedded (or the time is up).
    bool waitForTrayIcons(const QString &instanceName, int count, int timeoutMs) const;

    // xdotool on this display: click `button` `repeat` times at pos.
    bool click(const QPoint &pos, int button, int repeat = 1) const;

private:
    QString tree() const;
    QProcess xvfb_;
    QProcess trayer_;
    QString display_;
    QString error_;
};

} // namespace pryx::test
