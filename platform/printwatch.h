#pragma once
// Watches every key press and release on the desktop (X11 XInput2 raw key
// events on the root window, which take the key from nobody) and tells
// whether the key was Print Screen. Inactive without an X server.

#include <QObject>
#include <QSet>

class PrintWatch : public QObject
{
    Q_OBJECT
public:
    explicit PrintWatch(QObject *parent = nullptr);
    ~PrintWatch() override;

    // Whether raw key events are being received.
    bool isActive() const { return active_; }

signals:
    // One report per key press (auto-repeat left out) and per release.
    void keyEvent(bool isPrint, bool pressed);

private:
    class Filter;
    friend class Filter;
    void handle(uint8_t keycode, bool pressed);

    Filter *filter_ = nullptr;
    bool active_ = false;
    uint8_t xinputOpcode_ = 0;
    QSet<uint8_t> down_;
};
